#include "exefiles.h"
#include "rowdriver.h"
#include "versiondir.h"

#include <QtTest>

#include <numeric>

#include <fcntl.h>
#include <unistd.h>

// The version set without a window: container, order, target, link creation
// and the marks it leaves on the rows.
class TestExeFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pack_ownClearLeavesItems();
    void clear_disposesRowsAndSkipsNulls();
    void add_wiresRowAndNumbersButtons();
    void metaObject_castsByClassName();
    void sort_newestFirst_tiesKeepEarlier();
    void sort_unknownTimesKeepOrder();
    void sortOrder_matchesPlainSelectionSort_data();
    void sortOrder_matchesPlainSelectionSort();
    void findLink_empty_createsNothing();
    void findLink_marksCurrentVersion();
    void findLink_namesakeBornLater_neverTheTarget_data();
    void findLink_namesakeBornLater_neverTheTarget();
    void findLink_linkOutsideListing_marksNothing();
    void findLink_undecodableLinkTarget_marksNothing();
    void findLink_missingLink_createdToNewest_data();
    void findLink_missingLink_createdToNewest();
    void findLink_nothingButALinkIsReplaced_data();
    void findLink_nothingButALinkIsReplaced();

private:
    QList<ExeFile *> fill(ExeFiles &set, VersionDir &dir, const QStringList &names);
    static QStringList names(const ExeFiles &set);
    static QRadioButton *select(ExeFile *row) { return RowDriver::select(row); }
    static bool isGreen(ExeFile *row) { return RowDriver::isGreen(row); }
};

void TestExeFiles::initTestCase()
{
    VersionDir probe;
    if (!probe.hasBirthTimes())
        QSKIP("this file system keeps no birth times, so no newest-first order can be checked");
}

QList<ExeFile *> TestExeFiles::fill(ExeFiles &set, VersionDir &dir, const QStringList &names)
{
    QList<ExeFile *> rows;
    for (const QString &name : names) {
        auto *row = new ExeFile(QDir(dir.path()), name, nullptr);
        set.add(row);
        rows << row;
    }
    return rows;
}

QStringList TestExeFiles::names(const ExeFiles &set)
{
    QStringList result;
    for (ExeFile *row : set.items)
        result << row->fileInfo.fileName();
    return result;
}

void TestExeFiles::pack_ownClearLeavesItems()
{
    Pack<QObject *> pack;
    pack.clear();
    QVERIFY(pack.items.isEmpty());
    QObject a;
    QPointer<QObject> watch(&a);
    pack.add(&a);
    pack.add(&a);
    QCOMPARE(pack.items.size(), 2);
    pack.clear();
    QVERIFY(pack.items.isEmpty());
    QVERIFY(!watch.isNull());
}

void TestExeFiles::clear_disposesRowsAndSkipsNulls()
{
    VersionDir dir;
    dir.add(QStringLiteral("app-1.exe"), "1");
    ExeFiles set(nullptr);
    set.clear();
    const QList<ExeFile *> rows
        = fill(set, dir, {QStringLiteral("app-1.exe"), QStringLiteral("app-1.exe")});
    set.items.append(nullptr);
    QPointer<ExeFile> first(rows.at(0));
    QPointer<ExeFile> second(rows.at(1));
    Pack<ExeFile *> &pack = set;
    pack.clear(); // through the base, as the window may
    QVERIFY(set.items.isEmpty());
    QVERIFY(set.group.buttons().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QVERIFY(second.isNull());
}

void TestExeFiles::add_wiresRowAndNumbersButtons()
{
    VersionDir dir;
    dir.add(QStringLiteral("app-1.exe"), "1");
    dir.add(QStringLiteral("app-2.exe"), "2");
    for (int listing = 0; listing < 2; ++listing) {
        ExeFiles set(nullptr);
        const QList<ExeFile *> rows
            = fill(set, dir,
                   {QStringLiteral("app-1.exe"), QStringLiteral("app-2.exe"),
                    QStringLiteral("app-1.exe")});
        // The ids the toolkit would give: -2, -3, ... in the order of adding.
        QCOMPARE(set.group.id(select(rows.at(0))), -2);
        QCOMPARE(set.group.id(select(rows.at(1))), -3);
        QCOMPARE(set.items.size(), 3);
        QSignalSpy relayed(&set, SIGNAL(newLink()));
        emit rows.at(1)->newLink();
        QCOMPARE(relayed.count(), 1);
        set.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // A second listing in the same set starts from -2 again.
        auto *again = new ExeFile(QDir(dir.path()), QStringLiteral("app-2.exe"), nullptr);
        set.add(again);
        QCOMPARE(set.group.id(select(again)), -2);
        set.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

void TestExeFiles::metaObject_castsByClassName()
{
    ExeFiles set(nullptr);
    QCOMPARE(set.qt_metacast("ExeFiles"), static_cast<void *>(&set));
    QCOMPARE(set.qt_metacast("Pack<ExeFile*>"),
             static_cast<void *>(static_cast<Pack<ExeFile *> *>(&set)));
    QVERIFY(!set.qt_metacast("Body"));
    const QMetaObject *meta = set.metaObject();
    QCOMPARE(meta->method(meta->methodOffset()).methodSignature(), QByteArray("newLink()"));
    QCOMPARE(meta->method(meta->methodOffset() + 1).methodSignature(),
             QByteArray("selectLink(QAbstractButton*)"));
    QCOMPARE(meta->method(meta->methodOffset() + 2).methodSignature(), QByteArray("reLink()"));
}

void TestExeFiles::sort_newestFirst_tiesKeepEarlier()
{
    VersionDir dir;
    dir.add(QStringLiteral("app-1.exe"), "1");
    dir.add(QStringLiteral("app-2.exe"), "2");
    dir.add(QStringLiteral("app-3.exe"), "3");
    dir.link(QStringLiteral("app-2.exe"), QStringLiteral("app.exe")); // born as app-2.exe
    ExeFiles set(nullptr);
    fill(set, dir,
         {QStringLiteral("app-1.exe"), QStringLiteral("app-2.exe"), QStringLiteral("app-3.exe"),
          QStringLiteral("app.exe")});
    set.sortByBirthTime();
    // The link ties with app-2.exe and is only moved past the older app-1.exe.
    QCOMPARE(names(set), (QStringList {"app-3.exe", "app-2.exe", "app.exe", "app-1.exe"}));
    set.clear();
}

void TestExeFiles::sort_unknownTimesKeepOrder()
{
    VersionDir dir;
    dir.add(QStringLiteral("app-2.exe"), "2");
    ExeFiles set(nullptr);
    // Rows for names that are not there have no birth time: each compares as
    // equal to every other, so nothing moves.
    fill(set, dir,
         {QStringLiteral("b-missing"), QStringLiteral("app-2.exe"), QStringLiteral("a-missing")});
    set.sortByBirthTime();
    QCOMPARE(names(set), (QStringList {"b-missing", "app-2.exe", "a-missing"}));
    set.clear();
}

// The order of the plain selection sort, comparing as QDateTime::msecsTo
// does: an unknown time is equal to everything.
static QVector<int> plainSelectionSort(QVector<qint64> times, QVector<bool> known)
{
    QVector<int> order(times.size());
    std::iota(order.begin(), order.end(), 0);
    for (int i = 0; i < times.size() - 1; ++i) {
        int best = i;
        for (int j = i + 1; j < times.size(); ++j) {
            if (known[best] && known[j] && times[j] - times[best] > 0)
                best = j;
        }
        if (best != i) {
            std::swap(order[i], order[best]);
            std::swap(times[i], times[best]);
            std::swap(known[i], known[best]);
        }
    }
    return order;
}

void TestExeFiles::sortOrder_matchesPlainSelectionSort_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("distinctTimes");
    QTest::addColumn<int>("unknownPercent");
    QTest::newRow("empty") << 0 << 1 << 0;
    QTest::newRow("one") << 1 << 1 << 0;
    QTest::newRow("all equal") << 50 << 1 << 0;
    QTest::newRow("all unknown") << 50 << 5 << 100;
    QTest::newRow("many ties") << 300 << 4 << 0;
    QTest::newRow("ties and unknowns") << 300 << 6 << 20;
    QTest::newRow("mostly distinct, few unknown") << 1000 << 100000 << 3;
    QTest::newRow("odd size") << 257 << 30 << 10;
}

void TestExeFiles::sortOrder_matchesPlainSelectionSort()
{
    QFETCH(int, count);
    QFETCH(int, distinctTimes);
    QFETCH(int, unknownPercent);
    QRandomGenerator generator(quint32(count * 7919 + distinctTimes));
    for (int round = 0; round < 20; ++round) {
        QVector<qint64> times(count);
        QVector<bool> known(count);
        for (int i = 0; i < count; ++i) {
            times[i] = 1700000000000LL + generator.bounded(distinctTimes);
            known[i] = int(generator.bounded(100)) >= unknownPercent;
        }
        QCOMPARE(ExeFiles::newestFirstOrder(times, known), plainSelectionSort(times, known));
    }
}

void TestExeFiles::findLink_empty_createsNothing()
{
    VersionDir dir;
    ExeFiles set(nullptr);
    set.findLink(QStringLiteral("app"), QStringLiteral("exe"), QDir(dir.path()));
    QCOMPARE(set.targetIndex, -1);
    QVERIFY(dir.entries().isEmpty());
}

void TestExeFiles::findLink_marksCurrentVersion()
{
    VersionDir dir;
    dir.add(QStringLiteral("app-1.exe"), "1");
    dir.add(QStringLiteral("app-2.exe"), "2");
    dir.link(QStringLiteral("app-1.exe"), QStringLiteral("app.exe"));
    ExeFiles set(nullptr);
    fill(set, dir,
         {QStringLiteral("app-1.exe"), QStringLiteral("app-2.exe"), QStringLiteral("app.exe")});
    set.findLink(QStringLiteral("app"), QStringLiteral("exe"), QDir(dir.path()));
    // The link stands first, whatever its birth time.
    QCOMPARE(names(set), (QStringList {"app.exe", "app-2.exe", "app-1.exe"}));
    QCOMPARE(set.targetIndex, 0);
    ExeFile *target = set.items.at(0);
    QVERIFY(target->isTarget);
    QVERIFY(select(target)->isHidden());
    QVERIFY(target->findChild<QPushButton *>(QStringLiteral("RenameB"))->isHidden());
    QVERIFY(target->findChild<QPushButton *>(QStringLiteral("ChangeLinkB"))->isHidden());
    QVERIFY(select(set.items.at(2))->isChecked() && isGreen(set.items.at(2)));
    QVERIFY(!select(set.items.at(1))->isChecked() && !isGreen(set.items.at(1)));
    QVERIFY(!set.items.at(1)->isTarget);
    set.clear();
}

// A file the program writes beside itself, born after the link's name was
// taken by a plain file, is never the target: the target is the file of
// exactly the link's name.
void TestExeFiles::findLink_namesakeBornLater_neverTheTarget_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("later");
    QTest::newRow("another suffix") << "app.exe"
                                    << "app.log";
    QTest::newRow("no suffix") << "tool"
                               << "tool.log";
}

void TestExeFiles::findLink_namesakeBornLater_neverTheTarget()
{
    QFETCH(QString, target);
    QFETCH(QString, later);
    VersionDir dir;
    dir.add(target, "plain, older");
    dir.add(later, "newer");
    ExeFiles set(nullptr);
    fill(set, dir, {later, target});
    const QFileInfo link(dir.path(target));
    set.findLink(link.completeBaseName(), link.suffix(), QDir(dir.path()));
    QCOMPARE(set.targetIndex, 0);
    QCOMPARE(set.items.at(0)->fileInfo.fileName(), target);
    QVERIFY(!set.items.at(1)->isTarget);
    // Not a link: "to Link" is offered and no version is marked.
    QVERIFY(!set.items.at(0)->findChild<QPushButton *>(QStringLiteral("ChangeLinkB"))->isHidden());
    QVERIFY(!select(set.items.at(1))->isChecked());
    set.clear();
}

void TestExeFiles::findLink_linkOutsideListing_marksNothing()
{
    VersionDir dir;
    dir.add(QStringLiteral("elsewhere.bin"), "x");
    dir.add(QStringLiteral("app-1.exe"), "1");
    dir.link(QStringLiteral("elsewhere.bin"), QStringLiteral("app.exe"));
    ExeFiles set(nullptr);
    fill(set, dir, {QStringLiteral("app-1.exe"), QStringLiteral("app.exe")});
    set.findLink(QStringLiteral("app"), QStringLiteral("exe"), QDir(dir.path()));
    QVERIFY(set.targetIndex >= 0);
    for (ExeFile *row : set.items)
        QVERIFY(!select(row)->isChecked() && !isGreen(row));
    set.clear();
}

void TestExeFiles::findLink_undecodableLinkTarget_marksNothing()
{
    // The link leads to a name that is not UTF-8; a sibling's name holds the
    // replacement character that the undecodable byte turns into.
    VersionDir dir;
    dir.add(QStringLiteral("app-\uFFFD.exe"), "look-alike");
    const QByteArray base = QFile::encodeName(dir.path());
    const int fd = ::open(base + "/app-\xff.exe", O_CREAT | O_WRONLY, 0644);
    QVERIFY(fd >= 0);
    ::close(fd);
    QCOMPARE(::symlink(base + "/app-\xff.exe", base + "/app.exe"), 0);

    ExeFiles set(nullptr);
    fill(set, dir, QDir(dir.path()).entryList(QStringList(QStringLiteral("app*"))));
    set.findLink(QStringLiteral("app"), QStringLiteral("exe"), QDir(dir.path()));
    QVERIFY(set.targetIndex >= 0);
    for (ExeFile *row : qAsConst(set.items))
        QVERIFY2(!select(row)->isChecked(), qPrintable(row->fileInfo.fileName()));
    set.clear();
    // QTemporaryDir cannot name it to remove it.
    ::unlink(base + "/app-\xff.exe");
}

void TestExeFiles::findLink_missingLink_createdToNewest_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("linkName");
    QTest::addColumn<bool>("dangling");
    QTest::newRow("with suffix") << "app"
                                 << "exe"
                                 << "app.exe" << false;
    QTest::newRow("no suffix, no trailing dot") << "app"
                                                << ""
                                                << "app" << false;
    QTest::newRow("dangling link replaced") << "app"
                                            << "exe"
                                            << "app.exe" << true;
}

void TestExeFiles::findLink_missingLink_createdToNewest()
{
    QFETCH(QString, base);
    QFETCH(QString, suffix);
    QFETCH(QString, linkName);
    QFETCH(bool, dangling);
    VersionDir dir;
    dir.add(QStringLiteral("app-1.exe"), "1");
    dir.add(QStringLiteral("app-2.exe"), "2");
    if (dangling)
        dir.link(QStringLiteral("gone.exe"), linkName);
    ExeFiles set(nullptr);
    fill(set, dir, {QStringLiteral("app-1.exe"), QStringLiteral("app-2.exe")});
    set.findLink(base, suffix, QDir(dir.path()));
    QCOMPARE(dir.linkTarget(linkName), QStringLiteral("app-2.exe"));
    QCOMPARE(names(set), (QStringList {linkName, "app-2.exe", "app-1.exe"}));
    QCOMPARE(set.targetIndex, 0);
    QVERIFY(set.items.at(0)->isTarget);
    QVERIFY(select(set.items.at(0))->isHidden());
    QVERIFY(select(set.items.at(1))->isChecked() && isGreen(set.items.at(1)));
    QStringList expected {"app-1.exe", "app-2.exe", linkName};
    expected.sort();
    QCOMPARE(dir.entries(), expected);
    // The new row relays its signal like every other.
    QSignalSpy relayed(&set, SIGNAL(newLink()));
    emit set.items.at(0)->newLink();
    QCOMPARE(relayed.count(), 1);
    set.clear();
}

// Whatever stands at the link's name but is not listed (a hidden file, a pipe,
// a directory) is left alone: no link takes its place.
void TestExeFiles::findLink_nothingButALinkIsReplaced_data()
{
    QTest::addColumn<QString>("standing");
    QTest::newRow("hidden file") << "file";
    QTest::newRow("fifo") << "fifo";
    QTest::newRow("directory") << "directory";
}

void TestExeFiles::findLink_nothingButALinkIsReplaced()
{
    QFETCH(QString, standing);
    VersionDir dir;
    dir.add(QStringLiteral("app-1.exe"), "1");
    const QString at = dir.path(QStringLiteral("app.exe"));
    if (standing == QLatin1String("file"))
        dir.add(QStringLiteral("app.exe"), "the user's only copy");
    else if (standing == QLatin1String("directory"))
        QVERIFY(QDir().mkdir(at));
    else if (QProcess::execute(QStringLiteral("mkfifo"), {at}) != 0)
        QSKIP("mkfifo is not available");
    ExeFiles set(nullptr);
    fill(set, dir, {QStringLiteral("app-1.exe")}); // as if the listing had not shown it
    set.findLink(QStringLiteral("app"), QStringLiteral("exe"), QDir(dir.path()));
    QCOMPARE(dir.entries(), (QStringList {"app-1.exe", "app.exe"}));
    QVERIFY(dir.linkTarget(QStringLiteral("app.exe")).isEmpty());
    if (standing == QLatin1String("file")) {
        QCOMPARE(dir.read(QStringLiteral("app.exe")), QByteArray("the user's only copy"));
        // The file is not a link, so it becomes the target row with "to Link".
        QCOMPARE(set.targetIndex, 0);
    } else {
        QCOMPARE(set.targetIndex, -1);
    }
    set.clear();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QTEST_MAIN(TestExeFiles)
#include "tst_exefiles.moc"
