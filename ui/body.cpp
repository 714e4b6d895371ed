#include "body.h"
#include "configstore.h"
#include "history.h"
#include "safefs.h"
#include "targetspec.h"
#include "versionactions.h"
#include "versionlisting.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QSvgRenderer>

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
    auto *quit = new QAction(this);
    // The platform's quit keys, and Ctrl+Q where the platform has none (as
    // under a Windows keyboard scheme).
    QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    if (!quitKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Q)))
        quitKeys << QKeySequence(Qt::CTRL | Qt::Key_Q);
    quit->setShortcuts(quitKeys);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    addAction(quit);
    connect(actionPrevious, &QAction::triggered, this, &Body::goBack);
    initTargets();
    connect(&exeFiles, &ExeFiles::newLink, this, &Body::listAgainSoon);
}

Body::~Body() = default;

void Body::initTargets()
{
    for (const TargetSpec &target : TargetSpec::fromConfig(config))
        Targets->addItem(target.label(), QVariant::fromValue(target.file));
    if (Targets->count() == 0)
        showNoTargets();
    selectTarget(0);
    connect(Targets, SIGNAL(currentIndexChanged(int)), this, SLOT(selectTarget(int)));
}

void Body::showNoTargets()
{
    const QStringList places = ConfigStore::searchPath(options);
    QString found;
    QStringList looked;
    for (const QString &place : places) {
        const QString path = QFileInfo(place).absoluteFilePath();
        looked << path;
        if (found.isEmpty() && QFileInfo(place).isFile())
            found = path;
    }
    const QString text = found.isEmpty()
        ? tr("No targets: no configuration found (looked for %1). Create it with lines of the "
             "form \"Target NAME DIR\".")
              .arg(looked.join(tr(" and ")))
        : tr("No targets in %1. Add lines of the form \"Target NAME DIR\".").arg(found);
    statusbar->showMessage(text);
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
    selectTarget(Targets->currentIndex());
    // What the action that asked for this listing could not do.
    if (!exeFiles.problem.isEmpty()) {
        statusbar->showMessage(exeFiles.problem);
        exeFiles.problem.clear();
    }
}

void Body::goBack()
{
    if (linkPath.isEmpty())
        return;
    const ActionResult result = VersionActions::goBack(linkPath);
    exeFiles.problem = result.ok ? result.warning : result.message;
    listAgainSoon();
}

void Body::updatePrevious()
{
    bool readable = true;
    QString error;
    const bool recorded = !linkPath.isEmpty()
        && !History::latestFor(linkPath, &readable, &error).before.isEmpty();
    actionPrevious->setEnabled(recorded);
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
    exeFiles.clear();
}

void Body::selectTarget(int idx)
{
    if (idx < 0 || idx >= Targets->count())
        return;
    const QFileInfo info = Targets->itemData(idx, Qt::UserRole).value<QFileInfo>();
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix();
    Target->setText(info.fileName());
    // A keyboard user who picked a version goes on from the new listing's
    // checked version.
    QWidget *focused = QApplication::focusWidget();
    const bool focusInList = !focused || focused == this || TargetListFrame->isAncestorOf(focused);
    // Rows are taken away and laid out while the list is hidden, so that
    // the layout is not redone for every row that leaves or appears.
    TargetListFrame->hide();
    clearTargetList();
    const QDir dir = info.dir();
    BaseDir->setText(dir.absolutePath());
    SafeFs::removeStaleTemporaries(dir.absolutePath());

    const VersionListing listing = VersionListing::read(info);
    const bool longListing = listing.entries.size() > LongListing;
    if (longListing)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    int built = 0;
    for (const VersionEntry &entry : listing.entries) {
        exeFiles.add(new ExeFile(entry, nullptr));
        // Every new widget posts an event to itself, and Qt searches all
        // pending events whenever it posts to a widget that already has one:
        // handing them out as we go keeps that search short.
        if (++built % 64 == 0)
            QCoreApplication::sendPostedEvents();
    }
    exeFiles.findLink(base, suffix, dir);
    linkPath = exeFiles.targetIndex >= 0
        ? exeFiles.items.at(exeFiles.targetIndex)->fileInfo.absoluteFilePath()
        : QFileInfo(listing.linkPath()).absoluteFilePath();
    updatePrevious();
    if (!listing.directoryReadable())
        statusbar->showMessage(
            tr("The directory %1 does not exist or cannot be read.").arg(dir.absolutePath()));
    else if (exeFiles.items.isEmpty())
        statusbar->showMessage(
            tr("No versions of %1 found in %2.").arg(info.fileName(), dir.absolutePath()));
    else
        statusbar->clearMessage();
    const int n = exeFiles.items.size();
    for (int i = 0; i < n; ++i)
        TargetList->addWidget(exeFiles.items.at(i), i, 0, 1, 1);
    TargetListFrame->show();
    if (focusInList)
        focusCurrentVersion();

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
    if (QScreen *screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        const QRect frame = frameGeometry();
        const QRect inner = geometry();
        height = qMin(height, available.height() - (frame.height() - inner.height()));
        width = qMin(width, available.width() - (frame.width() - inner.width()));
    }
    resize(width, height);
}
