#ifndef BODY_H
#define BODY_H

#include "exefiles.h"
#include "ui_body.h"

#include <QMainWindow>

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

private:
    void initTargets();
    void clearTargetList();
    void listAgainSoon();
    void focusCurrentVersion();

    ExeFiles exeFiles;
    bool listingQueued = false;
};

#endif // BODY_H
