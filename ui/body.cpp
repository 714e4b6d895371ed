#include "body.h"
#include "configstore.h"
#include "safefs.h"
#include "texttokens.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>

// Listings longer than this show the wait cursor while they are built.
static const int LongListing = 300;

Body::Body(QWidget *parent)
    : QMainWindow(parent)
    , exeFiles(nullptr)
{
    setupUi(this);
    initTargets();
    connect(&exeFiles, &ExeFiles::newLink, this, &Body::listAgainSoon);
}

Body::~Body() = default;

void Body::initTargets()
{
    const QStringList rests = config.restsOf(QStringLiteral("Target"));
    for (const QString &rest : rests) {
        QString fileName;
        QString directory;
        takeToken(takeToken(rest, &fileName), &directory);
        const QFileInfo info(QDir(directory), fileName);
        Targets->addItem(directory + QLatin1Char(':') + fileName, QVariant::fromValue(info));
    }
    selectTarget(0);
    connect(Targets, SIGNAL(currentIndexChanged(int)), this, SLOT(selectTarget(int)));
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

    // The base name is matched literally: wildcard characters in it are
    // escaped so that "[", "]", "*" and "?" only match themselves.
    QString escaped;
    for (const QChar c : base) {
        if (c == QLatin1Char('[') || c == QLatin1Char(']') || c == QLatin1Char('*')
            || c == QLatin1Char('?'))
            escaped += QLatin1Char('[') + c + QLatin1Char(']');
        else
            escaped += c;
    }
    const QStringList entries = dir.entryList(QStringList(escaped + QLatin1Char('*')));

    const bool longListing = entries.size() > LongListing;
    if (longListing)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    int built = 0;
    for (const QString &name : entries) {
        auto *row = new ExeFile(dir, name, nullptr);
        if (row->isFile)
            exeFiles.add(row);
        else
            row->deleteLater();
        // Every new widget posts an event to itself, and Qt searches all
        // pending events whenever it posts to a widget that already has one:
        // handing them out as we go keeps that search short.
        if (++built % 64 == 0)
            QCoreApplication::sendPostedEvents();
    }
    exeFiles.findLink(base, suffix, dir);
    const int n = exeFiles.items.size();
    for (int i = 0; i < n; ++i)
        TargetList->addWidget(exeFiles.items.at(i), i, 0, 1, 1);
    TargetListFrame->show();
    if (focusInList)
        focusCurrentVersion();

    // The rows beyond the screen's height are reached by scrolling.
    int height = 38 * n + 62;
    if (QScreen *screen = this->screen()) {
        const int decoration = frameGeometry().height() - geometry().height();
        height = qMin(height, screen->availableGeometry().height() - decoration);
    }
    resize(width(), height);
    if (longListing)
        QApplication::restoreOverrideCursor();
}
