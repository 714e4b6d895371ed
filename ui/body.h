#ifndef BODY_H
#define BODY_H

#include "exefiles.h"
#include "ui_body.h"

#include <QMainWindow>

class QLabel;

// The main window: the target chooser and the listing of the chosen target's
// versions.
class Body : public QMainWindow, private Ui_Body
{
    Q_OBJECT

public:
    explicit Body(QWidget *parent = nullptr);
    ~Body() override;

private slots:
    void changedBase();
    void selectTarget(int idx);
    void changedTargets();
    void goBack();

private:
    void initTargets();
    void clearTargetList();
    void listAgainSoon();
    void focusCurrentVersion();
    void showNoTargets();
    void fitToRows();
    // Back to Previous Version is offered where the history has a version
    // to go back to.
    void updatePrevious();

    ExeFiles exeFiles;
    bool listingQueued = false;
    QString linkPath; // of the target listed
    QLabel *emptyNote = nullptr; // says why the list is empty
};

#endif // BODY_H
