#ifndef CLEANUPDIALOG_H
#define CLEANUPDIALOG_H

#include "ui_cleanupdialog.h"
#include "versionlisting.h"

#include <QDialog>

// Lists a target's versions with check boxes, the newest N kept and the rest
// checked, and the space the checked ones take; the version in use and the
// target itself cannot be checked.
class CleanUpDialog : public QDialog, private Ui_CleanUpDialog
{
    Q_OBJECT

public:
    CleanUpDialog(const VersionListing &listing, QWidget *parent);

    // The names checked to be moved to the trash, newest first.
    QStringList chosen() const;

private slots:
    void checkOlderThanKept();
    void showFreed();

private:
    VersionListing listing;
};

#endif // CLEANUPDIALOG_H
