#include "exefiles.h"
#include "folderwait.h"
#include "versionactions.h"
#include "versionlisting.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPointer>
#include <QScrollArea>

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
    const int count = items.size();
    QVector<qint64> times(count);
    QVector<bool> known(count);
    for (int i = 0; i < count; ++i) {
        times[i] = items.at(i)->entry.birthMsecs;
        known[i] = items.at(i)->entry.birthKnown;
    }
    const QVector<int> order = VersionListing::newestFirstOrder(times, known);
    const QVector<ExeFile *> unsorted = items;
    for (int i = 0; i < count; ++i)
        items[i] = unsorted.at(order.at(i));
}

QVector<int> ExeFiles::newestFirstOrder(QVector<qint64> times, QVector<bool> known)
{
    return VersionListing::newestFirstOrder(times, known);
}

void ExeFiles::wire(ExeFile *row)
{
    row->Select->installEventFilter(this);
    row->Select->setToolTip(keysTip());
    connect(row, SIGNAL(newLink()), this, SIGNAL(newLink()));
    connect(row, SIGNAL(linkIsRenamed()), this, SLOT(reLink()));
    connect(row, &ExeFile::problem, this, &ExeFiles::noteProblem);
    connect(row, &ExeFile::succeeded, this, &ExeFiles::noteSuccess);
    connect(row, &ExeFile::trashRequested, this, [this, row] {
        if (onTrashRequest)
            onTrashRequest(row->entry.name);
    });
}

void ExeFiles::findLink(QString base, QString suffix, QDir dir)
{
    VersionListing listing = listingOf(items, base, suffix, dir);
    const QVector<int> order = listing.arrange();
    const QVector<ExeFile *> unsorted = items;
    for (int i = 0; i < order.size(); ++i)
        items[i] = unsorted.at(order.at(i));
    targetFile = QFileInfo(dir.absoluteFilePath(listing.linkName()));
    if (!items.isEmpty() && linkIfMissing(&listing)) {
        auto *row = new ExeFile(listing.entries.at(0), nullptr);
        wire(row);
        items.insert(0, row);
    }
    mark(listing);
}

QVector<ExeFile *> ExeFiles::reconcile(VersionListing listing)
{
    targetFile = QFileInfo(listing.dir.absoluteFilePath(listing.linkName()));
    linkIfMissing(&listing);
    QHash<QString, ExeFile *> byName;
    byName.reserve(items.size());
    for (ExeFile *row : qAsConst(items)) {
        if (row)
            byName.insert(row->entry.name, row);
    }
    QVector<ExeFile *> retired;
    QVector<ExeFile *> next;
    next.reserve(listing.entries.size());
    int built = 0;
    for (const VersionEntry &entry : qAsConst(listing.entries)) {
        ExeFile *old = byName.take(entry.name);
        if (old && old->entry.sameAs(entry)) {
            next.append(old);
            continue;
        }
        auto *row = new ExeFile(entry, nullptr);
        if (old) {
            row->takeOverFrom(old);
            retired.append(old);
        }
        wire(row);
        group.addButton(row->Select, nextButtonId--);
        next.append(row);
        // Every new widget asks to be polished, and Qt searches all pending
        // events whenever it posts to a widget that already has one: handing
        // them out as we go keeps that search short.
        if (++built % 64 == 0)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::PolishRequest);
    }
    for (ExeFile *row : qAsConst(byName))
        retired.append(row);
    for (ExeFile *row : qAsConst(retired))
        group.removeButton(row->Select);
    items = next;
    mark(listing);
    return retired;
}

void ExeFiles::mark(const VersionListing &listing)
{
    targetIndex = items.isEmpty() ? -1 : listing.targetIndex;
    // A current version that is current no more is unchecked, which an
    // exclusive group would refuse.
    group.setExclusive(false);
    for (int i = 0; i < items.size(); ++i) {
        ExeFile *row = items.at(i);
        const bool target = i == targetIndex;
        const bool current = targetIndex >= 0 && listing.isCurrent(i);
        row->isTarget = target;
        row->targetFile = targetFile;
        // Another channel's link, or one someone made, is shown but is no
        // version: it cannot be picked or renamed here.
        const bool otherLink = !target && row->isLink;
        if (row->Select->isEnabled() == otherLink) {
            row->Select->setEnabled(!otherLink);
            row->RenameB->setEnabled(!otherLink);
            row->Select->setToolTip(
                otherLink ? tr("A link to %1, not a version of %2: it cannot be picked")
                                .arg(row->entry.linkTarget, listing.linkName())
                          : keysTip());
        }
        // Each change restyles or relays the widget: only what differs.
        if (row->Select->isChecked() != current)
            row->Select->setChecked(current);
        const QLatin1String style(current ? ExeFile::CurrentStyle : ExeFile::VersionStyle);
        if (row->Name->styleSheet() != style)
            row->Name->setStyleSheet(style);
        if (row->Select->isHidden() != target)
            row->Select->setHidden(target);
        if (row->RenameB->isHidden() != target)
            row->RenameB->setHidden(target);
        row->Name->setReadOnly(target || otherLink); // renamed by no one here
        const bool offerLink = target && !row->isLink;
        if (row->ChangeLinkB->isHidden() == offerLink)
            row->ChangeLinkB->setHidden(!offerLink);
    }
    group.setExclusive(true);
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
    const QFileInfo target = targetFile;
    const QString name = picked->entry.name;
    FolderWait::instance()->run(
        target.absolutePath(), [target, name] { return VersionActions(target).pick(name); },
        [this](const ActionResult &result) {
            noteResult(result);
            emit newLink();
        });
}

QString ExeFiles::keysTip()
{
    return tr("Space or Enter points the link to this version; the arrow keys only move between "
              "versions");
}

bool ExeFiles::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    int from = -1;
    for (int i = 0; i < items.size() && from < 0; ++i) {
        if (items.at(i)->Select == watched)
            from = i;
    }
    if (from < 0)
        return QObject::eventFilter(watched, event);
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // Picks as a click does; the new listing comes once this handler
        // has returned.
        items.at(from)->Select->click();
        return true;
    }
    // Where each key leads, counted in the versions that can be picked.
    QVector<int> pickable;
    int at = 0;
    for (int i = 0; i < items.size(); ++i) {
        const QRadioButton *select = items.at(i)->Select;
        if (select->isVisibleTo(items.at(i)) && select->isEnabled()) {
            if (i <= from)
                at = pickable.size();
            pickable.append(i);
        }
    }
    if (pickable.isEmpty())
        return QObject::eventFilter(watched, event);
    // A page is as many rows as the list shows at once.
    QScrollArea *area = nullptr;
    for (QWidget *up = items.at(from)->parentWidget(); up && !area; up = up->parentWidget())
        area = qobject_cast<QScrollArea *>(up);
    const int page
        = area ? qMax(1, area->viewport()->height() / qMax(1, items.at(from)->height())) : 10;
    int to;
    switch (key) {
    case Qt::Key_Up:
        to = at - 1;
        break;
    case Qt::Key_Down:
        to = at + 1;
        break;
    case Qt::Key_Home:
        to = 0;
        break;
    case Qt::Key_End:
        to = pickable.size() - 1;
        break;
    case Qt::Key_PageUp:
        to = at - page;
        break;
    case Qt::Key_PageDown:
        to = at + page;
        break;
    default:
        return QObject::eventFilter(watched, event);
    }
    ExeFile *next = items.at(pickable.at(qBound(0, to, pickable.size() - 1)));
    next->Select->setFocus(Qt::TabFocusReason);
    if (area)
        area->ensureWidgetVisible(next);
    return true;
}

void ExeFiles::noteResult(const ActionResult &result)
{
    problem = result.ok ? result.warning : result.message;
    succeeded = result.ok;
}

bool ExeFiles::linkIfMissing(VersionListing *listing)
{
    if (listing->targetIndex >= 0 || listing->newestVersion() < 0)
        return false;
    const ActionResult made = VersionActions(targetFile).linkNewest();
    // Another Quillfen at work in the folder: a later listing links it.
    if (made.refusal != ActionResult::Busy)
        noteSideEffect(made);
    // A change the user did not ask for is told, and recorded for Back.
    if (made.changed && notice.isEmpty())
        notice = made.before.isEmpty() ? tr("%1 did not exist: it was made, leading to %2")
                                             .arg(listing->linkName(), made.after)
                                       : tr("%1 led to %2, which is gone: it leads to %3 now")
                                             .arg(listing->linkName(), made.before, made.after);
    // The link made now, or a file at its name that the listing did not
    // show (a hidden one), which stays and is shown as the target.
    const VersionEntry standing = VersionEntry::read(listing->dir, listing->linkName());
    if (!standing.isFile)
        return false;
    listing->entries.insert(0, standing);
    listing->targetIndex = 0;
    return true;
}

// What the listing did on its own is told without hiding what the user's
// last action came to.
void ExeFiles::noteSideEffect(const ActionResult &result)
{
    if (!result.ok)
        notice = result.message;
    else if (!result.warning.isEmpty())
        notice = result.warning;
}

void ExeFiles::noteSuccess()
{
    succeeded = true;
    emit newLink();
}

// A row's problem waits for the listing that follows; an operation that ends
// in no listing of its own asks for one, which shows the disk as it is.
void ExeFiles::noteProblem(QString message)
{
    problem = message;
    emit newLink();
}

// The link followed the renamed version inside the rename itself; the new
// listing shows where it leads.
void ExeFiles::reLink()
{
    emit newLink();
}
