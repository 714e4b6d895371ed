#include "exefiles.h"
#include "safefs.h"

#include <QAbstractButton>
#include <QDateTime>

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
    connect(row, SIGNAL(newLink()), this, SIGNAL(newLink()));
    connect(row, SIGNAL(linkIsRenamed()), this, SLOT(reLink()));
    connect(row, &ExeFile::problem, this, &ExeFiles::noteProblem);
    items.append(row);
    group.addButton(row->Select, nextButtonId--);
}

// A selection sort, newest first: each pass takes the row born latest from
// the rest and swaps it into place. A row with an unknown birth time compares
// as equal to every other, as QDateTime::msecsTo does with an invalid time,
// so a pass that starts on one leaves it in place. The passes are carried out
// with a tournament tree over the positions, which finds each pass's choice
// (the first of the latest-born among the rows with known times) in
// O(log n), so that thousands of rows sort in milliseconds with exactly the
// order, ties included, of the plain scan.
void ExeFiles::sortByBirthTime()
{
    const int count = items.size();
    QVector<qint64> times(count);
    QVector<bool> known(count);
    for (int i = 0; i < count; ++i) {
        const QDateTime born = items.at(i)->fileInfo.birthTime();
        known[i] = born.isValid();
        times[i] = known[i] ? born.toMSecsSinceEpoch() : 0;
    }
    const QVector<int> order = newestFirstOrder(times, known);
    const QVector<ExeFile *> unsorted = items;
    for (int i = 0; i < count; ++i)
        items[i] = unsorted.at(order.at(i));
}

QVector<int> ExeFiles::newestFirstOrder(QVector<qint64> times, QVector<bool> known)
{
    const int count = times.size();
    QVector<int> order(count);
    for (int i = 0; i < count; ++i)
        order[i] = i;
    if (count < 2)
        return order;
    int leaves = 1;
    while (leaves < count)
        leaves *= 2;
    // Each node holds the position of the latest-born known row below it,
    // the leftmost among equals, or -1.
    QVector<int> tree(2 * leaves, -1);
    const auto better = [&](int a, int b) {
        if (a < 0)
            return b;
        if (b < 0)
            return a;
        return times[b] > times[a] ? b : a; // a is left of b
    };
    const auto update = [&](int position) {
        int node = leaves + position;
        tree[node] = known[position] ? position : -1;
        for (node /= 2; node >= 1; node /= 2)
            tree[node] = better(tree[2 * node], tree[2 * node + 1]);
    };
    for (int i = 0; i < count; ++i)
        tree[leaves + i] = known[i] ? i : -1;
    for (int node = leaves - 1; node >= 1; --node)
        tree[node] = better(tree[2 * node], tree[2 * node + 1]);
    // The best known position in [from, count).
    const auto bestFrom = [&](int from) {
        int best = -1;
        int left = from + leaves;
        int right = count - 1 + leaves;
        QVector<int> rightNodes;
        while (left <= right) {
            if (left % 2 == 1)
                best = better(best, tree[left++]);
            if (right % 2 == 0)
                rightNodes.append(tree[right--]);
            left /= 2;
            right /= 2;
        }
        for (int k = rightNodes.size() - 1; k >= 0; --k)
            best = better(best, rightNodes.at(k));
        return best;
    };

    for (int i = 0; i < count - 1; ++i) {
        if (!known[i])
            continue; // nothing compares as later than an unknown time
        const int best = bestFrom(i);
        if (best == i || times[best] <= times[i])
            continue;
        std::swap(order[i], order[best]);
        std::swap(times[i], times[best]);
        std::swap(known[i], known[best]);
        update(i);
        update(best);
    }
    return order;
}

void ExeFiles::findLink(QString base, QString suffix, QDir dir)
{
    sortByBirthTime();
    const QString linkName = suffix.isEmpty() ? base : base + QLatin1Char('.') + suffix;
    if (items.isEmpty()) {
        targetIndex = -1;
        return;
    }
    for (ExeFile *row : qAsConst(items)) {
        row->Select->setChecked(false);
        // Every style sheet change restyles the widget: set only what differs.
        if (row->Name->styleSheet() != QLatin1String(ExeFile::VersionStyle))
            row->Name->setStyleSheet(QLatin1String(ExeFile::VersionStyle));
    }
    targetIndex = -1;
    for (int i = 0; i < items.size(); ++i) {
        if (items.at(i)->fileInfo.completeBaseName() == base) {
            targetIndex = i;
            break;
        }
    }
    if (targetIndex < 0) {
        const QString linkPath = dir.absoluteFilePath(linkName);
        // Whatever stands at the link's path but is not listed (a hidden file,
        // a pipe, a file that appeared since) is never removed: only a link is
        // replaced.
        SafeFs::pointLinkTo(items.at(0)->fileInfo.absoluteFilePath(), linkPath);
        auto *row = new ExeFile(dir, linkName, nullptr);
        if (!row->isFile) {
            row->deleteLater();
            return;
        }
        connect(row, SIGNAL(newLink()), this, SIGNAL(newLink()));
        connect(row, SIGNAL(linkIsRenamed()), this, SLOT(reLink()));
        connect(row, &ExeFile::problem, this, &ExeFiles::noteProblem);
        items.insert(0, row);
        targetIndex = 0;
    }

    ExeFile *target = items.at(targetIndex);
    target->isTarget = true;
    target->Select->hide();
    target->RenameB->hide();
    target->Name->setReadOnly(true); // it is renamed by no one
    // A link whose target has a name that cannot be decoded exactly would
    // match the wrong row, one named with the replacement character.
    if (target->isLink && SafeFs::linkTargetIsExact(target->fileInfo.absoluteFilePath())) {
        const QString linked = target->linkInfo.absoluteFilePath();
        for (ExeFile *row : qAsConst(items)) {
            if (row->fileInfo.absoluteFilePath() == linked) {
                row->Select->setChecked(true);
                row->Name->setStyleSheet(QLatin1String(ExeFile::CurrentStyle));
            }
        }
    } else if (!target->isLink) {
        target->ChangeLinkB->show();
    }
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
    problem.clear();
    ExeFile *target = items.at(targetIndex);
    const QString linkPath = target->fileInfo.absoluteFilePath();
    const QString versionPath = picked->fileInfo.absoluteFilePath();
    // A version removed by another program since the listing is not linked:
    // the link would lead nowhere, and the next listing would silently link
    // the newest version instead. The new listing shows what is there.
    if (!QFileInfo(versionPath).isFile()) {
        problem = tr("%1 is gone: another program removed or renamed it")
                      .arg(picked->fileInfo.fileName());
        emit newLink();
        return;
    }
    if (!target->isLink) {
        // Its receivers may destroy the rows: none is touched after it.
        target->changeToLink();
    }
    // If setting the plain file aside failed, it still stands at the link's
    // path and is left there.
    if (!SafeFs::pointLinkTo(versionPath, linkPath) && problem.isEmpty())
        problem = tr("Could not point %1 to %2: %3")
                      .arg(QFileInfo(linkPath).fileName(), QFileInfo(versionPath).fileName(),
                           SafeFs::errorString());
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
    target->changeLinkTo(sending->fileInfo.absoluteFilePath());
}
