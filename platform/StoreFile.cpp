#include "StoreFile.h"

#include "Registry.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vb::storefile {

namespace {

// How long a write waits for another running copy of the game to finish its
// own write before giving up.
constexpr auto kLockTimeout = std::chrono::seconds(10);

struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};
    timespec ctime{};

    static FileId of(const struct stat& st)
    {
        return FileId{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    }
    bool operator==(const FileId& o) const
    {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec
            && mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec
            && ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

enum class State {
    Ok,          // read and parsed
    Missing,     // no file yet: an empty registry
    NotAFile,    // a folder, a device, a file we may not read: an empty registry that cannot be written
    Unreadable,  // a file that is no registry file: to be kept aside
};

struct Loaded {
    State state = State::Missing;
    FileId id;
    mode_t mode = 0644;
    std::shared_ptr<const RegistryDocument> doc;
    QString reason;  // why an Unreadable file could not be used
    std::vector<qsizetype> skipped;  // lines of an Ok file that could not be read
    QByteArray bytes;                // and then the file as it was read, for its copy
};

// The last file read, so that the start-up's forty calls parse it once. A
// write replaces the file, so its identity changes with every write, ours or
// another copy's, and an edit in place changes its times.
struct Cache {
    FileId id;
    Loaded loaded;
    bool asideTried = false;  // an unreadable file we could not move aside: say so once
};
std::optional<Cache> gCache;

std::shared_ptr<const RegistryDocument> emptyDocument()
{
    static const auto empty = std::make_shared<const RegistryDocument>();
    return empty;
}

long codeOf(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_CANTWRITE;
    }
}

Loaded loadFile(const QByteArray& path)
{
    Loaded result;
    result.doc = emptyDocument();
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) {
        result.state = (errno == ENOENT || errno == ENOTDIR) ? State::Missing : State::NotAFile;
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.state = State::NotAFile;  // never opened: a pipe would block, a folder cannot be read
        return result;
    }
    if (gCache && gCache->id == FileId::of(st))
        return gCache->loaded;

    const auto unreadable = [&](const QString& reason) {
        result.state = State::Unreadable;
        result.reason = reason;
        result.id = FileId::of(st);
        result.mode = st.st_mode & 07777;
        gCache = Cache{result.id, result, false};
        return result;
    };
    if (st.st_size > kMaxStoreSize)
        return unreadable(QStringLiteral("larger than 10 MiB"));

    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        result.state = State::NotAFile;
        return result;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {  // swapped since the stat above
        ::close(fd);
        result.state = State::NotAFile;
        return result;
    }
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(std::min<off_t>(st.st_size, kMaxStoreSize)) + 1);
    qsizetype filled = 0;
    bool readError = false;
    while (filled < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + filled, static_cast<size_t>(bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            readError = true;
            break;
        }
        if (n == 0)
            break;
        filled += n;
        if (filled == bytes.size() && filled <= kMaxStoreSize)  // grew while we read
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, kMaxStoreSize + 1));
    }
    ::close(fd);
    if (readError) {
        result.state = State::NotAFile;
        return result;
    }
    if (filled > kMaxStoreSize)
        return unreadable(QStringLiteral("larger than 10 MiB"));
    bytes.truncate(filled);

    QString error;
    auto doc = RegistryDocument::parse(bytes, &error, &result.skipped);
    if (!doc)
        return unreadable(error);
    if (!result.skipped.empty())
        result.bytes = bytes;
    result.state = State::Ok;
    result.id = FileId::of(st);
    result.mode = st.st_mode & 07777;
    result.doc = std::make_shared<const RegistryDocument>(std::move(*doc));
    gCache = Cache{result.id, result, false};
    return result;
}

// A file without a single write bit is one its owner made read-only: the
// game never replaces it, although rename needs only the folder's rights.
bool writeProtected(mode_t mode)
{
    return (mode & 0222) == 0;
}

// Whether the store's path leads to a pipe, a device, a socket or a folder.
// Such a store is never opened and nothing is made beside it: a lock or a
// temporary file next to /dev/zero is no store. Said once per path, not once
// per value the game tries to store.
bool leadsToNoFile(const QByteArray& path)
{
    struct stat st {};
    if (::stat(path.constData(), &st) != 0 || S_ISREG(st.st_mode))
        return false;
    static std::set<QByteArray> said;  // under gMutex
    if (said.insert(path).second)
        std::fprintf(stderr,
                     "Quorvane Concentration: the registry file %s is no regular file; stored values are "
                     "unavailable and nothing will be saved.\n",
                     path.constData());
    return true;
}

// The file that writes replace: a symbolic link is followed, so that a store
// kept elsewhere through a link stays there. Empty for a link that leads
// nowhere, where we would only guess.
QByteArray writeTarget(const QByteArray& path)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* real = ::realpath(path.constData(), nullptr);
    if (!real)
        return QByteArray();
    QByteArray target(real);
    std::free(real);
    return target;
}

}  // namespace

// The exclusive lock that every change of the file holds, on a companion file
// that is never replaced.
class StoreLock {
public:
    explicit StoreLock(const QByteArray& storePath)
    {
        const QByteArray lockPath = storePath + ".lock";
        fd_ = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644);
        if (fd_ < 0) {
            error_ = codeOf(errno);
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + kLockTimeout;
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() > deadline) {
                error_ = ERROR_CANTWRITE;
                return;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        error_ = ERROR_SUCCESS;
    }
    ~StoreLock()
    {
        if (fd_ >= 0)
            ::close(fd_);  // releases the lock
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    long error() const { return error_; }

private:
    int fd_ = -1;
    long error_ = ERROR_CANTWRITE;
};

namespace {

void fsyncFolder(const QByteArray& path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);  // some file systems refuse; the rename itself has happened
        ::close(fd);
    }
}

void reportStuck(const QByteArray& path, const Loaded& loaded, const char* why)
{
    std::fprintf(stderr,
                 "Quorvane Concentration: the registry file %s cannot be read (%s) and cannot be moved "
                 "aside (%s); stored values are unavailable and nothing will be saved.\n",
                 path.constData(), loaded.reason.toLocal8Bit().constData(), why);
}

// Moves an unreadable store aside, under the lock. False when it stays
// where it is; a file replaced meanwhile (by another copy) is left alone
// and reported as moved, so that the caller rereads it.
bool moveAsideLocked(const QByteArray& path, const Loaded& loaded)
{
    struct stat st {};
    if (::stat(path.constData(), &st) != 0 || !(FileId::of(st) == loaded.id))
        return true;

    const QByteArray base = path + ".corrupt-"
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")).toLatin1();
    QByteArray aside = base;
    int error = 0;
    for (int n = 2; n < 100; ++n) {
        // Never over an earlier copy kept aside in the same second.
        if (::renameat2(AT_FDCWD, path.constData(), AT_FDCWD, aside.constData(), RENAME_NOREPLACE) == 0) {
            error = 0;
            break;
        }
        error = errno;
        if (error == EINVAL || error == ENOSYS) {  // a file system without it
            if (::link(path.constData(), aside.constData()) == 0) {
                ::unlink(path.constData());
                error = 0;
                break;
            }
            error = errno;
        }
        if (error != EEXIST)
            break;
        aside = base + '-' + QByteArray::number(n);
    }
    if (error != 0) {
        reportStuck(path, loaded, std::strerror(error));
        return false;
    }
    fsyncFolder(path);
    std::fprintf(stderr,
                 "Quorvane Concentration: the registry file %s cannot be read (%s); it was kept as %s "
                 "and the game goes on with an empty registry.\n",
                 path.constData(), loaded.reason.toLocal8Bit().constData(), aside.constData());
    return true;
}

// Writes all of bytes to fd, syncs it to disk and closes it (always): 0, or
// the first error.
int writeSyncClose(int fd, const QByteArray& bytes)
{
    int error = 0;
    qsizetype written = 0;
    while (written < bytes.size() && error == 0) {
        const ssize_t n = ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = errno;
        else
            written += n;
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

// "line 3", "lines 3, 7 and 8": the lines a message names.
QByteArray lineList(const std::vector<qsizetype>& lines)
{
    QByteArray out = lines.size() == 1 ? "line " : "lines ";
    const std::size_t shown = std::min<std::size_t>(lines.size(), 20);
    for (std::size_t k = 0; k < shown; ++k) {
        if (k > 0)
            out += (k + 1 == lines.size()) ? " and " : ", ";
        out += QByteArray::number(static_cast<qlonglong>(lines[k]));
    }
    if (shown < lines.size())
        out += " and " + QByteArray::number(static_cast<qulonglong>(lines.size() - shown)) + " more";
    return out;
}

// Writes the bytes of the store as they were read, beside it, under the
// lock, before a file some of whose lines were skipped is rewritten without
// them. The copy's path, or empty when no copy could be made: the file must
// then stay as it is.
QByteArray keepCopyLocked(const QByteArray& path, const QByteArray& bytes, const std::vector<qsizetype>& skipped)
{
    const QByteArray base = path + ".corrupt-"
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")).toLatin1();
    QByteArray copy = base;
    int error = 0;
    int fd = -1;
    for (int n = 2; n < 100; ++n) {
        fd = ::open(copy.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd >= 0)
            break;
        error = errno;
        if (error != EEXIST)
            break;
        copy = base + '-' + QByteArray::number(n);
    }
    if (fd >= 0) {
        error = writeSyncClose(fd, bytes);
        if (error != 0)
            ::unlink(copy.constData());
    }
    if (error != 0 || fd < 0) {
        std::fprintf(stderr,
                     "Quorvane Concentration: %s of the registry file %s cannot be read, and no copy of the "
                     "file can be kept (%s); it is left as it is and nothing will be saved.\n",
                     lineList(skipped).constData(), path.constData(), std::strerror(error));
        return QByteArray();
    }
    fsyncFolder(path);
    return copy;
}

// Writes the whole registry to a new file beside the store, flushed to disk,
// then puts it in place in one rename: the store is always either the old
// file or the new one, whatever happens meanwhile.
long replaceFile(const QByteArray& path, const QByteArray& bytes, mode_t mode)
{
    QByteArray temp = path + ".tmp-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return codeOf(errno);
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temp.constData());
        return codeOf(error);
    };
    if (::fchmod(fd, mode) != 0)
        return fail(errno);
    if (const int error = writeSyncClose(fd, bytes)) {
        ::unlink(temp.constData());
        return codeOf(error);
    }
    if (::rename(temp.constData(), path.constData()) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        return codeOf(error);
    }
    fsyncFolder(path);
    return ERROR_SUCCESS;
}

// Removes the temporary files of this store that a write killed half-way
// left behind (mkostemp's names: six letters or digits). Under the lock no
// other write is under way, so none of them is in use.
void removeLeftoversLocked(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    const QByteArray prefix = path.mid(slash + 1) + ".tmp-";
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.size() != prefix.size() + 6 || !name.startsWith(prefix)
            || !std::all_of(name.cbegin() + prefix.size(), name.cend(),
                            [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }))
            continue;
        struct stat st {};
        if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::unlinkat(dirFd, name.constData(), 0);
    }
    ::closedir(dir);
}

}  // namespace

// The registry as the file holds it now, for reading. An unreadable file is
// moved aside first (once), and reads as empty.
std::shared_ptr<const RegistryDocument> readStore()
{
    const QByteArray path = QFile::encodeName(RegistryStorePath());
    Loaded loaded = loadFile(path);
    if (loaded.state == State::NotAFile) {
        leadsToNoFile(path);  // says why, once
        return emptyDocument();
    }
    if (loaded.state == State::Unreadable) {
        if (gCache && gCache->id == loaded.id && gCache->asideTried)
            return emptyDocument();
        const QByteArray target = writeTarget(path);
        bool moved = false;
        if (writeProtected(loaded.mode)) {
            reportStuck(path, loaded, "it is read-only");
        } else if (!target.isEmpty()) {
            StoreLock lock(target);
            if (lock.error() == ERROR_SUCCESS)
                moved = moveAsideLocked(target, loaded);
            else
                reportStuck(target, loaded, "its lock file cannot be opened");
        }
        if (!moved) {
            if (gCache && gCache->id == loaded.id)
                gCache->asideTried = true;
            return emptyDocument();
        }
        loaded = loadFile(path);
    }
    return loaded.state == State::Ok ? loaded.doc : emptyDocument();
}

OpenStore openForChange()
{
    OpenStore store;
    const QByteArray path = QFile::encodeName(RegistryStorePath());
    if (leadsToNoFile(path)) {
        store.error = ERROR_ACCESS_DENIED;
        return store;
    }
    store.target = writeTarget(path);
    if (store.target.isEmpty()) {
        store.error = ERROR_CANTWRITE;
        return store;
    }
    struct stat st {};
    if (::stat(store.target.constData(), &st) == 0 && S_ISREG(st.st_mode) && writeProtected(st.st_mode)) {
        store.error = ERROR_ACCESS_DENIED;  // checked before the lock, so that nothing is made beside it
        return store;
    }
    const QString folder = QFileInfo(QFile::decodeName(store.target)).absolutePath();
    if (!QDir().mkpath(folder)) {
        store.error = ERROR_ACCESS_DENIED;
        return store;
    }

    store.lock = std::make_unique<StoreLock>(store.target);
    if (store.lock->error() != ERROR_SUCCESS) {
        store.error = store.lock->error();
        return store;
    }

    Loaded loaded = loadFile(store.target);
    if (loaded.state == State::NotAFile
        || ((loaded.state == State::Ok || loaded.state == State::Unreadable) && writeProtected(loaded.mode))) {
        store.error = ERROR_ACCESS_DENIED;  // changed since the checks above
        return store;
    }
    if (loaded.state == State::Unreadable) {
        if (!moveAsideLocked(store.target, loaded)) {
            store.error = ERROR_BADDB;  // writing now would destroy the file we could not keep
            return store;
        }
        loaded = loadFile(store.target);
        if (loaded.state == State::NotAFile || loaded.state == State::Unreadable) {
            store.error = ERROR_BADDB;
            return store;
        }
    }
    store.doc = *loaded.doc;
    store.mode = loaded.state == State::Ok ? loaded.mode : 0644;
    store.skipped = loaded.skipped;
    store.original = loaded.bytes;
    return store;
}

// Puts the changed registry in place and remembers it as the file now read.
long finishChange(OpenStore& store)
{
    if (store.error != ERROR_SUCCESS)
        return store.error;
    if (!store.changed)
        return ERROR_SUCCESS;
    const QByteArray bytes = store.doc.serialize();
    if (bytes.size() > kMaxStoreSize)
        return ERROR_CANTWRITE;
    QByteArray copy;
    if (!store.skipped.empty()) {
        copy = keepCopyLocked(store.target, store.original, store.skipped);
        if (copy.isEmpty())
            return ERROR_BADDB;  // rewriting would lose the lines no copy holds
    }
    removeLeftoversLocked(store.target);
    const long rc = replaceFile(store.target, bytes, store.mode);
    if (rc != ERROR_SUCCESS) {
        if (!copy.isEmpty())
            ::unlink(copy.constData());  // the file is still as it was
        return rc;
    }
    if (!copy.isEmpty()) {
        std::fprintf(stderr,
                     "Quorvane Concentration: %s of the registry file %s cannot be read and %s skipped; the "
                     "file as it was is kept as %s.\n",
                     lineList(store.skipped).constData(), store.target.constData(),
                     store.skipped.size() == 1 ? "was" : "were", copy.constData());
        store.skipped.clear();
    }

    struct stat st {};
    if (::stat(store.target.constData(), &st) == 0) {
        Loaded now;
        now.state = State::Ok;
        now.id = FileId::of(st);
        now.mode = st.st_mode & 07777;
        now.doc = std::make_shared<const RegistryDocument>(store.doc);
        gCache = Cache{now.id, now, false};
    }
    return ERROR_SUCCESS;
}

OpenStore::OpenStore() = default;
OpenStore::~OpenStore() = default;
OpenStore::OpenStore(OpenStore&&) noexcept = default;
OpenStore& OpenStore::operator=(OpenStore&&) noexcept = default;

}  // namespace vb::storefile

namespace vb {

QString RegistryStorePath()
{
    const QByteArray own = qgetenv("QUORVANE_REGISTRY");
    if (!own.isEmpty())
        return QFile::decodeName(own);
    QString data = QFile::decodeName(qgetenv("XDG_DATA_HOME"));
    if (data.isEmpty() || !QDir::isAbsolutePath(data))  // the XDG rule: a relative path is ignored
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/quorvane-concentration/registry.reg");
}

}  // namespace vb
