#include "Registry.h"

#include "CodePage.h"
#include "RegistryStore.h"
#include "StoreFile.h"

#include <QByteArray>

#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace vb {

namespace {

using storefile::OpenStore;
using storefile::finishChange;
using storefile::kMaxStoreSize;
using storefile::openForChange;

std::mutex gMutex;  // the handle table and the store's cache; every entry point takes it

// The changes of an open transaction, kept until it commits.
std::optional<OpenStore> gTransaction;
int gTransactionDepth = 0;

// The registry for reading: with the changes of an open transaction, else
// as the file holds it now. Never a copy: a large store is read in place.
std::shared_ptr<const RegistryDocument> registryView()
{
    if (gTransaction && gTransaction->error == ERROR_SUCCESS)
        return std::shared_ptr<const RegistryDocument>(std::shared_ptr<void>(), &gTransaction->doc());
    return storefile::readStore();
}

// A write that cannot be done inside an open transaction spoils all of it:
// none of its values is stored, so that no table is left half written.
long refuseInTransaction(long rc, const QByteArray& why)
{
    if (rc != ERROR_SUCCESS && gTransaction)
        gTransaction->refuse(rc, why);
    return rc;
}

// One change of the registry: needed() tells on the registry as it stands
// whether there is anything to change, change() makes it. When nothing needs
// changing the file is left as it is. Inside a transaction the change waits
// for the commit.
long modifyStore(const std::function<bool(const RegistryDocument&)>& needed,
                 const std::function<void(RegistryDocument&)>& change)
{
    if (gTransaction) {
        if (gTransaction->error != ERROR_SUCCESS) {
            gTransaction->attempted = true;
            return gTransaction->error;
        }
        if (needed(gTransaction->doc()))
            change(gTransaction->edit());
        return ERROR_SUCCESS;
    }
    OpenStore store = openForChange();
    store.attempted = true;
    if (store.error == ERROR_SUCCESS && needed(store.doc()))
        change(store.edit());
    return finishChange(store);
}

// ------------------------------------------------------------- the handles

// Open keys by handle: handle n is slot n - 1; an empty path is a free slot.
std::vector<QString> gHandles;

bool isRoot(HKEY key)
{
    return key >= HKEY_CLASSES_ROOT && key <= HKEY_USERS;
}

bool keyPathOf(HKEY key, QString* path)
{
    static const char* const roots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                        "HKEY_USERS"};
    if (isRoot(key)) {
        *path = QLatin1String(roots[key - HKEY_CLASSES_ROOT]);
        return true;
    }
    if (key == 0 || key > gHandles.size() || gHandles[key - 1].isEmpty())
        return false;
    *path = gHandles[key - 1];
    return true;
}

HKEY newHandle(const QString& path)
{
    for (std::size_t i = 0; i < gHandles.size(); ++i) {
        if (gHandles[i].isEmpty()) {
            gHandles[i] = path;
            return static_cast<HKEY>(i + 1);
        }
    }
    gHandles.push_back(path);
    return static_cast<HKEY>(gHandles.size());
}

long openKey(HKEY root, const char* subKey, HKEY* result, bool create)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    QString path;
    if (!keyPathOf(root, &path))
        return create ? refuseInTransaction(ERROR_INVALID_HANDLE, "a key was made below one that is not open")
                      : ERROR_INVALID_HANDLE;
    QStringList names;
    if (!RegistryDocument::splitKeyPath(subKey ? FromAnsi(subKey) : QString(), &names))
        return create ? refuseInTransaction(ERROR_INVALID_PARAMETER, "a key's name cannot be stored")
                      : ERROR_INVALID_PARAMETER;
    if (!names.isEmpty())
        path += u'\\' + names.join(u'\\');

    if (!registryView()->keyExists(path)) {
        if (!create)
            return ERROR_FILE_NOT_FOUND;
        const long rc = modifyStore([&path](const RegistryDocument& doc) { return !doc.keyExists(path); },
                                    [&path](RegistryDocument& doc) { doc.createKey(path); });
        if (rc != ERROR_SUCCESS)
            return rc;
    }
    *result = newHandle(path);
    return ERROR_SUCCESS;
}

}  // namespace

long RegOpenKeyA(HKEY root, const char* subKey, HKEY* result)
{
    std::lock_guard<std::mutex> guard(gMutex);
    return openKey(root, subKey, result, false);
}

long RegOpenKeyExA(HKEY root, const char* subKey, std::uint32_t options, std::uint32_t samDesired,
                   HKEY* result)
{
    // The rights asked for are not checked: a key opened for writing on a
    // store that cannot be written opens all the same, and the write itself
    // then fails with its error code. The only caller asking for write
    // rights never writes.
    Q_UNUSED(options);
    Q_UNUSED(samDesired);
    std::lock_guard<std::mutex> guard(gMutex);
    return openKey(root, subKey, result, false);
}

long RegCreateKeyA(HKEY root, const char* subKey, HKEY* result)
{
    std::lock_guard<std::mutex> guard(gMutex);
    return openKey(root, subKey, result, true);
}

long RegQueryValueExA(HKEY key, const char* valueName, std::uint32_t* reserved, std::uint32_t* type,
                      std::uint8_t* data, std::uint32_t* cbData)
{
    Q_UNUSED(reserved);  // meant to be null; nothing is read from it
    std::lock_guard<std::mutex> guard(gMutex);
    QString path;
    if (!keyPathOf(key, &path))
        return ERROR_INVALID_HANDLE;
    if (data && !cbData)
        return ERROR_INVALID_PARAMETER;
    const auto doc = registryView();
    const RegistryValue* value = doc->value(path, valueName ? FromAnsi(valueName) : QString());
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    const auto size = static_cast<std::uint32_t>(value->data.size());
    if (type)
        *type = value->type;
    if (data) {
        if (*cbData < size) {
            *cbData = size;
            return ERROR_MORE_DATA;
        }
        if (size > 0)
            std::memcpy(data, value->data.constData(), size);
    }
    if (cbData)
        *cbData = size;
    return ERROR_SUCCESS;
}

long RegSetValueExA(HKEY key, const char* valueName, std::uint32_t reserved, std::uint32_t type,
                    const std::uint8_t* data, std::uint32_t cbData)
{
    Q_UNUSED(reserved);
    std::lock_guard<std::mutex> guard(gMutex);
    QString path;
    if (!keyPathOf(key, &path))
        return refuseInTransaction(ERROR_INVALID_HANDLE, "a value was written to a key that is not open");
    if (!data && cbData > 0)
        return refuseInTransaction(ERROR_INVALID_PARAMETER, "a value came without its data");
    if (cbData > kMaxStoreSize)
        return refuseInTransaction(ERROR_CANTWRITE, "a value of " + QByteArray::number(cbData)
                                                        + " bytes is more than it can hold");
    const QString name = valueName ? FromAnsi(valueName) : QString();
    if (!RegistryDocument::isValidValueName(name))
        return refuseInTransaction(ERROR_INVALID_PARAMETER, "a value's name cannot be stored");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(cbData));
    // A key removed from the file since it was opened comes back with the value.
    return modifyStore(
        [&](const RegistryDocument& doc) {
            const RegistryValue* v = doc.value(path, name);
            return !v || v->type != type || v->data != bytes;
        },
        [&](RegistryDocument& doc) { doc.setValue(path, name, type, bytes); });
}

RegistryTransaction::RegistryTransaction()
{
    std::lock_guard<std::mutex> guard(gMutex);
    if (gTransactionDepth++ == 0)
        gTransaction = openForChange();
}

RegistryTransaction::~RegistryTransaction()
{
    Commit();
}

long RegistryTransaction::Commit()
{
    std::lock_guard<std::mutex> guard(gMutex);
    if (done_)
        return result_;
    done_ = true;
    if (--gTransactionDepth > 0)
        return result_ = ERROR_SUCCESS;  // the outermost one writes
    result_ = finishChange(*gTransaction);
    gTransaction.reset();  // releases the lock
    return result_;
}

long RegCloseKey(HKEY key)
{
    std::lock_guard<std::mutex> guard(gMutex);
    if (isRoot(key))
        return ERROR_SUCCESS;
    if (key == 0 || key > gHandles.size() || gHandles[key - 1].isEmpty())
        return ERROR_INVALID_HANDLE;
    gHandles[key - 1].clear();
    while (!gHandles.empty() && gHandles.back().isEmpty())
        gHandles.pop_back();
    return ERROR_SUCCESS;
}

}  // namespace vb
