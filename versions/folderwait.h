#ifndef FOLDERWAIT_H
#define FOLDERWAIT_H

#include "actionresult.h"

#include <QObject>
#include <QTimer>

#include <functional>

// Lets the window wait for another Quillfen's lock on a folder without
// blocking its thread: an action that finds the folder locked is tried
// again, from the event loop, once the lock is free, while the window keeps
// painting and answering and says whom it waits for. One action waits at a
// time; another one asked for meanwhile takes its place.
class FolderWait : public QObject
{
    Q_OBJECT

public:
    using Action = std::function<ActionResult()>;
    using Done = std::function<void(const ActionResult &)>;

    static FolderWait *instance();

    // Runs action now; where it found folder locked (Busy), runs it again
    // once the lock is free. done hears the result that counts: at once
    // where there was no wait, later otherwise, or a refusal on cancel.
    void run(const QString &folder, const Action &action, const Done &done);
    // Gives up the waiting action; its done hears "Cancelled".
    void cancel();
    // Drops the waiting action unheard, for a window that closes.
    void forget();
    bool isWaiting() const { return !pending.folder.isEmpty(); }

signals:
    // What the window says while it waits; empty once it no longer does.
    void waiting(const QString &message);

private slots:
    void poll();

private:
    explicit FolderWait(QObject *parent = nullptr);
    struct Pending
    {
        QString folder;
        Action action;
        Done done;
    };
    void wait(const Pending &next);

    Pending pending;
    QTimer timer;
};

#endif // FOLDERWAIT_H
