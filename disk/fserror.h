#ifndef FSERROR_H
#define FSERROR_H

#include <QString>

// Why one file system call failed, handed to its caller: the system's error
// code and its text. Each call reports into the caller's own object, so that
// a failure is never mistaken for that of another call or thread.
class FsError
{
public:
    void set(int systemCode);
    void setText(const QString &message)
    {
        code = -1;
        text = message;
    }
    bool failed() const { return code != 0; }

    int code = 0;
    QString text;
};

#endif // FSERROR_H
