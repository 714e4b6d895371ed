#ifndef ACTIONRESULT_H
#define ACTIONRESULT_H

#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

// What one action on a target's folder came to: done or refused with the
// reason for the user, what the link led to before and after, and what the
// action made or moved. A warning tells what went wrong besides a change
// that was made.
class ActionResult
{
public:
    enum Refusal {
        NotRefused,
        Refused, // the disk or the folder's state did not allow it
        NotAVersion, // what was named is not one of the target's versions
        Busy, // another Quillfen kept the folder locked
        AlreadyDone, // what was asked for is so already: nothing to change
        LeavesList, // the new name would not be one of the target's versions
        BadName, // a name no version may have, asked for all the same
    };

    static ActionResult refused(const QString &message, Refusal why = Refused)
    {
        ActionResult result;
        result.ok = false;
        result.refusal = why;
        result.message = message;
        return result;
    }

    bool ok = true;
    Refusal refusal = NotRefused;
    bool changed = false; // something on disk is not as it was (or would be)
    bool dryRun = false; // planned only: nothing was changed
    QString message; // why nothing (or not everything) was changed
    QStringList problems; // where several things failed, each; message joins them
    QString warning; // done, but the user should know this
    // The file names the link led to before and leads to after the action;
    // empty where it led nowhere, or where no link was touched.
    QString before;
    QString after;
    QString path; // what the action made: the new name, the name set aside
    QString added; // the name a new version got
    QString setAside; // the name a plain file at the link's name got
    QString renamedFrom; // a version's old name, where it was renamed
    QString existing; // the version that already is what was asked for
    QStringList trashed; // the names moved to the trash
    QVector<QPair<QString, QString>> kept; // what a clean-up kept, and why
};

#endif // ACTIONRESULT_H
