#include "versionlisting.h"
#include "safefs.h"

#include <algorithm>

VersionListing::VersionListing(const QFileInfo &targetFile)
    : base(targetFile.completeBaseName())
    , suffix(targetFile.suffix())
    , dir(targetFile.dir())
{
}

VersionListing VersionListing::read(const QFileInfo &targetFile)
{
    VersionListing listing(targetFile);
    // The names that begin with the base name in any letter case, sorted by
    // name without regard to case, as a directory listing with the pattern
    // would give them; read directly, since QDir looks at every entry of the
    // directory several times.
    QVector<QPair<QString, QString>> sorted;
    QStringList undecodable;
    for (const QString &name : SafeFs::entryNames(listing.dir.absolutePath(), &undecodable)) {
        if (listing.isNamedLike(name))
            sorted.append({name.toLower(), name});
    }
    for (const QString &name : qAsConst(undecodable))
        listing.undecodable += listing.isNamedLike(name);
    std::sort(sorted.begin(), sorted.end());
    QStringList names;
    names.reserve(sorted.size());
    for (const auto &name : qAsConst(sorted))
        names.append(name.second);
    listing.entries.reserve(names.size());
    // A hidden link name (.tool) is no other program's hidden file: the
    // target is listed like any other.
    const QString linkName = listing.linkName();
    if (linkName.startsWith(QLatin1Char('.')))
        names.append(linkName);
    for (const QString &name : names) {
        VersionEntry entry = VersionEntry::read(listing.dir, name);
        // Subdirectories and links that lead nowhere are no versions.
        if (entry.isFile)
            listing.entries.append(entry);
    }
    listing.arrange();
    return listing;
}

QVector<int> VersionListing::arrange()
{
    const int count = entries.size();
    QVector<qint64> times(count);
    QVector<bool> known(count);
    for (int i = 0; i < count; ++i) {
        times[i] = entries.at(i).birthMsecs;
        known[i] = entries.at(i).birthKnown;
    }
    QVector<int> order = newestFirstOrder(times, known);
    const QVector<VersionEntry> unsorted = entries;
    for (int i = 0; i < count; ++i)
        entries[i] = unsorted.at(order.at(i));
    // The entry of exactly the link's name: a file the program writes beside
    // itself (app.log beside app.exe) never takes its place.
    targetIndex = indexOf(linkName());
    // The target stands first; the versions keep their order among
    // themselves, so that re-pointing the link moves no version.
    if (targetIndex > 0) {
        entries.prepend(entries.takeAt(targetIndex));
        order.prepend(order.takeAt(targetIndex));
        targetIndex = 0;
    }
    return order;
}

QString VersionListing::linkName() const
{
    return suffix.isEmpty() ? base : base + QLatin1Char('.') + suffix;
}

QString VersionListing::linkPath() const
{
    return targetIndex >= 0 ? entries.at(targetIndex).path : dir.absoluteFilePath(linkName());
}

bool VersionListing::isCurrent(int index) const
{
    if (targetIndex < 0)
        return false;
    const VersionEntry &target = entries.at(targetIndex);
    // The file itself, however the link spells its way there.
    return index != targetIndex && index >= 0 && index < entries.size() && target.isLink
        && !target.namedIdentity.isEmpty() && entries.at(index).identity == target.namedIdentity;
}

int VersionListing::currentIndex() const
{
    for (int i = 0; i < entries.size(); ++i) {
        if (isCurrent(i))
            return i;
    }
    return -1;
}

int VersionListing::indexOfFile(const QString &path) const
{
    const QByteArray identity = SafeFs::identityOf(path, false);
    for (int i = 0; !identity.isEmpty() && i < entries.size(); ++i) {
        if (entries.at(i).identity == identity)
            return i;
    }
    return -1;
}

int VersionListing::indexOf(const QString &name) const
{
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i).name == name)
            return i;
    }
    return -1;
}

bool VersionListing::directoryReadable() const
{
    const QFileInfo info(dir.absolutePath());
    return info.isDir() && info.isReadable();
}

bool VersionListing::isNamedLike(const QString &name) const
{
    // A hidden name is a temporary's or another program's, never a version.
    return !name.startsWith(QLatin1Char('.')) && name.startsWith(base, Qt::CaseInsensitive)
        && (suffix.isEmpty() || name.endsWith(QLatin1Char('.') + suffix, Qt::CaseInsensitive));
}

int VersionListing::newestVersion() const
{
    for (int i = 0; i < entries.size(); ++i) {
        if (isVersion(i))
            return i;
    }
    return -1;
}

bool VersionListing::isVersion(int index) const
{
    if (index < 0 || index >= entries.size() || index == targetIndex)
        return false;
    const VersionEntry &entry = entries.at(index);
    return entry.isFile && !entry.isLink;
}

// A selection sort, newest first: each pass takes the entry born latest from
// the rest and swaps it into place. An entry with an unknown birth time
// compares as equal to every other, as QDateTime::msecsTo does with an
// invalid time, so a pass that starts on one leaves it in place. The passes
// are carried out with a tournament tree over the positions, which finds each
// pass's choice (the first of the latest-born among the entries with known
// times) in O(log n), so that thousands of entries sort in milliseconds with
// exactly the order, ties included, of the plain scan.
QVector<int> VersionListing::newestFirstOrder(QVector<qint64> times, QVector<bool> known)
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
