// The registry's keys and values in memory, and their text form: the format
// of Windows registry exports ("REGEDIT4"), which a person can read and edit
// with a text editor between runs.
//
// Key paths are full paths that start with a root name, such as
// "HKEY_LOCAL_MACHINE\Software\Quorvane Software". Key and value names
// compare case-insensitively. Value data are raw bytes; a text value holds
// the bytes of its text in the system's code page (UTF-8) and its NUL.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace vb {

struct RegistryValue {
    QString name;  // empty for the key's default value
    std::uint32_t type = 0;
    QByteArray data;
};

struct RegistryKey {
    QString path;  // as first written, e.g. "HKEY_LOCAL_MACHINE\Software"
    std::vector<RegistryValue> values;  // in the order they were first stored
};

class RegistryDocument {
public:
    // The file's text. Lines that cannot be read (a line holding a NUL byte
    // among them) are skipped whole and their numbers (from 1) listed in
    // *skippedLines; every other value is kept. std::nullopt with a short
    // reason for a text that is no registry file: no header, or not one line
    // that can be read. An empty file (or one of blanks only) is an empty
    // registry. In a regedit export of version 5.00 the hex(1), hex(2) and
    // hex(7) data are UTF-16 and are kept as the UTF-8 bytes of their text;
    // such data that are no UTF-16 cannot be read.
    static std::optional<RegistryDocument> parse(const QByteArray& bytes, QString* error = nullptr,
                                                 std::vector<qsizetype>* skippedLines = nullptr);
    QByteArray serialize() const;

    // The canonical root name ("HKEY_LOCAL_MACHINE") of a root name or its
    // usual abbreviation ("HKLM"), or an empty text for anything else.
    static QString rootName(const QString& name);

    // Splits a key path below a root into its names. Empty names (doubled,
    // leading or trailing separators) are skipped. False when a name cannot
    // be a key name: longer than 255 characters, or holding a control
    // character that the file's lines could not carry.
    static bool splitKeyPath(const QString& path, QStringList* names);
    // True when a value name can be stored (no line breaks).
    static bool isValidValueName(const QString& name);

    // A key exists when it is stored, or when a key below it is stored (a
    // hand-written file may leave out the sections of parent keys). Root keys
    // always exist.
    bool keyExists(const QString& path) const;
    // Creates the key and every missing key above it; true when something
    // was created.
    bool createKey(const QString& path);

    const RegistryValue* value(const QString& keyPath, const QString& name) const;
    // Stores one value, creating its key when it is missing; true when the
    // document changed.
    bool setValue(const QString& keyPath, const QString& name, std::uint32_t type, const QByteArray& data);

    const std::map<QString, RegistryKey>& keys() const { return keys_; }

private:
    static QString sortKey(const QString& path);
    // sorted is sortKey(path).
    RegistryKey* createKeyAsWritten(const QString& path, const QString& sorted);
    RegistryKey* find(const QString& path);
    const RegistryKey* find(const QString& path) const;

    // By a sort key that orders a parent right before its children.
    std::map<QString, RegistryKey> keys_;
};

}  // namespace vb
