// The registry's file on disk: reading it (parsed once for each version of
// the file), the lock that every change holds, keeping aside a file that
// cannot be read, and putting a changed registry in place in one rename.
//
// Not thread-safe: the registry functions (Registry.cpp) call all of this
// under their own mutex.
#pragma once

#include "RegistryStore.h"

#include <QByteArray>

#include <memory>
#include <vector>

#include <sys/types.h>

namespace vb::storefile {

// A store larger than this is no file the game wrote: it is kept aside
// unread, and no write may make the file grow past it.
constexpr qint64 kMaxStoreSize = 10 * 1024 * 1024;

// The registry as the file holds it now, for reading. An unreadable file is
// moved aside first (once), and reads as empty.
std::shared_ptr<const RegistryDocument> readStore();

class StoreLock;
struct OpenStore;

// Opens the store for changing. On failure error and why say what failed;
// finishChange reports it once a change was attempted.
OpenStore openForChange();

// Puts the changed registry in place in one write and remembers it as the
// file now read. A failure of a change that was attempted is said in one
// line on standard error, with the file and the reason.
long finishChange(OpenStore& store);

// The store opened for changing: its lock held and its file read afresh (a
// second copy of the game may have written since).
struct OpenStore {
    OpenStore();
    ~OpenStore();
    OpenStore(OpenStore&&) noexcept;
    OpenStore& operator=(OpenStore&&) noexcept;

    // The registry with the changes made so far.
    const RegistryDocument& doc() const;
    // The same, to change: the file's registry is copied at the first
    // change, so that reading a large store costs no copy of it.
    RegistryDocument& edit();

    // A change that cannot be made spoils the whole of it: none of its
    // values is stored, and finishChange says why.
    void refuse(long code, const QByteArray& reason);

    long error = 0;
    bool attempted = false;  // a change was asked for, whether or not it could be made

private:
    friend OpenStore openForChange();
    friend long finishChange(OpenStore& store);

    QByteArray target;  // the file that the write replaces
    std::unique_ptr<StoreLock> lock;
    std::shared_ptr<const RegistryDocument> base;  // as read
    std::shared_ptr<RegistryDocument> edited;      // as changed, once changed
    mode_t mode = 0644;
    gid_t group = 0;
    bool keepsGroup = false;  // a file was there: the new one takes its group
    QByteArray why;           // the reason of error, for the player
    bool reported = false;    // the failure has been said on standard error
    std::vector<qsizetype> skipped;  // lines of the file that the rewrite leaves out
    QByteArray original;             // the file as read, when lines were skipped
};

}  // namespace vb::storefile

namespace vb {

// The store file, as the bytes of its path: $QUORVANE_REGISTRY when set
// (read at every call), else $XDG_DATA_HOME/quorvane-concentration/
// registry.reg, with ~/.local/share when XDG_DATA_HOME is unset or relative
// (the home folder from $HOME, else from the account database). Empty when
// no home folder is known.
QByteArray RegistryStorePath();

}  // namespace vb
