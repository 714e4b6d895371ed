#include "pathlock.h"
#include "safefs.h"

#include <QDeadlineTimer>
#include <QThread>

PathLock::PathLock(const QString &path, bool create, int waitMsecs,
                   const std::function<bool()> &keepWaiting)
{
    const QDeadlineTimer deadline(waitMsecs);
    for (;;) {
        failure = FsError();
        handle = SafeFs::tryLock(path, create, failure);
        if (handle >= 0 || !SafeFs::isBusy(failure))
            return;
        if (keepWaiting && !keepWaiting()) {
            gaveUp = true;
            return;
        }
        if (deadline.hasExpired()) {
            busy = true;
            return;
        }
        // Short enough that a waiting pick follows the other's within a
        // frame or two; the holder needs no more than a few system calls.
        QThread::msleep(5);
    }
}

PathLock::~PathLock()
{
    SafeFs::unlock(handle);
}
