#ifndef EXEFILE_H
#define EXEFILE_H

#include "actionresult.h"
#include "ui_exefile.h"
#include "versionentry.h"

#include <QDir>
#include <QFileInfo>
#include <QFrame>

#include <functional>

// One row of the listing: a file of the target's directory with its radio
// button, its name, where it points if it is a link, and its two buttons. The
// row shows one entry; what its buttons do is decided and done by
// VersionActions.
class ExeFile : public QFrame, private Ui_ExeFile
{
    Q_OBJECT
    friend class Body;
    friend class ExeFiles;

public:
    // The Name field of every version, and of the one the link points to.
    // The fields' palettes keep their text dark on these pale colours.
    static constexpr const char *VersionStyle = "background-color: rgb(255, 255, 220);";
    static constexpr const char *CurrentStyle = "background-color: rgb(230, 255, 230);";

    ExeFile(QDir dir, QString name, QWidget *parent);
    // A row for an entry already read.
    ExeFile(const VersionEntry &entry, QWidget *parent);
    ~ExeFile() override;

    bool isTarget;
    bool isFile;
    bool isLink;
    QFileInfo fileInfo;
    QFileInfo linkInfo;
    // The entry as it was read, under its current name.
    VersionEntry entry;
    // The target's link, whose version this row is; the row's own file
    // until the set says otherwise.
    QFileInfo targetFile;

    // A size for the user, in their language.
    static QString sizeText(qint64 bytes);

    // A name that stays inside the row's directory and names an entry of its
    // own: not empty, not "." or "..", no separator and no NUL.
    static bool isPlainName(const QString &name);

    // Takes over what the user was doing in the row this one replaces: a
    // name typed but not applied, its cursor, and the keyboard focus.
    void takeOverFrom(const ExeFile *old);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The row's menu: "Move to Trash", after the name field's own entries
    // when it is asked for on the field.
    void showMenu(QWidget *on, const QPoint &at);
    void refuseRename(const QString &message);
    // Renames the version to typed (mayLeave: also out of the list), and
    // shows what came of it, once the folder is free.
    void renameTo(const QString &typed, bool mayLeave);
    void renamed(const QString &typed, const ActionResult &result);
    // Runs an action on the link once the folder is free and shows what came
    // of it; isLinkNow: the name holds a link afterwards, so "to Link" goes.
    void runOnLink(const std::function<ActionResult()> &action, bool isLinkNow);
    // Tells what an action could not do, or what went wrong besides.
    void report(const QString &message, const QString &warning);
    // Shows a name or path from its beginning, whole in the tooltip.
    static void showPath(QLineEdit *field, const QString &text, const QString &fullPath);

signals:
    void newLink();
    void linkIsRenamed();
    // An operation could not be done: what and why, for the user.
    void problem(QString message);
    // An operation was done.
    void succeeded();
    // The user asked to move this version to the trash.
    void trashRequested();

public slots:
    void changeLinkTo(QString link);
    void changeToLink();
    void rename();
};

#endif // EXEFILE_H
