#include "body.h"
#include "cleanupdialog.h"
#include "configstore.h"
#include "configuredtarget.h"
#include "folderwait.h"
#include "history.h"
#include "pathlock.h"
#include "versionactions.h"
#include "versionlisting.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QThread>

// Listings longer than this show the wait cursor while they are built.
static const int LongListing = 300;

// The program's icon, drawn from the embedded drawing, so that the window has
// it also where no icon theme is installed.
static QIcon programIcon()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(quillfen);
        return true;
    }();
    Q_UNUSED(registered);
    QSvgRenderer drawing(QStringLiteral(":/quillfen.svg"));
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        drawing.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

Body::Body(QWidget *parent)
    : QMainWindow(parent)
    , exeFiles(nullptr)
{
    setupUi(this);
    setWindowIcon(programIcon());
    // These only show where the target is.
    BaseDir->setReadOnly(true);
    Target->setReadOnly(true);
    // A long directory in the chooser must not make the window wider than
    // the screen.
    Targets->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Targets->setMinimumContentsLength(24);
    emptyNote = new QLabel(TargetListFrame);
    emptyNote->setObjectName(QStringLiteral("EmptyNote"));
    emptyNote->setWordWrap(true);
    emptyNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    emptyNote->hide();
    gridLayout_5->addWidget(emptyNote, 1, 0);
    // The platform's quit keys, and Ctrl+Q where the platform has none (as
    // under a Windows keyboard scheme).
    QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    if (!quitKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Q)))
        quitKeys << QKeySequence(Qt::CTRL | Qt::Key_Q);
    actionQuit->setShortcuts(quitKeys);
    connect(actionQuit, &QAction::triggered, this, &QWidget::close);
    connect(actionAddVersion, &QAction::triggered, this, &Body::chooseVersionsToAdd);
    connect(actionCleanUp, &QAction::triggered, this, &Body::cleanUp);
    connect(actionAbout, &QAction::triggered, this, &Body::about);
    // Asked from a row's menu: the question waits for the event loop, so that
    // no row is on the call stack while the listings go on behind it.
    exeFiles.onTrashRequest = [this](const QString &name) {
        QMetaObject::invokeMethod(
            this, [this, name] { moveToTrash({name}); }, Qt::QueuedConnection);
    };
    // Files dropped onto the window are added as versions of the target.
    setAcceptDrops(true);
    connect(actionPrevious, &QAction::triggered, this, &Body::goBack);
    // The platform's refresh keys (F5 here), and Ctrl+R as many programs have.
    QList<QKeySequence> refreshKeys = QKeySequence::keyBindings(QKeySequence::Refresh);
    for (const QKeySequence &key : {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)}) {
        if (!refreshKeys.contains(key))
            refreshKeys << key;
    }
    actionRefresh->setShortcuts(refreshKeys);
    connect(actionRefresh, &QAction::triggered, this, &Body::changedTargets);
    // A long message is cut at the window's edge: its tool tip shows it whole.
    connect(statusbar, &QStatusBar::messageChanged, statusbar, &QWidget::setToolTip);
    quiet = new QTimer(this);
    quiet->setObjectName(QStringLiteral("relist"));
    quiet->setSingleShot(true);
    quiet->setInterval(QuietMsecs);
    connect(quiet, &QTimer::timeout, this, &Body::changedTargets);
    watcher = new QFileSystemWatcher(this);
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, &Body::directoryChanged);
    // An action never waits for another Quillfen's lock on this thread: it
    // is tried again once the folder is free, and meanwhile the window says
    // so, paints and answers, and offers Cancel.
    VersionActions::setDefaultLockWait(0);
    folderWait = new QProgressDialog(this);
    folderWait->setObjectName(QStringLiteral("FolderWait"));
    folderWait->setWindowTitle(tr("Waiting"));
    folderWait->setWindowModality(Qt::WindowModal);
    folderWait->setRange(0, 0);
    folderWait->setAutoClose(false);
    folderWait->setAutoReset(false);
    folderWait->reset();
    folderWait->hide();
    connect(folderWait, &QProgressDialog::canceled, FolderWait::instance(), &FolderWait::cancel);
    connect(FolderWait::instance(), &FolderWait::waiting, this, [this](const QString &message) {
        if (message.isEmpty()) {
            folderWait->hide();
            return;
        }
        folderWait->setLabelText(message);
        folderWait->show();
        statusbar->showMessage(message);
    });
    initTargets();
    connect(&exeFiles, &ExeFiles::newLink, this, &Body::listAgainSoon);
    // A configuration line with an unknown key is told first; else what the
    // first listing did on its own.
    QStringList problems = refusedTargets;
    if (!unknownKeys().isEmpty())
        problems.prepend(unknownKeys());
    if (!problems.isEmpty())
        actionMessage = problems.join(QLatin1String("; "));
    showStatus();
}

Body::~Body()
{
    // A change still waiting for the folder goes with the window.
    FolderWait::instance()->forget();
    VersionActions::setDefaultLockWait(PathLock::DefaultWaitMsecs);
    // A copy still running is cancelled: it leaves no version and no
    // temporary behind.
    if (copier) {
        cancelCopy = true;
        copier->wait();
    }
}

void Body::initTargets()
{
    for (const ConfiguredTarget &target : ConfiguredTarget::fromConfig(config)) {
        if (target.problem.isEmpty())
            Targets->addItem(target.label(), QVariant::fromValue(target.file));
        else
            refusedTargets << target.refusalText();
    }
    if (Targets->count() == 0)
        showNoTargets();
    selectTarget(0);
    connect(Targets, SIGNAL(currentIndexChanged(int)), this, SLOT(selectTarget(int)));
}

void Body::showNoTargets()
{
    const QString found = ConfigStore::foundFile(options);
    QStringList looked;
    for (const QString &place : ConfigStore::searchPath(options))
        looked << QFileInfo(place).absoluteFilePath();
    const QString text = found.isEmpty()
        ? tr("No targets: no configuration found (looked for %1). Create it with lines of the "
             "form \"Target NAME DIR\".")
              .arg(looked.join(tr(" and ")))
        : tr("No targets in %1. Add lines of the form \"Target NAME DIR\".").arg(found);
    stateMessage = text;
    showStatus();
    emptyNote->setText(text);
    emptyNote->show();
    Targets->setFocus(Qt::OtherFocusReason);
}

void Body::changedBase() { }

// A new link is announced while the row, its button and the mouse or key
// handler that set it off are still on the call stack, and a listing destroys
// every row: the listing runs once control is back in the event loop, once
// for however many announcements one action makes.
void Body::listAgainSoon()
{
    if (listingQueued)
        return;
    listingQueued = true;
    QMetaObject::invokeMethod(this, "changedTargets", Qt::QueuedConnection);
}

void Body::changedTargets()
{
    listingQueued = false;
    quiet->stop();
    // What the last action could not do stays until an action succeeds.
    if (!exeFiles.problem.isEmpty())
        actionMessage = exeFiles.problem;
    else if (exeFiles.succeeded)
        actionMessage.clear();
    exeFiles.problem.clear();
    exeFiles.succeeded = false;
    selectTarget(Targets->currentIndex());
}

// Each change waits for the quiet time to pass without another, so a burst
// makes one listing; a burst that goes on is listed after a second at most.
void Body::directoryChanged(const QString &path)
{
    // The parent is watched only for the directory's own removal and
    // re-creation; its other changes are none of the list's business.
    if (path != listedDirectory && watcher->directories().contains(listedDirectory)
        && QFileInfo(listedDirectory).isDir())
        return;
    if (!quiet->isActive())
        burst.start();
    else if (burst.elapsed() > 1000 - QuietMsecs)
        return;
    quiet->start();
}

void Body::showStatus()
{
    // What a listing did on its own is news, like an action's result.
    if (!exeFiles.notice.isEmpty()) {
        actionMessage = exeFiles.notice;
        exeFiles.notice.clear();
    }
    const QString &text = actionMessage.isEmpty() ? stateMessage : actionMessage;
    if (text.isEmpty())
        statusbar->clearMessage();
    else if (text != statusbar->currentMessage())
        statusbar->showMessage(text);
}

QString Body::unknownKeys() const
{
    static const QStringList known {QStringLiteral("TARGET"), QStringLiteral("DEBUG_TO_FILE")};
    QStringList unknown;
    for (int i = 0; i < config.allUpperKeys.size(); ++i) {
        if (!known.contains(config.allUpperKeys.at(i)) && config.allLines.value(i) > 0)
            unknown << tr("line %1: unknown key %2")
                           .arg(QString::number(config.allLines.at(i)), config.allKeys.at(i));
    }
    return unknown.join(QLatin1String("; "));
}

void Body::watch(const QString &directory)
{
    listedDirectory = directory;
    QStringList wanted;
    for (const QString &path : {directory, QFileInfo(directory).absolutePath()}) {
        if (QFileInfo(path).isDir() && !wanted.contains(path))
            wanted << path;
    }
    QStringList gone;
    for (const QString &path : watcher->directories()) {
        if (!wanted.contains(path))
            gone << path;
    }
    if (!gone.isEmpty())
        watcher->removePaths(gone);
    // A directory removed and made again is watched anew.
    QStringList added;
    for (const QString &path : qAsConst(wanted)) {
        if (!watcher->directories().contains(path))
            added << path;
    }
    if (!added.isEmpty())
        watcher->addPaths(added);
}

void Body::goBack()
{
    if (linkPath.isEmpty())
        return;
    const QFileInfo target = chosenTarget();
    FolderWait::instance()->run(
        target.absolutePath(), [target] { return VersionActions(target).goBack(); },
        [this](const ActionResult &result) {
            exeFiles.problem = result.ok ? result.warning : result.message;
            exeFiles.succeeded = result.ok;
            // Lines cut short (a full disk) were no way back: the user hears
            // how many.
            bool readable = true;
            QString error;
            int skipped = 0;
            History::read(&readable, &error, &skipped);
            if (skipped > 0)
                exeFiles.notice = tr("%1 lines of the history %2 are cut short or not Quillfen's, "
                                     "and were left out")
                                      .arg(QString::number(skipped), History::filePath());
            listAgainSoon();
        });
}

void Body::updatePrevious()
{
    // Offered exactly where going back would succeed.
    ActionResult refusal;
    actionPrevious->setEnabled(
        !linkPath.isEmpty()
        && VersionActions::backIndex(QFileInfo(linkPath), currentListing(), &refusal) >= 0);
}

void Body::focusCurrentVersion()
{
    const int n = exeFiles.items.size();
    for (int i = 0; i < n; ++i) {
        ExeFile *row = exeFiles.items.at(i);
        if (row->Select->isChecked()) {
            row->Select->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    Targets->setFocus(Qt::OtherFocusReason);
}

void Body::clearTargetList()
{
    // The list holds nothing but the rows. Taking them from the end keeps
    // this linear; QLayout::removeWidget would search the whole list for
    // each row.
    for (int i = TargetList->count() - 1; i >= 0; --i)
        delete TargetList->takeAt(i);
    laidOut.clear();
    exeFiles.clear();
}

void Body::layOut(const QVector<ExeFile *> &retired)
{
    // The layout's items are kept for the rows that stay: they remember
    // their rows' sizes, which would otherwise be asked of every row again.
    QHash<QWidget *, QLayoutItem *> kept;
    kept.reserve(TargetList->count());
    for (int i = TargetList->count() - 1; i >= 0; --i) {
        QLayoutItem *item = TargetList->takeAt(i);
        kept.insert(item->widget(), item);
    }
    for (ExeFile *row : retired)
        delete kept.take(row);
    // Out of the layout, a row is destroyed without a search through it.
    qDeleteAll(retired);
    const int n = exeFiles.items.size();
    for (int i = 0; i < n; ++i) {
        ExeFile *row = exeFiles.items.at(i);
        if (QLayoutItem *item = kept.take(row)) {
            TargetList->addItem(item, i, 0, 1, 1);
            continue;
        }
        TargetList->addWidget(row, i, 0, 1, 1);
        // A new row in a list on the screen shows at once, not once the
        // event loop gets to it.
        if (TargetListFrame->isVisible())
            row->show();
    }
    // Rows the set no longer holds (none, unless it was cleared elsewhere).
    for (QLayoutItem *item : qAsConst(kept))
        delete item;
    laidOut = exeFiles.items;
}

void Body::selectTarget(int idx)
{
    if (idx < 0 || idx >= Targets->count())
        return;
    const QFileInfo info = Targets->itemData(idx, Qt::UserRole).value<QFileInfo>();
    const bool anotherTarget = idx != listedIndex;
    if (anotherTarget && listedIndex >= 0)
        actionMessage.clear(); // it was about the other target
    listedIndex = idx;
    Target->setText(info.fileName());
    const QDir dir = info.dir();
    BaseDir->setText(dir.absolutePath());
    watch(dir.absolutePath());
    const VersionListing listing = VersionListing::read(info);

    // What the user is working in stays where it is: the focus, and the
    // version at the top of the view.
    QWidget *focused = QApplication::focusWidget();
    const bool focusInList = !focused || focused == this || TargetListFrame->isAncestorOf(focused);
    QScrollBar *scroll = scrollArea->verticalScrollBar();
    QString anchorName;
    int anchorOffset = 0;
    if (!anotherTarget && scroll->value() > 0) {
        QWidget *atTop = TargetListFrame->childAt(TargetListFrame->width() / 2, scroll->value());
        while (atTop && !qobject_cast<ExeFile *>(atTop))
            atTop = atTop->parentWidget();
        if (auto *row = qobject_cast<ExeFile *>(atTop)) {
            anchorName = row->entry.name;
            anchorOffset = row->y() - scroll->value();
        }
    }
    const int rowsBefore = exeFiles.items.size();

    const bool longListing = anotherTarget && listing.entries.size() > LongListing;
    if (longListing)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    if (anotherTarget) {
        // Rows are taken away and laid out while the list is hidden, so that
        // the layout is not redone for every row that leaves or appears; no
        // paint happens before it is shown again.
        TargetListFrame->hide();
        clearTargetList();
    }
    const QVector<ExeFile *> retired = exeFiles.reconcile(listing);
    int replaced = 0; // rows that take another's place, where none moves
    const bool sameCount = laidOut.size() == exeFiles.items.size();
    for (int i = 0; sameCount && i < laidOut.size(); ++i)
        replaced += laidOut.at(i) != exeFiles.items.at(i);
    if (sameCount && replaced == 0 && retired.isEmpty()) {
        // Nothing to place.
    } else if (sameCount && replaced <= retired.size()) {
        layOut(retired);
    } else {
        // Rows that move are placed with updates off, or each one would
        // have its old and new place redrawn as it moves. Turning updates
        // back on visits every widget of the list, so it is not done where
        // no row moves.
        TargetListFrame->setUpdatesEnabled(false);
        layOut(retired);
        gridLayout_5->activate();
        TargetListFrame->setUpdatesEnabled(true);
    }
    linkPath = exeFiles.targetIndex >= 0
        ? exeFiles.items.at(exeFiles.targetIndex)->fileInfo.absoluteFilePath()
        : QFileInfo(listing.linkPath()).absoluteFilePath();
    updatePrevious();
    if (!listing.directoryReadable())
        stateMessage
            = tr("The directory %1 does not exist or cannot be read.").arg(dir.absolutePath());
    else if (exeFiles.items.isEmpty())
        stateMessage
            = tr("No versions of %1 found in %2.").arg(info.fileName(), dir.absolutePath());
    else if (listing.undecodable > 0)
        stateMessage = tr("%1 entries left out: their names are not valid UTF-8, so they can be "
                          "neither shown nor changed exactly")
                           .arg(listing.undecodable);
    else
        stateMessage.clear();
    showStatus();
    if (anotherTarget)
        TargetListFrame->show();

    focused = QApplication::focusWidget();
    const bool focusLost = !focused || focused == this;
    if (focusInList && (anotherTarget || focusLost))
        focusCurrentVersion();
    if (!anchorName.isEmpty()) {
        gridLayout_5->activate();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        for (ExeFile *row : qAsConst(exeFiles.items)) {
            if (row->entry.name == anchorName) {
                scroll->setValue(row->y() - anchorOffset);
                break;
            }
        }
    }
    if (anotherTarget || rowsBefore != exeFiles.items.size())
        fitToRows();
    if (longListing)
        QApplication::restoreOverrideCursor();
}

// The window is as high as its rows need, from the layout's own size hints
// (so it fits any font and scale), and never larger than the screen: the
// rows beyond the screen's height are reached by scrolling.
void Body::fitToRows()
{
    const int others = sizeHint().height() - scrollArea->sizeHint().height();
    const int list = TargetListFrame->sizeHint().height() + 2 * scrollArea->frameWidth();
    int height = others + list;
    int width = this->width();
    fittedFrame = frameExtent();
    QScreen *screen = this->screen();
    if (screen) {
        const QRect available = screen->availableGeometry();
        height = qMin(height, available.height() - fittedFrame.height());
        width = qMin(width, available.width() - fittedFrame.width());
    }
    resize(width, height);
    // The frame's bottom stays on the screen where the window manager put
    // the window too low for its new height.
    if (screen && isVisible()) {
        const QRect available = screen->availableGeometry();
        const QRect placed = frameGeometry();
        if (placed.bottom() > available.bottom() || placed.top() < available.top()) {
            const int top = qMax(available.top(), available.bottom() - placed.height() + 1);
            move(placed.left(), top);
        }
    }
}

void Body::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // The frame is known once the window manager has decorated the window.
    QMetaObject::invokeMethod(
        this, [this] { fitToFrame(); }, Qt::QueuedConnection);
}

void Body::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    fitToFrame();
}

void Body::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    fitToFrame();
}

void Body::fitToFrame()
{
    // Without a target the window keeps its form's size.
    if (!isVisible() || listedIndex < 0)
        return;
    if (frameExtent() != fittedFrame)
        fitToRows();
}

QSize Body::frameExtent() const
{
    return frameGeometry().size() - geometry().size();
}

QFileInfo Body::chosenTarget() const
{
    return Targets->itemData(Targets->currentIndex(), Qt::UserRole).value<QFileInfo>();
}

VersionListing Body::currentListing() const
{
    return VersionListing::read(chosenTarget());
}

void Body::chooseVersionsToAdd()
{
    if (Targets->currentIndex() < 0)
        return;
    const QStringList files = QFileDialog::getOpenFileNames(this, tr("Add Version"));
    if (!files.isEmpty())
        addVersions(files);
}

void Body::addVersions(const QStringList &files)
{
    if (Targets->currentIndex() < 0 || files.isEmpty())
        return;
    if (copier) {
        QStringList names;
        for (const QString &file : files)
            names << QFileInfo(file).fileName();
        actionMessage = tr("A copy is still running: %1 was not added; add it once the copy is "
                           "done")
                            .arg(names.join(QLatin1String(", ")));
        showStatus();
        return;
    }
    // The copy runs on a thread of its own, so that the window keeps
    // painting and answering; it shares nothing with the window but these
    // counters and its results, which the window reads once it is done.
    qint64 total = 0;
    for (const QString &file : files)
        total += QFileInfo(file).size();
    copyTotal = qMax<qint64>(total, 1);
    copied = 0;
    cancelCopy = false;
    auto results = std::make_shared<QVector<ActionResult>>();
    const QFileInfo target = chosenTarget();
    copier = QThread::create([this, files, target, results] {
        qint64 before = 0;
        for (const QString &file : files) {
            VersionActions actions(target);
            // On its own thread the copy may wait for the lock, with Cancel.
            actions.setLockWait(PathLock::DefaultWaitMsecs);
            actions.setProgress([this, before](qint64 done, qint64 total) {
                // total 0: waiting for the lock, the copy as far as it came.
                if (total > 0)
                    copied = before + done;
                return !cancelCopy;
            });
            results->append(actions.add(file));
            before += QFileInfo(file).size();
        }
    });
    copier->setObjectName(QStringLiteral("copier"));
    if (!copyProgress) {
        copyProgress = new QProgressDialog(this);
        copyProgress->setObjectName(QStringLiteral("CopyProgress"));
        copyProgress->setWindowModality(Qt::NonModal);
        copyProgress->setMinimumDuration(500);
        copyProgress->setRange(0, 1000);
        copyProgress->setAutoClose(false);
        copyProgress->setAutoReset(false);
        connect(copyProgress, &QProgressDialog::canceled, this, [this] { cancelCopy = true; });
        copyTick = new QTimer(this);
        copyTick->setInterval(100);
        connect(copyTick, &QTimer::timeout, this, &Body::showCopyProgress);
    }
    copyProgress->reset();
    copyStarted.start();
    copyProgress->setWindowTitle(tr("Add Version"));
    copyNames = files.size() == 1 ? QFileInfo(files.first()).fileName()
                                  : tr("%1 files").arg(files.size());
    showCopyProgress();
    copyTick->start();
    connect(copier, &QThread::finished, this, [this, results] {
        copyTick->stop();
        // Done or cancelled, the progress goes at once.
        copyProgress->reset();
        copyProgress->hide();
        copier->deleteLater();
        copier = nullptr;
        report(*results);
        // A Cancel that came once a version was published undoes nothing:
        // it says so.
        QStringList added;
        for (const ActionResult &result : qAsConst(*results)) {
            if (result.ok && !result.added.isEmpty())
                added << result.added;
        }
        if (cancelCopy && !added.isEmpty()) {
            actionMessage = tr("Cancel came once the copy was done: %1 was added and stays")
                                .arg(added.join(QLatin1String(", ")));
            showStatus();
        }
    });
    copier->start();
}

void Body::showCopyProgress()
{
    const qint64 done = copied;
    copyProgress->setLabelText(
        tr("Copying %1: %2 of %3")
            .arg(copyNames, ExeFile::sizeText(done), ExeFile::sizeText(copyTotal)));
    copyProgress->setValue(int(done * 1000 / copyTotal));
    // Shown once the copy (or its wait) takes half a second, however far
    // it came; Qt's own estimate would wait for the value to move.
    if (!copyProgress->isVisible() && copyStarted.elapsed() >= 500)
        copyProgress->show();
}

void Body::report(const QVector<ActionResult> &results)
{
    QStringList problems;
    for (const ActionResult &result : results) {
        if (!result.ok)
            problems << result.message;
        else
            exeFiles.succeeded = true;
    }
    exeFiles.problem = problems.join(QLatin1Char('\n'));
    listAgainSoon();
}

void Body::dragEnterEvent(QDragEnterEvent *event)
{
    if (Targets->currentIndex() >= 0 && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void Body::dropEvent(QDropEvent *event)
{
    QStringList files;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    addVersions(files);
}

void Body::moveToTrash(const QStringList &names, const QVector<QPair<QString, QString>> &kept)
{
    if (names.isEmpty() || Targets->currentIndex() < 0)
        return;
    // What the user is asked about; a version that changes while the
    // question waits (with no lock held) is not moved.
    const VersionListing seen = currentListing();
    QMessageBox confirm(QMessageBox::Question, tr("Move to Trash"),
                        tr("Move these versions of %1 to the trash?").arg(Target->text()),
                        QMessageBox::Yes | QMessageBox::Cancel, this);
    confirm.setObjectName(QStringLiteral("ConfirmTrash"));
    QStringList lines = names;
    for (const auto &version : kept)
        lines << tr("Kept: %1, as %2").arg(version.first, version.second);
    confirm.setInformativeText(lines.join(QLatin1Char('\n')));
    confirm.setDefaultButton(QMessageBox::Cancel);
    if (confirm.exec() != QMessageBox::Yes)
        return;
    const QFileInfo target = chosenTarget();
    FolderWait::instance()->run(
        target.absolutePath(),
        [target, names, seen] { return VersionActions(target).moveToTrash(names, &seen); },
        [this](const ActionResult &result) { report({result}); });
}

void Body::cleanUp()
{
    if (Targets->currentIndex() < 0)
        return;
    CleanUpDialog dialog(currentListing(), VersionActions::previousVersion(chosenTarget()), this);
    if (dialog.exec() == QDialog::Accepted)
        moveToTrash(dialog.chosen(), dialog.kept());
}

void Body::about()
{
    const QString found = ConfigStore::foundFile(options);
    QMessageBox::about(
        this, tr("About Quillfen"),
        tr("<p><b>Quillfen</b> %1</p><p>Chooses which stored version of a program its link "
           "points to.</p><p>MIT licence. Uses Qt %2 under the LGPL.</p><p>Configuration: %3</p>")
            .arg(QStringLiteral(QUILLFEN_VERSION), QString::fromLatin1(qVersion()),
                 found.isEmpty() ? tr("none found") : found.toHtmlEscaped()));
}
