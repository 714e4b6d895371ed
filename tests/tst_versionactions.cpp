#include "safefs.h"
#include "versionactions.h"
#include "versiondir.h"

#include <QtTest>

// The rules of bringing versions in and clearing them out, on real files,
// with the trash in a temporary XDG_DATA_HOME.
class TestVersionActions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void pruneCandidates_data();
    void pruneCandidates();
    void moveToTrash_data();
    void moveToTrash();
    void moveToTrash_asTheDesktopReadsIt_data();
    void moveToTrash_asTheDesktopReadsIt();
    void addVersion_data();
    void addVersion();

private:
    VersionListing listing() const
    {
        return VersionListing::read(QFileInfo(dir->path(QStringLiteral("app.exe"))));
    }
    VersionActions actions() const
    {
        return VersionActions(QFileInfo(dir->path(QStringLiteral("app.exe"))));
    }
    QScopedPointer<VersionDir> dir;
    QTemporaryDir data;
};

void TestVersionActions::initTestCase()
{
    VersionDir probe;
    if (!probe.hasBirthTimes())
        QSKIP("this file system keeps no birth times, so no newest-first order can be checked");
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
}

void TestVersionActions::init()
{
    dir.reset(new VersionDir);
}

void TestVersionActions::pruneCandidates_data()
{
    QTest::addColumn<QString>("target"); // "link NAME", "plain" or "none"
    QTest::addColumn<int>("keep");
    QTest::addColumn<QString>("moved"); // newest first, of app-1.exe (oldest) to app-5.exe
    QTest::newRow("keep 3 of 5") << "link app-5.exe" << 3 << "app-2.exe app-1.exe";
    QTest::newRow("the old one in use stays") << "link app-1.exe" << 3 << "app-2.exe";
    QTest::newRow("keep 0, all but the one in use")
        << "link app-3.exe" << 0 << "app-5.exe app-4.exe app-2.exe app-1.exe";
    QTest::newRow("keep more than there are") << "link app-5.exe" << 9 << "";
    QTest::newRow("a plain target is no version") << "plain" << 4 << "app-1.exe";
    QTest::newRow("no link, nothing in use") << "none" << 3 << "app-2.exe app-1.exe";
    QTest::newRow("a link leading elsewhere") << "link ../elsewhere.exe" << 4 << "app-1.exe";
    QTest::newRow("the way back stays") << "link app-5.exe back app-1.exe" << 3 << "app-2.exe";
    QTest::newRow("reached through another link stays")
        << "link app-beta.exe" << 0 << "app-5.exe app-4.exe app-3.exe app-1.exe";
}

void TestVersionActions::pruneCandidates()
{
    QFETCH(QString, target);
    QFETCH(int, keep);
    QFETCH(QString, moved);
    for (int i = 1; i <= 5; ++i)
        dir->add(QStringLiteral("app-%1.exe").arg(i), "v");
    // "link NAME [back PREVIOUS]"; app-beta.exe is another channel's link.
    const QStringList words = target.split(QLatin1Char(' '));
    dir->link(QStringLiteral("app-2.exe"), QStringLiteral("app-beta.exe"));
    if (words.first() == QLatin1String("link"))
        QVERIFY(QFile::link(words.at(1), dir->path(QStringLiteral("app.exe"))));
    else if (target == QLatin1String("plain"))
        dir->add(QStringLiteral("app.exe"), "plain");
    // A stranger and a temporary of ours are never among them.
    dir->add(QStringLiteral("other.exe"), "stranger");
    dir->add(QStringLiteral(".app.exe.quillfen-1f3a9c"), "temporary");
    const QString previous
        = words.contains(QStringLiteral("back")) ? dir->path(words.last()) : QString();
    QCOMPARE(VersionActions::pruneCandidates(listing(), keep, previous).join(QLatin1Char(' ')),
             moved);
}

void TestVersionActions::moveToTrash_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("before"); // what happens between listing and moving
    QTest::addColumn<QString>("refusal"); // empty: moved
    QTest::newRow("an old version") << "app-1.exe"
                                    << ""
                                    << "";
    QTest::newRow("the target") << "app.exe"
                                << ""
                                << "is not a version";
    QTest::newRow("the version in use") << "app-2.exe"
                                        << ""
                                        << "is the version in use";
    QTest::newRow("in use since the listing") << "app-1.exe"
                                              << "point"
                                              << "is the version in use";
    QTest::newRow("replaced since the listing") << "app-1.exe"
                                                << "replace"
                                                << "changed since";
    QTest::newRow("a stranger") << "other.exe"
                                << ""
                                << "is not a version";
    QTest::newRow("our temporary") << ".app.exe.quillfen-1f3a9c"
                                   << ""
                                   << "is not a version";
    QTest::newRow("gone") << "app-1.exe"
                          << "remove"
                          << "changed since";
}

void TestVersionActions::moveToTrash()
{
    QFETCH(QString, name);
    QFETCH(QString, before);
    QFETCH(QString, refusal);
    dir->add(QStringLiteral("app-1.exe"), "1");
    dir->add(QStringLiteral("app-2.exe"), "2");
    dir->link(QStringLiteral("app-2.exe"), QStringLiteral("app.exe"));
    dir->add(QStringLiteral("other.exe"), "stranger");
    dir->add(QStringLiteral(".app.exe.quillfen-1f3a9c"), "temporary");
    const VersionListing listed = listing();
    const QString path = dir->path(QStringLiteral("app-1.exe"));
    if (before == QLatin1String("point")) {
        FsError error;
        QVERIFY(SafeFs::pointLinkTo(path, dir->path(QStringLiteral("app.exe")), error));
    } else if (before == QLatin1String("replace")) {
        QVERIFY(QFile::remove(path));
        dir->add(QStringLiteral("app-1.exe"), "someone else's");
    } else if (before == QLatin1String("remove")) {
        QVERIFY(QFile::remove(path));
    }
    const QStringList entries = dir->entries();
    const ActionResult result = actions().moveToTrash({name}, &listed);
    QCOMPARE(result.ok, refusal.isEmpty());
    QVERIFY2(result.message.contains(refusal), qPrintable(result.message));
    if (!result.ok) {
        QCOMPARE(dir->entries(), entries);
        return;
    }
    QVERIFY(!SafeFs::exists(dir->path(name)));
    QCOMPARE(VersionDir::readFile(result.path), QByteArray("1"));
    QVERIFY(result.path.startsWith(data.path() + QStringLiteral("/Trash/files/")));
    QVERIFY(QFileInfo::exists(data.path() + QStringLiteral("/Trash/info/")
                              + QFileInfo(result.path).fileName() + QStringLiteral(".trashinfo")));
}

// A file manager restores a version by decoding Path; a name the trash holds
// already, in files/ or in info/, gets the next free one in both.
void TestVersionActions::moveToTrash_asTheDesktopReadsIt_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("taken"); // where the trash holds the name already
    QTest::newRow("percent and blanks") << "app-1 %41 x.exe" << QString();
    QTest::newRow("not ASCII") << "app-ü #1?.exe" << QString();
    QTest::newRow("taken in files") << "app-1.exe" << QStringLiteral("files/app-1.exe");
    QTest::newRow("taken in info") << "app-1.exe" << QStringLiteral("info/app-1.exe.trashinfo");
}

void TestVersionActions::moveToTrash_asTheDesktopReadsIt()
{
    QFETCH(QString, name);
    QFETCH(QString, taken);
    const QString trash = data.path() + QStringLiteral("/Trash/");
    QDir(data.path()).removeRecursively();
    QVERIFY(QDir().mkpath(trash + QStringLiteral("files")) && QDir().mkpath(trash + "info"));
    QFile other(trash + taken);
    QVERIFY(taken.isEmpty() || other.open(QIODevice::WriteOnly));
    dir->add(name, "old");
    dir->add(QStringLiteral("app-2.exe"), "2");
    dir->link(QStringLiteral("app-2.exe"), QStringLiteral("app.exe"));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const ActionResult result = actions().moveToTrash({name});
    const QString inTrash = taken.isEmpty() ? name : QStringLiteral("app-1 (2).exe");
    QCOMPARE(result.path, trash + QStringLiteral("files/") + inTrash);
    QCOMPARE(VersionDir::readFile(result.path), QByteArray("old"));
    const QList<QByteArray> lines
        = VersionDir::readFile(trash + QStringLiteral("info/") + inTrash + ".trashinfo")
              .split('\n');
    QCOMPARE(lines.value(0), QByteArray("[Trash Info]"));
    const QByteArray path = lines.value(1).mid(5); // after "Path="
    QVERIFY2(lines.value(1).startsWith("Path=")
                 && QRegularExpression(QStringLiteral("^[A-Za-z0-9/%._~-]+$"))
                        .match(QString::fromLatin1(path))
                        .hasMatch(),
             path.constData());
    QCOMPARE(QFile::decodeName(QByteArray::fromPercentEncoding(path)), dir->path(name));
    const QDateTime deleted = QDateTime::fromString(
        QString::fromLatin1(lines.value(2)), QStringLiteral("'DeletionDate='yyyy-MM-ddThh:mm:ss"));
    QVERIFY2(deleted >= before && deleted <= QDateTime::currentDateTime(),
             lines.value(2).constData());
}

// A build keeps the name it is known by where that is a free name of the
// target's versions; any other gets a dated one. Content, mode and a copy of
// a version already there, whatever its name.
void TestVersionActions::addVersion_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("added"); // DATED: today's first dated name; "=NAME": there as NAME
    QTest::newRow("a version's own name") << "app-2.1.exe" << QByteArray("2.1") << "app-2.1.exe";
    QTest::newRow("another suffix") << "app-2.1.zip" << QByteArray("zip") << "DATED";
    QTest::newRow("another base name") << "nightly.exe" << QByteArray("n") << "DATED";
    QTest::newRow("the link's own name") << "app.exe" << QByteArray("a") << "DATED";
    QTest::newRow("its name taken") << "app-1.exe" << QByteArray("other") << "DATED";
    QTest::newRow("a copy of a version") << "copy.bin" << QByteArray("1") << "=app-1.exe";
}

void TestVersionActions::addVersion()
{
    QFETCH(QString, source);
    QFETCH(QByteArray, content);
    QFETCH(QString, added);
    dir->add(QStringLiteral("app-1.exe"), "1");
    dir->link(QStringLiteral("app-1.exe"), QStringLiteral("app.exe"));
    QTemporaryDir downloads;
    QFile build(downloads.filePath(source));
    QVERIFY(build.open(QIODevice::WriteOnly) && build.write(content) == content.size());
    build.close();
    const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadGroup | QFile::ExeGroup;
    QVERIFY(build.setPermissions(mode));
    const QStringList before = dir->entries();
    const ActionResult result = actions().add(build.fileName());
    if (added.startsWith(QLatin1Char('='))) {
        QCOMPARE(result.refusal, ActionResult::AlreadyDone);
        QCOMPARE(result.existing, added.mid(1));
        QCOMPARE(dir->entries(), before);
        return;
    }
    QVERIFY2(result.ok, qPrintable(result.message));
    added.replace(QLatin1String("DATED"),
                  QStringLiteral("app-%1-1.exe")
                      .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
    QCOMPARE(result.added, added);
    QCOMPARE(dir->read(added), content);
    QCOMPARE(QFile::permissions(result.path) & 0x7077, mode & 0x7077); // owner, group, others
    QCOMPARE(dir->read(QStringLiteral("app-1.exe")), QByteArray("1"));
}

QTEST_MAIN(TestVersionActions)
#include "tst_versionactions.moc"
