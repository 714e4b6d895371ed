#ifndef CLEANUPDIALOG_H
#define CLEANUPDIALOG_H

#include "ui_cleanupdialog.h"
#include "versionlisting.h"

#include <QDialog>

// Lists a target's versions with check boxes, the newest N kept and the rest
// checked, and the space the checked ones take; the versions a clean-up
// always keeps (in use, the way back) cannot be checked and say why.
class CleanUpDialog : public QDialog, private Ui_CleanUpDialog
{
    Q_OBJECT

public:
    // previousPath: the version Back returns to, which is kept.
    CleanUpDialog(const VersionListing &listing, const QString &previousPath, QWidget *parent);

    // What is kept whatever is checked, and why.
    QVector<QPair<QString, QString>> kept() const { return keptVersions; }

    // The names checked to be moved to the trash, newest first.
    QStringList chosen() const;

private slots:
    void checkOlderThanKept();
    void showFreed();

private:
    VersionListing listing;
    QString previousPath;
    QVector<QPair<QString, QString>> keptVersions;
};

#endif // CLEANUPDIALOG_H
