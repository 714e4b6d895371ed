#include "exefiles.h"
#include "safefs.h"
#include "versionactions.h"
#include "versionlisting.h"

#include <QAbstractButton>
#include <QPointer>

ExeFiles::ExeFiles(QObject *parent)
    : QObject(parent)
    , targetIndex(-1)
{
    // clang-format off
    connect(&group, SIGNAL(buttonClicked( QAbstractButton * )), this,
            SLOT(selectLink( QAbstractButton * )));
    // clang-format on
}

ExeFiles::~ExeFiles() = default;

void ExeFiles::clear()
{
    // A listing never runs while a row's own code is on the call stack (the
    // window lists again once control is back in the event loop), so every
    // row is deleted at once, while it is out of the layout, and its
    // deletion does not search the next listing's rows. The group finds a
    // button fastest when the last one added leaves first.
    for (int i = items.size() - 1; i >= 0; --i) {
        ExeFile *row = items.at(i);
        if (row)
            group.removeButton(row->Select);
    }
    for (ExeFile *row : qAsConst(items))
        delete row;
    nextButtonId = -2;
    if (!items.isEmpty())
        items.resize(0);
}

void ExeFiles::add(ExeFile *const &row)
{
    wire(row);
    items.append(row);
    group.addButton(row->Select, nextButtonId--);
}

// The rows as the entries they show, under their current names.
static VersionListing listingOf(const QVector<ExeFile *> &rows, const QString &base,
                                const QString &suffix, const QDir &dir)
{
    VersionListing listing;
    listing.base = base;
    listing.suffix = suffix;
    listing.dir = dir;
    listing.entries.reserve(rows.size());
    for (ExeFile *row : rows)
        listing.entries.append(row->entry);
    return listing;
}

// Newest first, as the listing orders its entries.
void ExeFiles::sortByBirthTime()
{
    VersionListing listing = listingOf(items, QString(), QString(), QDir());
    const QVector<int> order = listing.arrange();
    const QVector<ExeFile *> unsorted = items;
    for (int i = 0; i < order.size(); ++i)
        items[i] = unsorted.at(order.at(i));
}

QVector<int> ExeFiles::newestFirstOrder(QVector<qint64> times, QVector<bool> known)
{
    return VersionListing::newestFirstOrder(times, known);
}

void ExeFiles::wire(ExeFile *row)
{
    connect(row, SIGNAL(newLink()), this, SIGNAL(newLink()));
    connect(row, SIGNAL(linkIsRenamed()), this, SLOT(reLink()));
    connect(row, &ExeFile::problem, this, &ExeFiles::noteProblem);
}

void ExeFiles::findLink(QString base, QString suffix, QDir dir)
{
    VersionListing listing = listingOf(items, base, suffix, dir);
    const QVector<int> order = listing.arrange();
    const QVector<ExeFile *> unsorted = items;
    for (int i = 0; i < order.size(); ++i)
        items[i] = unsorted.at(order.at(i));
    targetIndex = -1;
    if (items.isEmpty())
        return;
    for (ExeFile *row : qAsConst(items)) {
        row->Select->setChecked(false);
        // Every style sheet change restyles the widget: set only what differs.
        if (row->Name->styleSheet() != QLatin1String(ExeFile::VersionStyle))
            row->Name->setStyleSheet(QLatin1String(ExeFile::VersionStyle));
    }
    if (listing.targetIndex < 0) {
        if (!listing.createMissingLink())
            return;
        auto *row = new ExeFile(listing.entries.at(0), nullptr);
        wire(row);
        items.insert(0, row);
    }
    targetIndex = listing.targetIndex;

    ExeFile *target = items.at(targetIndex);
    target->isTarget = true;
    target->Select->hide();
    target->RenameB->hide();
    target->Name->setReadOnly(true); // it is renamed by no one
    for (int i = 0; i < items.size(); ++i) {
        if (listing.isCurrent(i)) {
            items.at(i)->Select->setChecked(true);
            items.at(i)->Name->setStyleSheet(QLatin1String(ExeFile::CurrentStyle));
        }
    }
    if (!target->isLink)
        target->ChangeLinkB->show();
}

void ExeFiles::selectLink(QAbstractButton *b)
{
    ExeFile *picked = nullptr;
    for (ExeFile *row : qAsConst(items)) {
        if (row->Select == b) {
            picked = row;
            break;
        }
    }
    if (!picked || targetIndex < 0)
        return;
    ExeFile *target = items.at(targetIndex);
    const ActionResult result = VersionActions::pick(
        target->fileInfo.absoluteFilePath(), picked->fileInfo.absoluteFilePath(), !target->isLink);
    problem = result.ok ? result.warning : result.message;
    emit newLink();
}

// A row's problem waits for the listing that follows; an operation that ends
// in no listing of its own asks for one, which shows the disk as it is.
void ExeFiles::noteProblem(QString message)
{
    problem = message;
    emit newLink();
}

void ExeFiles::reLink()
{
    ExeFile *sending = nullptr;
    ExeFile *target = nullptr;
    for (ExeFile *row : qAsConst(items)) {
        if (row == sender())
            sending = row;
        if (row && row->isTarget)
            target = row;
    }
    if (!sending || !target)
        return;
    const QString linkPath = target->fileInfo.absoluteFilePath();
    const QString newPath = sending->fileInfo.absoluteFilePath();
    const QPointer<ExeFile> renamed(sending);
    target->changeLinkTo(newPath);
    // The renamed row keeps its old name while the link still leads there.
    if (renamed)
        renamed->linkFollowFailed = SafeFs::linkTarget(linkPath) != newPath;
}
