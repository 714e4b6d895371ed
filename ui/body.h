#ifndef BODY_H
#define BODY_H

#include "actionresult.h"
#include "exefiles.h"
#include "ui_body.h"

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QMainWindow>
#include <QTimer>

#include <atomic>

class QLabel;
class QProgressDialog;

// The main window: the target chooser and the listing of the chosen target's
// versions.
class Body : public QMainWindow, private Ui_Body
{
    Q_OBJECT

public:
    explicit Body(QWidget *parent = nullptr);
    ~Body() override;

    // Changes in the listed directory are listed after this quiet time, so
    // that a burst of them (a copy, an unpacked archive) makes one listing.
    static const int QuietMsecs = 150;

    // Copies the files in as new versions of the chosen target, on a
    // thread of its own; after half a second a dialog shows the bytes
    // copied, with Cancel. An add while a copy runs is refused.
    void addVersions(const QStringList &files);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private slots:
    void changedBase();
    void selectTarget(int idx);
    void changedTargets();
    void goBack();
    void directoryChanged(const QString &path);
    void chooseVersionsToAdd();
    void cleanUp();
    void about();

private:
    void initTargets();
    void clearTargetList();
    void listAgainSoon();
    void focusCurrentVersion();
    void showNoTargets();
    void fitToRows();
    // Fits again once the window manager's frame is known or has changed.
    void fitToFrame();
    // What the window manager's frame adds to the window's size.
    QSize frameExtent() const;
    // Watches the directory and its parent, so that the directory's removal
    // and re-creation are seen too.
    void watch(const QString &directory);
    // Places the set's rows in the list, destroying those it gave up.
    void layOut(const QVector<ExeFile *> &retired);
    // The status bar shows the last action's problem, else what the listing
    // found wrong.
    void showStatus();
    // Configuration lines whose key the program does not know.
    QString unknownKeys() const;
    // The configuration's targets that name no file, each with its line.
    QStringList refusedTargets;
    // The link of the target chosen, as configured.
    QFileInfo chosenTarget() const;
    VersionListing currentListing() const;
    // Shows what the actions could not do, and the listing after them.
    void report(const QVector<ActionResult> &results);
    // Asks, naming the files and what a clean-up keeps and why, then moves
    // them to the trash.
    void moveToTrash(const QStringList &names, const QVector<QPair<QString, QString>> &kept = {});
    // Back to Previous Version is offered where the history has a version
    // to go back to.
    void updatePrevious();
    void showCopyProgress();

    ExeFiles exeFiles;
    bool listingQueued = false;
    QString linkPath; // of the target listed
    QString listedDirectory;
    int listedIndex = -1;
    QVector<ExeFile *> laidOut; // the rows in the list, top to bottom
    QFileSystemWatcher *watcher = nullptr;
    QTimer *quiet = nullptr; // "relist"
    QElapsedTimer burst; // since the first change that quiet waits for
    QString actionMessage;
    QString stateMessage;
    QSize fittedFrame; // the frame's extent the window was last fitted with
    QLabel *emptyNote = nullptr; // says why the list is empty
    // A copy in the background, and what it shares with the window.
    QThread *copier = nullptr;
    QProgressDialog *folderWait = nullptr;
    QProgressDialog *copyProgress = nullptr;
    QElapsedTimer copyStarted;
    QTimer *copyTick = nullptr;
    QString copyNames;
    qint64 copyTotal = 1;
    std::atomic<qint64> copied {0};
    std::atomic<bool> cancelCopy {false};
};

#endif // BODY_H
