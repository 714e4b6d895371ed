#include "safefs.h"
#include "versionactions.h"
#include "versiondir.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

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
    void addVersion_carriesNoPrivileges_data();
    void addVersion_carriesNoPrivileges();
    void longNames_data();
    void longNames();
    void moveToTrash_whereTheDesktopLooks_data();
    void moveToTrash_whereTheDesktopLooks();

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

// As cp without -p gives them, whoever owns the source and whoever adds it:
// the umask applies, and no set-user-ID, set-group-ID or sticky bit comes.
void TestVersionActions::addVersion_carriesNoPrivileges_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("added");
    QTest::newRow("set-user-ID, open to all") << 04777 << 022 << 0755;
    QTest::newRow("set-group-ID") << 02755 << 022 << 0755;
    QTest::newRow("sticky, strict umask") << 01777 << 077 << 0700;
    QTest::newRow("private stays private") << 0700 << 0 << 0700;
    QTest::newRow("read-only") << 0444 << 022 << 0444;
}

void TestVersionActions::addVersion_carriesNoPrivileges()
{
    QFETCH(int, mode);
    QFETCH(int, umask);
    QFETCH(int, added);
    QTemporaryDir downloads;
    const QString build = VersionDir::write(downloads.filePath(QStringLiteral("build.bin")), "b");
    // Another user's file, as a deployment run by root brings in.
    QVERIFY(::chown(QFile::encodeName(build), 65534, 65534) == 0 || ::geteuid() != 0);
    QVERIFY(::chmod(QFile::encodeName(build), mode_t(mode)) == 0);
    const mode_t old = ::umask(mode_t(umask));
    const ActionResult result = actions().add(build);
    ::umask(old);
    struct stat st;
    QVERIFY(result.ok && ::stat(QFile::encodeName(result.path), &st) == 0);
    QCOMPARE(int(st.st_mode & 07777), added);
    QCOMPARE(dir->read(result.added), QByteArray("b"));
}

// Names up to the longest a folder entry may have: their temporaries, dated
// names and trash entries are cut to fit, and a restored version has its name.
void TestVersionActions::longNames_data()
{
    QTest::addColumn<QString>("action"); // add, rename, trash or toLink
    QTest::addColumn<int>("bytes"); // of the name acted on
    QTest::addColumn<bool>("done");
    QTest::newRow("add 255") << "add" << 255 << true;
    QTest::newRow("rename to 255") << "rename" << 255 << true;
    QTest::newRow("trash 255, restored") << "trash" << 255 << true;
    QTest::newRow("trash 246, restored") << "trash" << 246 << true;
    QTest::newRow("set aside a link name of 244") << "toLink" << 244 << true;
    QTest::newRow("no dated name fits a link name of 250") << "toLink" << 250 << false;
}

void TestVersionActions::longNames()
{
    QFETCH(QString, action);
    QFETCH(int, bytes);
    QFETCH(bool, done);
    // app-xxx…x.exe, or for toLink the link's own name tool-xxx…x.exe
    const QString stem
        = action == QLatin1String("toLink") ? QStringLiteral("t") : QStringLiteral("app-");
    const QString name = stem + QString(bytes - stem.size() - 4, QLatin1Char('x')) + ".exe";
    dir->add(QStringLiteral("app-1.exe"), "1");
    dir->link(QStringLiteral("app-1.exe"), QStringLiteral("app.exe"));
    if (action != QLatin1String("add") && action != QLatin1String("rename"))
        dir->add(name, "long");
    QTemporaryDir downloads;
    const QString build = VersionDir::write(downloads.filePath(name), "long");
    const QStringList before = dir->entries();
    ActionResult result;
    if (action == QLatin1String("add"))
        result = actions().add(build);
    else if (action == QLatin1String("rename"))
        result = actions().rename(QStringLiteral("app-1.exe"), name);
    else if (action == QLatin1String("trash"))
        result = actions().moveToTrash({name});
    else
        result = VersionActions(QFileInfo(dir->path(name))).toLink();
    QVERIFY2(result.ok == done, qPrintable(result.message));
    if (!done) {
        QCOMPARE(dir->entries(), before);
        return;
    }
    if (action == QLatin1String("rename"))
        QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), name);
    else if (action != QLatin1String("trash"))
        QCOMPARE(dir->read(name), QByteArray("long"));
    if (action == QLatin1String("toLink"))
        QCOMPARE(QFile::encodeName(dir->linkTarget(name)).size(), 255);
    if (action == QLatin1String("trash")) {
        // Restored as a file manager does: to the Path the .trashinfo holds.
        const QString info = data.path() + QStringLiteral("/Trash/info/")
            + QFileInfo(result.path).fileName() + QStringLiteral(".trashinfo");
        const QByteArray path = VersionDir::readFile(info).split('\n').value(1).mid(5);
        QCOMPARE(QFile::decodeName(QByteArray::fromPercentEncoding(path)), dir->path(name));
        QVERIFY(QFile::rename(result.path, dir->path(name)));
        QCOMPARE(dir->read(name), QByteArray("long"));
    }
    // No temporary of ours is left, whatever its name's length.
    for (const QString &entry : dir->entries())
        QVERIFY2(!SafeFs::isTemporaryName(entry), qPrintable(entry));
}

// The trash of the file system the folder really is on, as trash-list (the
// desktop's own reader) finds it: the home's, or the top directory's of
// another mount, with Path relative to it; never one inside the folder that
// a link leads to. An orphan .trashinfo of ours is cleared on the way.
void TestVersionActions::moveToTrash_whereTheDesktopLooks_data()
{
    QTest::addColumn<QString>("place"); // "home", "mount" or "mount by link"
    QTest::newRow("the home's file system") << "home";
    QTest::newRow("another file system") << "mount";
    QTest::newRow("another file system through a link") << "mount by link";
}

void TestVersionActions::moveToTrash_whereTheDesktopLooks()
{
    QFETCH(QString, place);
    if (QStandardPaths::findExecutable(QStringLiteral("trash-list")).isEmpty())
        QSKIP("trash-list (trash-cli) is not installed");
    QTemporaryDir home;
    const QString mount = home.filePath(QStringLiteral("mnt"));
    QVERIFY(QDir().mkpath(mount));
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    const auto unmount = qScopeGuard([&] {
        QProcess::execute(QStringLiteral("umount"), {mount});
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
    });
    QString folder = home.filePath(QStringLiteral("v"));
    if (place != QLatin1String("home")) {
        if (QProcess::execute(QStringLiteral("mount"),
                              {"-t", "tmpfs", "-o", "size=4m", "tmpfs", mount})
            != 0)
            QSKIP("cannot mount a tmpfs here");
        folder = mount + QStringLiteral("/apps/v");
    }
    QVERIFY(QDir().mkpath(folder));
    QString reached = folder;
    if (place == QLatin1String("mount by link")) {
        reached = home.filePath(QStringLiteral("v-link"));
        QVERIFY(QFile::link(folder, reached));
    }
    for (const char *version : {"1", "2"})
        VersionDir::write(folder + QStringLiteral("/app-%1.exe").arg(QLatin1String(version)),
                          version);
    QVERIFY(QFile::link(QStringLiteral("app-2.exe"), folder + QStringLiteral("/app.exe")));
    // What a move killed between its two steps left in that trash.
    const QString trash = place == QLatin1String("home")
        ? home.filePath(QStringLiteral("data/Trash"))
        : mount + QStringLiteral("/.Trash-") + QString::number(::getuid());
    QVERIFY(QDir().mkpath(trash + QStringLiteral("/info")) && QDir().mkpath(trash + "/files"));
    const QString orphan = VersionDir::write(trash + QStringLiteral("/info/app-0.exe.trashinfo"),
                                             QByteArray("[Trash Info]\nPath=app-0.exe\n")
                                                 + SafeFs::TrashInfoMark + "\n");
    QCOMPARE(QProcess::execute(QStringLiteral("touch"), {"-d", "2 minutes ago", orphan}), 0);

    const ActionResult result = VersionActions(QFileInfo(reached + QStringLiteral("/app.exe")))
                                    .moveToTrash({"app-1.exe"});
    QVERIFY2(result.ok, qPrintable(result.message));
    QCOMPARE(QFileInfo(result.path).absolutePath(), trash + QStringLiteral("/files"));
    QVERIFY(!QFileInfo::exists(orphan));
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList {"app-2.exe", "app.exe"}));
    QProcess list;
    list.start(QStringLiteral("trash-list"), QStringList());
    QVERIFY(list.waitForFinished(30000));
    const QString listed = QString::fromLocal8Bit(list.readAllStandardOutput());
    QVERIFY2(listed.contains(QRegularExpression(
                 QStringLiteral(" ") + QRegularExpression::escape(folder + "/app-1.exe") + "$",
                 QRegularExpression::MultilineOption)),
             qPrintable(listed));
}

QTEST_MAIN(TestVersionActions)
#include "tst_versionactions.moc"
