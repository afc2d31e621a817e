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

// The store opened for changing: its lock held and its file read afresh (a
// second copy of the game may have written since).
struct OpenStore {
    OpenStore();
    ~OpenStore();
    OpenStore(OpenStore&&) noexcept;
    OpenStore& operator=(OpenStore&&) noexcept;

    QByteArray target;
    std::unique_ptr<StoreLock> lock;
    RegistryDocument doc;
    mode_t mode = 0644;
    long error = 0;
    bool changed = false;
    std::vector<qsizetype> skipped;  // lines of the file that the rewrite leaves out
    QByteArray original;             // the file as read, when lines were skipped
};

OpenStore openForChange();

// Puts the changed registry in place and remembers it as the file now read.
long finishChange(OpenStore& store);

}  // namespace vb::storefile
