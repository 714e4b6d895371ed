#include "folderwait.h"
#include "safefs.h"

#include <QCoreApplication>

FolderWait::FolderWait(QObject *parent)
    : QObject(parent)
{
    // Often enough that the action follows the other's within a glance.
    timer.setInterval(100);
    connect(&timer, &QTimer::timeout, this, &FolderWait::poll);
}

FolderWait *FolderWait::instance()
{
    static FolderWait *const one = new FolderWait(QCoreApplication::instance());
    return one;
}

void FolderWait::run(const QString &folder, const Action &action, const Done &done)
{
    const ActionResult result = action();
    if (result.refusal != ActionResult::Busy) {
        done(result);
        return;
    }
    wait({folder, action, done});
}

void FolderWait::wait(const Pending &next)
{
    // The action that waited before is given up: the user asked for another.
    if (isWaiting() && pending.done)
        pending.done(ActionResult::refused(tr("Cancelled: nothing was changed")));
    pending = next;
    const QString holder = SafeFs::lockHolder(pending.folder);
    emit waiting(holder.isEmpty()
                     ? tr("Waiting for another Quillfen, which is changing %1…").arg(pending.folder)
                     : tr("Waiting for %1, which is changing %2…").arg(holder, pending.folder));
    timer.start();
}

void FolderWait::poll()
{
    FsError error;
    const qintptr handle = SafeFs::tryLock(pending.folder, false, error);
    if (handle < 0 && SafeFs::isBusy(error))
        return;
    SafeFs::unlock(handle);
    timer.stop();
    const Pending now = pending;
    pending = Pending();
    emit waiting(QString());
    // The action takes the lock itself; should another have taken it in
    // between, it waits again.
    run(now.folder, now.action, now.done);
}

void FolderWait::cancel()
{
    if (!isWaiting())
        return;
    timer.stop();
    const Pending given = pending;
    pending = Pending();
    emit waiting(QString());
    given.done(ActionResult::refused(tr("Cancelled: nothing was changed")));
}

void FolderWait::forget()
{
    timer.stop();
    pending = Pending();
    emit waiting(QString());
}
