#ifndef PATHLOCK_H
#define PATHLOCK_H

#include "fserror.h"

#include <QString>

#include <functional>

// An exclusive lock on a folder (or a lock file) between Quillfen
// processes, held from construction to destruction. Another process holding
// it is waited for, a few seconds at most; then the lock is not held and
// errorString() says why. Programs that do not take it are not kept out.
class PathLock
{
public:
    static const int DefaultWaitMsecs = 5000;

    // keepWaiting, where given, is asked while the lock is held elsewhere;
    // false stops the wait at once.
    PathLock(const QString &path, bool create = false, int waitMsecs = DefaultWaitMsecs,
             const std::function<bool()> &keepWaiting = {});
    ~PathLock();
    PathLock(const PathLock &) = delete;
    PathLock &operator=(const PathLock &) = delete;

    bool isLocked() const { return handle >= 0; }
    // The lock was held by another process for the whole wait.
    bool timedOut() const { return busy; }
    // The wait was stopped by keepWaiting.
    bool stopped() const { return gaveUp; }
    const FsError &error() const { return failure; }

private:
    qintptr handle = -1;
    bool busy = false;
    bool gaveUp = false;
    FsError failure;
};

#endif // PATHLOCK_H
