#ifndef ACTIONRESULT_H
#define ACTIONRESULT_H

#include <QString>

// What a change on disk came to: done or refused, with the reason for the
// user, and a warning where it was done but something else failed.
class ActionResult
{
public:
    static ActionResult refused(const QString &message)
    {
        ActionResult result;
        result.ok = false;
        result.message = message;
        return result;
    }

    bool ok = true;
    QString message; // why nothing was changed
    QString warning; // done, but the user should know this
    QString path; // what the action made: the new name, the name set aside
};

#endif // ACTIONRESULT_H
