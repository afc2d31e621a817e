#include "StoreFile.h"

#include "Registry.h"

#include <QByteArray>
#include <QDateTime>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vb::storefile {

namespace {

// How long a write waits for another running copy of the game to finish its
// own write before giving up. A write takes milliseconds; a lock held longer
// belongs to a copy that hangs, and the player should hear so soon.
constexpr auto kLockTimeout = std::chrono::seconds(2);

// The names of this game's temporary files beside the store: a write puts
// the registry in <store>.quorvane-write-XXXXXX before it renames it over the
// store. No person names a file so, so that a leftover of a killed write can
// be told from the player's own files.
constexpr char kTempInfix[] = ".quorvane-write-";
constexpr char kTempLetters[] = "XXXXXX";

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
    gid_t group = 0;
    QString reason;  // why an Unreadable or NotAFile file could not be used
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

// What the store's path leads to, before anything is opened or made beside
// it. A pipe, a device, a socket or a folder (a path that ends in a slash
// names one) is no store: a pipe would block a read, and a lock or a
// temporary file next to /dev/zero is no store either.
enum class PathKind {
    File,      // a regular file; *st holds its status
    Nothing,   // nothing there yet
    NoFile,    // anything but a regular file; *why says what
    Unknown,   // the path could not be looked at; *why says why
};

PathKind kindOfPath(const QByteArray& path, struct stat* st, QByteArray* why)
{
    if (path.isEmpty()) {
        *why = "no home folder is known";
        return PathKind::NoFile;
    }
    if (path.endsWith('/')) {
        *why = "it names a folder";
        return PathKind::NoFile;
    }
    if (::stat(path.constData(), st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return PathKind::Nothing;
        *why = std::strerror(errno);
        return PathKind::Unknown;
    }
    if (!S_ISREG(st->st_mode)) {
        *why = "it is no regular file";
        return PathKind::NoFile;
    }
    return PathKind::File;
}

Loaded loadFile(const QByteArray& path)
{
    Loaded result;
    result.doc = emptyDocument();
    const auto notAFile = [&](const QString& reason) {
        result.state = State::NotAFile;
        result.reason = reason;
        return result;
    };
    struct stat st {};
    QByteArray why;
    switch (kindOfPath(path, &st, &why)) {
    case PathKind::Nothing:
        result.state = State::Missing;
        return result;
    case PathKind::NoFile:
    case PathKind::Unknown:
        return notAFile(QString::fromLocal8Bit(why));
    case PathKind::File:
        break;
    }
    if (gCache && gCache->id == FileId::of(st))
        return gCache->loaded;

    const auto unreadable = [&](const QString& reason) {
        result.state = State::Unreadable;
        result.reason = reason;
        result.id = FileId::of(st);
        result.mode = st.st_mode & 07777;
        result.group = st.st_gid;
        gCache = Cache{result.id, result, false};
        return result;
    };
    if (st.st_size > kMaxStoreSize)
        return unreadable(QStringLiteral("larger than 10 MiB"));

    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return notAFile(QString::fromLocal8Bit(std::strerror(errno)));
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {  // swapped since the stat above
        ::close(fd);
        return notAFile(QStringLiteral("it is no regular file"));
    }
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(std::min<off_t>(st.st_size, kMaxStoreSize)) + 1);
    qsizetype filled = 0;
    int readError = 0;
    while (filled < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + filled, static_cast<size_t>(bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            readError = errno;
            break;
        }
        if (n == 0)
            break;
        filled += n;
        if (filled == bytes.size() && filled <= kMaxStoreSize)  // grew while we read
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, kMaxStoreSize + 1));
    }
    ::close(fd);
    if (readError)
        return notAFile(QString::fromLocal8Bit(std::strerror(readError)));
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
    result.group = st.st_gid;
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

// The folder that holds a file, from the path's own bytes.
QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// Makes a folder and every missing one above it: 0, or the error.
int makeFolders(const QByteArray& folder)
{
    struct stat st {};
    if (::stat(folder.constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (errno != ENOENT)
        return errno;
    const QByteArray parent = folderOf(folder);
    if (parent != folder && parent != "." && parent != "/")
        if (const int error = makeFolders(parent))
            return error;
    if (::mkdir(folder.constData(), 0777) != 0 && errno != EEXIST)
        return errno;
    return 0;
}

}  // namespace

// The exclusive lock that every change of the file holds, on a companion file
// that is never replaced. A lock needs no write access: flock works on a file
// opened for reading, so that the members of a group who share a store can
// each save, whoever made the lock file.
class StoreLock {
public:
    // group: the store's, which a new lock file takes where the system
    // allows, as the replaced store does; null when there is no store yet.
    StoreLock(const QByteArray& storePath, mode_t storeMode, const gid_t* group)
    {
        const QByteArray lockPath = storePath + ".lock";
        const int flags = O_CLOEXEC | O_NOCTTY;
        fd_ = ::open(lockPath.constData(), O_RDWR | flags);
        if (fd_ < 0 && errno == ENOENT) {
            // A new lock file may be opened by whoever may write the store.
            const mode_t mode = storeMode & 0666;
            fd_ = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_EXCL | flags, mode);
            if (fd_ >= 0) {
                struct stat st {};
                if (group && ::fstat(fd_, &st) == 0 && st.st_gid != *group)
                    (void)::fchown(fd_, static_cast<uid_t>(-1), *group);  // only a member of the group may
                ::fchmod(fd_, mode);  // past the umask
            }
            else if (errno == EEXIST)
                fd_ = ::open(lockPath.constData(), O_RDWR | flags);
        }
        if (fd_ < 0 && (errno == EACCES || errno == EROFS))
            fd_ = ::open(lockPath.constData(), O_RDONLY | flags);
        if (fd_ < 0) {
            error_ = codeOf(errno);
            why_ = QByteArray("its lock file ") + lockPath + " cannot be opened: " + std::strerror(errno);
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + kLockTimeout;
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK) {
                error_ = ERROR_CANTWRITE;
                why_ = QByteArray("its lock file ") + lockPath + " cannot be locked: " + std::strerror(errno);
                return;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                error_ = ERROR_CANTWRITE;
                why_ = QByteArray("another program has held its lock file ") + lockPath + " for over "
                    + QByteArray::number(static_cast<int>(kLockTimeout.count())) + " seconds";
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
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
    const QByteArray& why() const { return why_; }

private:
    int fd_ = -1;
    long error_ = ERROR_CANTWRITE;
    QByteArray why_;
};

namespace {

void fsyncFolder(const QByteArray& path)
{
    const int fd = ::open(folderOf(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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

// Makes something beside the store under a name that nothing holds yet, so
// never over an earlier copy kept aside in the same second:
// <store>.corrupt-<date>-<time>, then the same with -2, -3, ... make(name)
// gives 0 or the error, and only EEXIST tries the next name. 0 with *name
// set, or the last error.
int makeAside(const QByteArray& path, QByteArray* name, const std::function<int(const QByteArray&)>& make)
{
    const QByteArray base = path + ".corrupt-"
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")).toLatin1();
    *name = base;
    int error = 0;
    for (int n = 2; n < 100; ++n) {
        error = make(*name);
        if (error != EEXIST)
            return error;
        *name = base + '-' + QByteArray::number(n);
    }
    return error;
}

// Moves an unreadable store aside, under the lock. False when it stays
// where it is; a file replaced meanwhile (by another copy) is left alone
// and reported as moved, so that the caller rereads it.
bool moveAsideLocked(const QByteArray& path, const Loaded& loaded)
{
    struct stat st {};
    if (::stat(path.constData(), &st) != 0 || !(FileId::of(st) == loaded.id))
        return true;

    QByteArray aside;
    const int error = makeAside(path, &aside, [&path](const QByteArray& name) {
        if (::renameat2(AT_FDCWD, path.constData(), AT_FDCWD, name.constData(), RENAME_NOREPLACE) == 0)
            return 0;
        int failure = errno;
        if (failure == EINVAL || failure == ENOSYS) {  // a file system without it
            if (::link(path.constData(), name.constData()) == 0) {
                ::unlink(path.constData());
                return 0;
            }
            failure = errno;
        }
        return failure;
    });
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
    QByteArray copy;
    int fd = -1;
    int error = makeAside(path, &copy, [&fd](const QByteArray& name) {
        fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
        return fd >= 0 ? 0 : errno;
    });
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
// file or the new one, whatever happens meanwhile. The new file takes the
// store's permissions and, where the system allows, its group, so that a
// store shared by a group stays shared. 0, or the error.
int replaceFile(const QByteArray& path, const QByteArray& bytes, mode_t mode, const gid_t* group)
{
    QByteArray temp = path + kTempInfix + kTempLetters;
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temp.constData());
        return error;
    };
    struct stat st {};
    if (group && ::fstat(fd, &st) == 0 && st.st_gid != *group)
        (void)::fchown(fd, static_cast<uid_t>(-1), *group);  // only a member of the group may
    if (::fchmod(fd, mode) != 0)
        return fail(errno);
    if (const int error = writeSyncClose(fd, bytes)) {
        ::unlink(temp.constData());
        return error;
    }
    if (::rename(temp.constData(), path.constData()) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        return error;
    }
    fsyncFolder(path);
    return 0;
}

// Removes the temporary files of this store that a write killed half-way
// left behind: regular files of exactly our name shape that hold nothing, or
// begin as every file the game writes does. Under the lock no other write is under
// way, so none of them is in use; a file of any other name is the player's.
void removeLeftoversLocked(const QByteArray& path)
{
    const QByteArray folder = folderOf(path);
    const QByteArray prefix = path.mid(path.lastIndexOf('/') + 1) + kTempInfix;
    const qsizetype letters = qsizetype(sizeof kTempLetters) - 1;
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.size() != prefix.size() + letters || !name.startsWith(prefix)
            || !std::all_of(name.cbegin() + prefix.size(), name.cend(),
                            [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }))
            continue;
        struct stat st {};
        if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        const int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        char head[9] = {};
        const ssize_t n = ::read(fd, head, 9);
        ::close(fd);
        if (n == 0 || (n > 0 && std::memcmp(head, "REGEDIT4\n", static_cast<size_t>(n)) == 0))
            ::unlinkat(dirFd, name.constData(), 0);
    }
    ::closedir(dir);
}

// One line on standard error for a change that could not be stored.
void reportNotWritten(const QByteArray& path, const QByteArray& why)
{
    std::fprintf(stderr, "Quorvane Concentration: the registry file %s could not be written: %s.\n",
                 path.constData(), why.constData());
}

}  // namespace

std::shared_ptr<const RegistryDocument> readStore()
{
    const QByteArray path = RegistryStorePath();
    Loaded loaded = loadFile(path);
    if (loaded.state == State::NotAFile)
        return emptyDocument();  // a write says why, when the game tries one
    if (loaded.state == State::Unreadable) {
        if (gCache && gCache->id == loaded.id && gCache->asideTried)
            return emptyDocument();
        const QByteArray target = writeTarget(path);
        bool moved = false;
        if (writeProtected(loaded.mode)) {
            reportStuck(path, loaded, "it is read-only");
        } else if (!target.isEmpty()) {
            StoreLock lock(target, loaded.mode, &loaded.group);
            if (lock.error() == ERROR_SUCCESS)
                moved = moveAsideLocked(target, loaded);
            else
                reportStuck(target, loaded, lock.why().constData());
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
    const auto fail = [&store](long code, const QByteArray& why) {
        store.error = code;
        store.why = why;
        return std::move(store);
    };
    const QByteArray path = RegistryStorePath();
    store.target = path;
    QByteArray why;
    struct stat pathStat {};
    if (kindOfPath(path, &pathStat, &why) == PathKind::NoFile)
        return fail(ERROR_ACCESS_DENIED, why);
    store.target = writeTarget(path);
    if (store.target.isEmpty()) {
        store.target = path;
        return fail(ERROR_CANTWRITE, "it is a link that leads nowhere");
    }
    // Checked before the lock, so that nothing is made beside such a store.
    struct stat st {};
    const bool exists = ::stat(store.target.constData(), &st) == 0 && S_ISREG(st.st_mode);
    if (exists && writeProtected(st.st_mode))
        return fail(ERROR_ACCESS_DENIED, "it is read-only");
    if (const int error = makeFolders(folderOf(store.target)))
        return fail(codeOf(error), QByteArray("its folder cannot be made: ") + std::strerror(error));

    store.lock = std::make_unique<StoreLock>(store.target, exists ? st.st_mode : 0644, exists ? &st.st_gid : nullptr);
    if (store.lock->error() != ERROR_SUCCESS)
        return fail(store.lock->error(), store.lock->why());

    Loaded loaded = loadFile(store.target);
    if (loaded.state == State::NotAFile)
        return fail(ERROR_ACCESS_DENIED, loaded.reason.toLocal8Bit());
    if ((loaded.state == State::Ok || loaded.state == State::Unreadable) && writeProtected(loaded.mode))
        return fail(ERROR_ACCESS_DENIED, "it is read-only");  // changed since the checks above
    if (loaded.state == State::Unreadable) {
        // Writing now would destroy the file that could not be kept.
        if (!moveAsideLocked(store.target, loaded)) {
            store.reported = true;  // said why
            return fail(ERROR_BADDB, "it cannot be read and cannot be moved aside");
        }
        loaded = loadFile(store.target);
        if (loaded.state == State::NotAFile || loaded.state == State::Unreadable)
            return fail(ERROR_BADDB, "it cannot be read and cannot be moved aside");
    }
    store.base = loaded.doc;
    if (loaded.state == State::Ok) {
        store.mode = loaded.mode;
        store.group = loaded.group;
        store.keepsGroup = true;
    }
    store.skipped = loaded.skipped;
    store.original = loaded.bytes;
    return store;
}

long finishChange(OpenStore& store)
{
    const auto fail = [&store](long code, const QByteArray& why) {
        if (!store.reported)
            reportNotWritten(store.target, why);
        store.reported = true;
        return code;
    };
    if (store.error != ERROR_SUCCESS) {
        if (store.attempted)
            return fail(store.error, store.why);
        return store.error;
    }
    if (!store.edited)
        return ERROR_SUCCESS;
    const QByteArray bytes = store.edited->serialize();
    if (bytes.size() > kMaxStoreSize)
        return fail(ERROR_CANTWRITE, "it would grow past 10 MiB");
    QByteArray copy;
    if (!store.skipped.empty()) {
        copy = keepCopyLocked(store.target, store.original, store.skipped);
        if (copy.isEmpty()) {
            store.reported = true;  // said why
            return ERROR_BADDB;     // rewriting would lose the lines no copy holds
        }
    }
    removeLeftoversLocked(store.target);
    if (const int error = replaceFile(store.target, bytes, store.mode, store.keepsGroup ? &store.group : nullptr)) {
        if (!copy.isEmpty())
            ::unlink(copy.constData());  // the file is still as it was
        return fail(codeOf(error), std::strerror(error));
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
        now.group = st.st_gid;
        now.doc = std::move(store.edited);
        store.base = now.doc;
        gCache = Cache{now.id, now, false};
    }
    store.edited.reset();
    return ERROR_SUCCESS;
}

void OpenStore::refuse(long code, const QByteArray& reason)
{
    attempted = true;
    if (error != ERROR_SUCCESS)
        return;  // the first failure is the one to tell
    error = code;
    why = reason;
    edited.reset();
}

const RegistryDocument& OpenStore::doc() const
{
    return edited ? *edited : base ? *base : *emptyDocument();
}

RegistryDocument& OpenStore::edit()
{
    if (!edited)
        edited = std::make_shared<RegistryDocument>(base ? *base : RegistryDocument());
    return *edited;
}

OpenStore::OpenStore() = default;
OpenStore::~OpenStore() = default;
OpenStore::OpenStore(OpenStore&&) noexcept = default;
OpenStore& OpenStore::operator=(OpenStore&&) noexcept = default;

}  // namespace vb::storefile

namespace vb {

QByteArray RegistryStorePath()
{
    const QByteArray own = qgetenv("QUORVANE_REGISTRY");
    if (!own.isEmpty())
        return own;
    // The bytes as the environment and the account database give them: a
    // folder whose name is no valid UTF-8 is still that folder.
    QByteArray data = qgetenv("XDG_DATA_HOME");
    if (!data.startsWith('/')) {  // the XDG rule: a relative path is ignored
        QByteArray home = qgetenv("HOME");
        if (!home.startsWith('/')) {
            const passwd* account = ::getpwuid(::getuid());
            home = account && account->pw_dir ? QByteArray(account->pw_dir) : QByteArray();
            if (!home.startsWith('/'))
                return QByteArray();  // nowhere to keep it: never a folder of someone else's
        }
        data = home + "/.local/share";
    }
    return data + "/quorvane-concentration/registry.reg";
}

}  // namespace vb
