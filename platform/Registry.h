// The system registry that the game's code calls, with the Windows functions'
// names, arguments and return codes, over one file per user.
//
// Every root key maps to the same per-user file (RegistryStorePath() in
// StoreFile.h): a legacy program's machine-wide writes under
// HKEY_LOCAL_MACHINE are kept per user, as modern desktops redirect them. Key paths and value names are
// bytes in the system's code page (UTF-8, see CodePage.h); the store keeps
// data bytes exactly as given.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace vb {

using HKEY = std::uint32_t;  // a key handle; 0 is none

constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;

constexpr long ERROR_SUCCESS = 0;
constexpr long ERROR_FILE_NOT_FOUND = 2;
constexpr long ERROR_ACCESS_DENIED = 5;
constexpr long ERROR_INVALID_HANDLE = 6;
constexpr long ERROR_INVALID_PARAMETER = 87;
constexpr long ERROR_MORE_DATA = 234;
constexpr long ERROR_BADDB = 1009;     // the store file is unreadable and could not be kept aside
constexpr long ERROR_CANTWRITE = 1013;

constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_EXPAND_SZ = 2;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;
constexpr std::uint32_t REG_MULTI_SZ = 7;

// Opens an existing key below root (a root key or an open handle). A null or
// empty subKey opens root itself. On failure *result is 0.
long RegOpenKeyA(HKEY root, const char* subKey, HKEY* result);
long RegOpenKeyExA(HKEY root, const char* subKey, std::uint32_t options, std::uint32_t samDesired,
                   HKEY* result);
// Opens a key, creating it and every missing key on its path first.
long RegCreateKeyA(HKEY root, const char* subKey, HKEY* result);
// data == nullptr asks for the type and size only. A buffer too small gives
// ERROR_MORE_DATA with *cbData set to the size needed. A null or empty
// valueName is the key's default value.
long RegQueryValueExA(HKEY key, const char* valueName, std::uint32_t* reserved, std::uint32_t* type,
                      std::uint8_t* data, std::uint32_t* cbData);
long RegSetValueExA(HKEY key, const char* valueName, std::uint32_t reserved, std::uint32_t type,
                    const std::uint8_t* data, std::uint32_t cbData);
long RegCloseKey(HKEY key);

// Changes made while one of these is open are stored together: the store's
// lock is held from the start, reads see the changes, and Commit (or the
// end of the scope) writes them in one replace of the file, so a crash or a
// second copy of the game sees all of them or none. A write that cannot be
// done fails at once with the store's error and spoils the whole change:
// from then on reads see the file as it is stored, without any of the
// changes, and so do all reads when the lock could not be had. Commit
// reports a spoiled change or a failure to put the file in place.
class RegistryTransaction {
public:
    RegistryTransaction();
    ~RegistryTransaction();
    RegistryTransaction(const RegistryTransaction&) = delete;
    RegistryTransaction& operator=(const RegistryTransaction&) = delete;
    long Commit();

private:
    bool done_ = false;
    long result_ = ERROR_SUCCESS;
};

}  // namespace vb
