#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <sys/stat.h>

namespace Talvex::Native {

// A folder of ours in the user's cache ("<cache>/Talvex/<name>") whose files a later
// run reads instead of doing some work again. It is made and checked like our other
// private folders; when it is not ours alone, or in another user's home, nothing is
// kept there and one WARNING says why. An entry is written to a file of its own and
// renamed into place, so a reader never sees half of one, and is only ever replaced,
// never written over: a reader may map it for as long as it likes.
class PrivateCacheFolder {
public:
    // `refused` begins the WARNING for a folder that may not be used ("Style sheets are
    // built afresh"), `notKept` the one for an entry that could not be written ("Style
    // sheets are not kept in"); each is said once per process.
    PrivateCacheFolder(const QString& name, std::string refused, std::string notKept);

    // The folder, opened without following a link and checked to be ours still (a
    // folder made ours earlier in the run may have been removed or replaced since); -1
    // when nothing may be kept. The caller closes it.
    int Open();
    // Writes the entry `name` through `write`, which gets a new file of ours to fill,
    // and renames it into place; afterwards removes what stopped writers of that entry
    // left behind. False, after the WARNING, when it could not be kept.
    bool Publish(int folder, const QByteArray& name, const std::function<bool(int)>& write);

    // Whether `descriptor` is a regular file of ours that nobody else may write, with
    // what fstat says of it in `status`; anything else is never read.
    static bool IsOwnFile(int descriptor, struct stat& status);
    static bool ReadFully(int descriptor, void* data, std::size_t size);
    static bool WriteFully(int descriptor, const void* data, std::size_t size);

private:
    QString Folder(bool remake);
    QString MakeFolder(const QString& base) const;
    bool ChangedSinceSweep(const struct stat& opened);
    void WarnNotKept(int error);

    const QString name;
    const std::string refused;
    const std::string notKept;
    std::mutex lock;
    QString base;
    QString folder;
    bool made = false;
    std::atomic<bool> saidNotKept{false};
    // The folder as it was when its leftovers were last removed.
    dev_t sweptDevice = 0;
    ino_t sweptInode = 0;
    struct timespec sweptChange {};
};

} // namespace Talvex::Native
