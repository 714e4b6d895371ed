#include "exefile.h"
#include "safefs.h"

#include <QtTest>

// Rows on real files: what a row shows for each kind of file, and what its
// three operations do to the disk, failures included.
class TestExeFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void construct_data();
    void construct();
    void construct_japaneseTexts();

    void changeLinkTo_repointsLink();
    void changeLinkTo_notALink_doesNothing();
    void changeLinkTo_missingVersion_linkStays();
    void changeLinkTo_fileStandsAtLink_isKept();
    void changeLinkTo_readOnlyDirectory_keepsOldLink();

    void changeToLink_data();
    void changeToLink();
    void changeToLink_readOnlyDirectory_keepsFile();
    void changeToLink_linkFails_fileRenamedBack();

    void rename_data();
    void rename();
    void rename_failure_keepsFileAndPath_data();
    void rename_failure_keepsFileAndPath();

    void pointLinkTo_neverReplacesAFile_data();
    void pointLinkTo_neverReplacesAFile();

    void signals_rowDeletedByReceiver_data();
    void signals_rowDeletedByReceiver();

private:
    QString path(const QString &name) const { return dir->filePath(name); }
    void write(const QString &name, const QByteArray &content);
    QByteArray read(const QString &name) const;
    void link(const QString &target, const QString &name);
    QStringList entries() const;
    bool makeImmutable();
    QString stamp() const { return QDate::currentDate().toString(QStringLiteral("-yyyyMMdd")); }
    ExeFile *row(const QString &name);

    QScopedPointer<QTemporaryDir> dir;
    QScopedPointer<ExeFile> ownedRow;
    QString immutableDir;
    QString mountPoint;
};

void TestExeFile::init()
{
    dir.reset(new QTemporaryDir);
    QVERIFY(dir->isValid());
}

void TestExeFile::cleanup()
{
    ownedRow.reset();
    if (!immutableDir.isEmpty())
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), immutableDir});
    immutableDir.clear();
    if (!mountPoint.isEmpty())
        QProcess::execute(QStringLiteral("umount"), {mountPoint});
    mountPoint.clear();
    dir.reset();
}

void TestExeFile::write(const QString &name, const QByteArray &content)
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), qint64(content.size()));
}

QByteArray TestExeFile::read(const QString &name) const
{
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void TestExeFile::link(const QString &target, const QString &name)
{
    QVERIFY(QFile::link(target, path(name)));
}

// Every entry, hidden ones too, so that a stray temporary link shows.
QStringList TestExeFile::entries() const
{
    return QDir(dir->path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                   QDir::Name);
}

// Root ignores permission bits; an immutable directory refuses even root.
bool TestExeFile::makeImmutable()
{
    if (QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), dir->path()}) != 0)
        return false;
    immutableDir = dir->path();
    return true;
}

ExeFile *TestExeFile::row(const QString &name)
{
    ownedRow.reset(new ExeFile(QDir(dir->path()), name, nullptr));
    ownedRow->targetFile = QFileInfo(path(QStringLiteral("app.exe")));
    return ownedRow.data();
}

void TestExeFile::construct_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("isFile");
    QTest::addColumn<bool>("isLink");
    QTest::newRow("plain file") << "plain" << true << false;
    QTest::newRow("link to a file") << "link" << true << true;
    QTest::newRow("dangling link") << "dangling" << false << true;
    QTest::newRow("directory") << "directory" << false << false;
    QTest::newRow("nothing") << "nothing" << false << false;
}

void TestExeFile::construct()
{
    QFETCH(QString, kind);
    QFETCH(bool, isFile);
    QFETCH(bool, isLink);
    write(QStringLiteral("app-1.exe"), "v1");
    const QString name = QStringLiteral("app.exe");
    QString linkTarget;
    if (kind == QLatin1String("plain")) {
        write(name, "plain");
    } else if (kind == QLatin1String("link")) {
        linkTarget = path(QStringLiteral("app-1.exe"));
        link(linkTarget, name);
    } else if (kind == QLatin1String("dangling")) {
        linkTarget = path(QStringLiteral("gone.exe"));
        link(linkTarget, name);
    } else if (kind == QLatin1String("directory")) {
        QVERIFY(QDir(dir->path()).mkdir(name));
    }

    ExeFile *r = row(name);
    QCOMPARE(r->isFile, isFile);
    QCOMPARE(r->isLink, isLink);
    QVERIFY(!r->isTarget);
    QCOMPARE(r->fileInfo.absoluteFilePath(), path(name));
    QCOMPARE(r->objectName(), QStringLiteral("ExeFile"));
    auto *select = r->findChild<QRadioButton *>(QStringLiteral("Select"));
    auto *nameEdit = r->findChild<QLineEdit *>(QStringLiteral("Name"));
    auto *linkEdit = r->findChild<QLineEdit *>(QStringLiteral("Link"));
    auto *changeLink = r->findChild<QPushButton *>(QStringLiteral("ChangeLinkB"));
    auto *renameButton = r->findChild<QPushButton *>(QStringLiteral("RenameB"));
    QVERIFY(select && nameEdit && linkEdit && changeLink && renameButton);
    QVERIFY(!select->isChecked());
    QVERIFY(select->text().isEmpty());
    QVERIFY(!select->isHidden());
    QVERIFY(changeLink->isHidden());
    QVERIFY(!renameButton->isHidden());
    QCOMPARE(nameEdit->text(), name);
    QCOMPARE(nameEdit->styleSheet(), QStringLiteral("background-color: rgb(255, 255, 220);"));
    QCOMPARE(linkEdit->styleSheet(), QStringLiteral("background-color: rgb(230, 255, 230);"));
    // The full path shows as the tooltip; only the name can be edited.
    QCOMPARE(nameEdit->toolTip(), path(name));
    QCOMPARE(nameEdit->cursorPosition(), 0); // a long name shows its beginning
    QVERIFY(!nameEdit->isReadOnly());
    QVERIFY(linkEdit->isReadOnly());
    QCOMPARE(linkEdit->isHidden(), !isLink);
    if (isLink) {
        QCOMPARE(r->linkInfo.absoluteFilePath(), linkTarget);
        QCOMPARE(linkEdit->text(), linkTarget);
    } else {
        QVERIFY(r->linkInfo.filePath().isEmpty());
        QVERIFY(linkEdit->text().isEmpty());
    }
    // The row reads, left to right: button, name, link, "to Link", "Rename".
    auto *grid = qobject_cast<QGridLayout *>(r->layout());
    QVERIFY(grid);
    const QList<QWidget *> order {select, nameEdit, linkEdit, changeLink, renameButton};
    for (int column = 0; column < order.size(); ++column)
        QCOMPARE(grid->itemAtPosition(0, column)->widget(), order.at(column));
    // No fixed width cuts the buttons' texts at any font size.
    QVERIFY(changeLink->maximumWidth() >= changeLink->sizeHint().width());
    QCOMPARE(renameButton->sizePolicy().horizontalPolicy(), QSizePolicy::Maximum);
}

void TestExeFile::construct_japaneseTexts()
{
    Q_INIT_RESOURCE(quillfen);
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/tarnwick_ja_JP.qm")));
    QCoreApplication::installTranslator(&translator);
    write(QStringLiteral("app.exe"), "x");
    ExeFile *r = row(QStringLiteral("app.exe"));
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(r->windowTitle(), QStringLiteral("実行ファイル"));
    QCOMPARE(r->findChild<QPushButton *>(QStringLiteral("ChangeLinkB"))->text(),
             QStringLiteral("リンク化"));
    QCOMPARE(r->findChild<QPushButton *>(QStringLiteral("RenameB"))->text(),
             QStringLiteral("名前の変更"));
    QVERIFY(r->findChild<QRadioButton *>(QStringLiteral("Select"))->text().isEmpty());
}

void TestExeFile::changeLinkTo_repointsLink()
{
    write(QStringLiteral("app-1.exe"), "v1");
    write(QStringLiteral("app-2.exe"), "v2");
    link(path(QStringLiteral("app-1.exe")), QStringLiteral("app.exe"));
    ExeFile *r = row(QStringLiteral("app.exe"));
    QSignalSpy spy(r, SIGNAL(newLink()));
    r->changeLinkTo(path(QStringLiteral("app-2.exe")));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(QFileInfo(path(QStringLiteral("app.exe"))).symLinkTarget(),
             path(QStringLiteral("app-2.exe")));
    QCOMPARE(read(QStringLiteral("app.exe")), QByteArray("v2"));
    QCOMPARE(read(QStringLiteral("app-1.exe")), QByteArray("v1"));
    QCOMPARE(entries(), (QStringList {"app-1.exe", "app-2.exe", "app.exe"}));
}

void TestExeFile::changeLinkTo_notALink_doesNothing()
{
    write(QStringLiteral("app.exe"), "plain");
    write(QStringLiteral("app-2.exe"), "v2");
    ExeFile *r = row(QStringLiteral("app.exe"));
    QSignalSpy spy(r, SIGNAL(newLink()));
    r->changeLinkTo(path(QStringLiteral("app-2.exe")));
    QCOMPARE(spy.count(), 0);
    QVERIFY(!SafeFs::isSymLink(path(QStringLiteral("app.exe"))));
    QCOMPARE(read(QStringLiteral("app.exe")), QByteArray("plain"));
}

void TestExeFile::changeLinkTo_missingVersion_linkStays()
{
    write(QStringLiteral("app-1.exe"), "v1");
    link(path(QStringLiteral("app-1.exe")), QStringLiteral("app.exe"));
    ExeFile *r = row(QStringLiteral("app.exe"));
    QSignalSpy spy(r, SIGNAL(newLink()));
    QSignalSpy problem(r, SIGNAL(problem(QString)));
    r->changeLinkTo(path(QStringLiteral("nowhere.exe")));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(problem.count(), 1);
    QCOMPARE(QFileInfo(path(QStringLiteral("app.exe"))).symLinkTarget(),
             path(QStringLiteral("app-1.exe")));
    QCOMPARE(entries(), (QStringList {"app-1.exe", "app.exe"}));
}

void TestExeFile::changeLinkTo_fileStandsAtLink_isKept()
{
    write(QStringLiteral("app-1.exe"), "v1");
    link(path(QStringLiteral("app-1.exe")), QStringLiteral("app.exe"));
    ExeFile *r = row(QStringLiteral("app.exe"));
    // Another program puts a real file at the link's name after the listing.
    QVERIFY(QFile::remove(path(QStringLiteral("app.exe"))));
    write(QStringLiteral("app.exe"), "someone's file");
    QSignalSpy spy(r, SIGNAL(newLink()));
    r->changeLinkTo(path(QStringLiteral("app-1.exe")));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(read(QStringLiteral("app.exe")), QByteArray("someone's file"));
    QVERIFY(!SafeFs::isSymLink(path(QStringLiteral("app.exe"))));
    QCOMPARE(entries(), (QStringList {"app-1.exe", "app.exe"}));
}

void TestExeFile::changeLinkTo_readOnlyDirectory_keepsOldLink()
{
    write(QStringLiteral("app-1.exe"), "v1");
    write(QStringLiteral("app-2.exe"), "v2");
    link(path(QStringLiteral("app-1.exe")), QStringLiteral("app.exe"));
    ExeFile *r = row(QStringLiteral("app.exe"));
    if (!makeImmutable())
        QSKIP("chattr +i is not supported here");
    r->changeLinkTo(path(QStringLiteral("app-2.exe")));
    QCOMPARE(QFileInfo(path(QStringLiteral("app.exe"))).symLinkTarget(),
             path(QStringLiteral("app-1.exe")));
    QCOMPARE(entries(), (QStringList {"app-1.exe", "app-2.exe", "app.exe"}));
}

void TestExeFile::changeToLink_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("present"); // dated copies already there, S for the stamp
    QTest::addColumn<QString>("expected");
    QTest::newRow("first copy") << "app.exe" << QStringList() << "appS-1.exe";
    QTest::newRow("counter") << "app.exe" << QStringList {"appS-1.exe", "appS-2.exe"}
                             << "appS-3.exe";
    QTest::newRow("gap filled") << "app.exe" << QStringList {"appS-2.exe"} << "appS-1.exe";
    QTest::newRow("dangling link counts as taken")
        << "app.exe" << QStringList {"@appS-1.exe"} << "appS-2.exe";
    QTest::newRow("no suffix") << "tool" << QStringList() << "toolS-1";
    QTest::newRow("several dots") << "app.beta.exe" << QStringList() << "app.betaS-1.exe";
    QTest::newRow("place marker kept") << "app%1.exe" << QStringList() << "app%1S-1.exe";
    QTest::newRow("place markers in suffix") << "app.%2%3" << QStringList() << "appS-1.%2%3";
    QTest::newRow("japanese") << "実行.exe" << QStringList() << "実行S-1.exe";
}

void TestExeFile::changeToLink()
{
    QFETCH(QString, name);
    QFETCH(QStringList, present);
    QFETCH(QString, expected);
    const QString day = stamp();
    expected.replace(QLatin1Char('S'), day);
    write(name, "the only copy");
    QStringList all {name, expected};
    for (QString copy : present) {
        copy.replace(QLatin1Char('S'), day);
        if (copy.startsWith(QLatin1Char('@'))) {
            copy = copy.mid(1);
            link(path(QStringLiteral("gone")), copy);
        } else {
            write(copy, "older");
        }
        all << copy;
    }
    all.sort();

    ExeFile *r = row(name);
    auto *changeLink = r->findChild<QPushButton *>(QStringLiteral("ChangeLinkB"));
    changeLink->show();
    QSignalSpy spy(r, SIGNAL(newLink()));
    QTest::mouseClick(changeLink, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QVERIFY(changeLink->isHidden());
    QCOMPARE(read(expected), QByteArray("the only copy"));
    QVERIFY(SafeFs::isSymLink(path(name)));
    QCOMPARE(QFileInfo(path(name)).symLinkTarget(), path(expected));
    QCOMPARE(entries(), all);
}

void TestExeFile::changeToLink_readOnlyDirectory_keepsFile()
{
    write(QStringLiteral("app.exe"), "the only copy");
    ExeFile *r = row(QStringLiteral("app.exe"));
    if (!makeImmutable())
        QSKIP("chattr +i is not supported here");
    QSignalSpy spy(r, SIGNAL(newLink()));
    r->changeToLink();
    QCOMPARE(spy.count(), 1);
    QVERIFY(r->findChild<QPushButton *>(QStringLiteral("ChangeLinkB"))->isHidden());
    QVERIFY(!SafeFs::isSymLink(path(QStringLiteral("app.exe"))));
    QCOMPARE(read(QStringLiteral("app.exe")), QByteArray("the only copy"));
    QCOMPARE(entries(), QStringList {"app.exe"});
}

void TestExeFile::changeToLink_linkFails_fileRenamedBack()
{
    // A file system with no free inode: a rename still works, a new link
    // cannot be made.
    mountPoint = path(QStringLiteral("full"));
    QVERIFY(QDir().mkpath(mountPoint));
    if (QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=1m,nr_inodes=3"), QStringLiteral("tmpfs"),
                           mountPoint})
        != 0) {
        mountPoint.clear();
        QSKIP("cannot mount a small tmpfs here (needs root)");
    }
    const QString file = mountPoint + QStringLiteral("/app.exe");
    const QString filler = mountPoint + QStringLiteral("/filler");
    for (const QString &p : {file, filler}) {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(p == file ? "the only copy" : "x");
    }
    QVERIFY2(!QFile::link(file, mountPoint + QStringLiteral("/probe")), "inodes left");

    ExeFile r(QDir(mountPoint), QStringLiteral("app.exe"), nullptr);
    QSignalSpy spy(&r, SIGNAL(newLink()));
    r.changeToLink();
    QCOMPARE(spy.count(), 1);
    QVERIFY(!SafeFs::isSymLink(file));
    QFile back(file);
    QVERIFY(back.open(QIODevice::ReadOnly));
    QCOMPARE(back.readAll(), QByteArray("the only copy"));
    QCOMPARE(QDir(mountPoint).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList {"app.exe", "filler"}));
}

void TestExeFile::rename_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("expectedFile"); // where the content ends up
    QTest::addColumn<int>("renamedSignals");
    QTest::newRow("free name, checked") << "app-new.exe" << true << "app-new.exe" << 1;
    QTest::newRow("free name, unchecked") << "app-new.exe" << false << "app-new.exe" << 0;
    QTest::newRow("unchanged") << "app-1.exe" << true << "app-1.exe" << 0;
    QTest::newRow("existing name") << "app-2.exe" << true << "app-1.exe" << 0;
    QTest::newRow("empty field") << "" << true << "app-1.exe" << 0;
    QTest::newRow("dangling link's name") << "dangling.exe" << true << "app-1.exe" << 0;
    // A name never moves the file out of its directory.
    QTest::newRow("into a subdirectory") << "old/app-1.exe" << true << "app-1.exe" << 0;
    QTest::newRow("out of the directory") << "../moved-out.exe" << true << "app-1.exe" << 0;
    QTest::newRow("dot") << "." << true << "app-1.exe" << 0;
    QTest::newRow("dot dot") << ".." << false << "app-1.exe" << 0;
    QTest::newRow("japanese name") << "app-実行.exe" << true << "app-実行.exe" << 1;
}

void TestExeFile::rename()
{
    QFETCH(QString, typed);
    QFETCH(bool, checked);
    QFETCH(QString, expectedFile);
    QFETCH(int, renamedSignals);
    write(QStringLiteral("app-1.exe"), "v1");
    write(QStringLiteral("app-2.exe"), "v2");
    link(path(QStringLiteral("gone")), QStringLiteral("dangling.exe"));
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("old")));

    // Checked: the version in use, which the link follows; else the link
    // leads to another version and stays.
    link(path(checked ? QStringLiteral("app-1.exe") : QStringLiteral("app-2.exe")),
         QStringLiteral("app.exe"));
    ExeFile *r = row(QStringLiteral("app-1.exe"));
    auto *select = r->findChild<QRadioButton *>(QStringLiteral("Select"));
    auto *nameEdit = r->findChild<QLineEdit *>(QStringLiteral("Name"));
    select->setChecked(checked);
    nameEdit->clear();
    // QTest types ASCII only; other text is put in as an input method would.
    if (typed.toLatin1() == typed.toUtf8())
        QTest::keyClicks(nameEdit, typed);
    else
        nameEdit->insert(typed);
    QCOMPARE(nameEdit->text(), typed);
    QSignalSpy renamed(r, SIGNAL(linkIsRenamed()));
    QSignalSpy linked(r, SIGNAL(newLink()));
    QTest::mouseClick(r->findChild<QPushButton *>(QStringLiteral("RenameB")), Qt::LeftButton);

    QCOMPARE(renamed.count(), renamedSignals);
    QCOMPARE(linked.count(), 0);
    QCOMPARE(read(expectedFile), QByteArray("v1"));
    QCOMPARE(read(QStringLiteral("app-2.exe")), QByteArray("v2"));
    QVERIFY(SafeFs::isSymLink(path(QStringLiteral("dangling.exe"))));
    QCOMPARE(r->fileInfo.absoluteFilePath(), path(expectedFile));
    QCOMPARE(nameEdit->text(),
             expectedFile == QLatin1String("app-1.exe") ? QStringLiteral("app-1.exe") : typed);
    if (expectedFile != QLatin1String("app-1.exe"))
        QVERIFY(!SafeFs::exists(path(QStringLiteral("app-1.exe"))));
    if (checked)
        QCOMPARE(QFileInfo(QFileInfo(path(QStringLiteral("app.exe"))).symLinkTarget()).fileName(),
                 expectedFile);
}

void TestExeFile::rename_failure_keepsFileAndPath_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("immutable");
    QTest::newRow("missing subdirectory") << "nosuchdir/app-1.exe" << false;
    QTest::newRow("read-only directory") << "app-new.exe" << true;
}

void TestExeFile::rename_failure_keepsFileAndPath()
{
    QFETCH(QString, typed);
    QFETCH(bool, immutable);
    write(QStringLiteral("app-1.exe"), "v1");
    ExeFile *r = row(QStringLiteral("app-1.exe"));
    if (immutable && !makeImmutable())
        QSKIP("chattr +i is not supported here");
    auto *select = r->findChild<QRadioButton *>(QStringLiteral("Select"));
    auto *nameEdit = r->findChild<QLineEdit *>(QStringLiteral("Name"));
    select->setChecked(true);
    nameEdit->setText(typed);
    QSignalSpy renamed(r, SIGNAL(linkIsRenamed()));
    r->rename();
    // The link must not follow a rename that did not happen.
    QCOMPARE(renamed.count(), 0);
    QCOMPARE(r->fileInfo.absoluteFilePath(), path(QStringLiteral("app-1.exe")));
    QCOMPARE(nameEdit->text(), QStringLiteral("app-1.exe"));
    QCOMPARE(read(QStringLiteral("app-1.exe")), QByteArray("v1"));
    QCOMPARE(entries(), QStringList {"app-1.exe"});
}

void TestExeFile::pointLinkTo_neverReplacesAFile_data()
{
    QTest::addColumn<QString>("standing");
    QTest::addColumn<bool>("succeeds");
    QTest::newRow("nothing") << "nothing" << true;
    QTest::newRow("link") << "link" << true;
    QTest::newRow("dangling link") << "dangling" << true;
    QTest::newRow("regular file") << "file" << false;
    QTest::newRow("directory") << "directory" << false;
    QTest::newRow("fifo") << "fifo" << false;
}

void TestExeFile::pointLinkTo_neverReplacesAFile()
{
    QFETCH(QString, standing);
    QFETCH(bool, succeeds);
    write(QStringLiteral("app-1.exe"), "v1");
    const QString at = path(QStringLiteral("app.exe"));
    if (standing == QLatin1String("link"))
        link(path(QStringLiteral("app-1.exe")), QStringLiteral("app.exe"));
    else if (standing == QLatin1String("dangling"))
        link(path(QStringLiteral("gone")), QStringLiteral("app.exe"));
    else if (standing == QLatin1String("file"))
        write(QStringLiteral("app.exe"), "plain");
    else if (standing == QLatin1String("directory"))
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("app.exe")));
    else if (standing == QLatin1String("fifo")
             && QProcess::execute(QStringLiteral("mkfifo"), {at}) != 0)
        QSKIP("mkfifo is not available");

    const QString target = path(QStringLiteral("app-2.exe"));
    FsError error;
    QCOMPARE(SafeFs::pointLinkTo(target, at, error), succeeds);
    QCOMPARE(error.failed(), !succeeds);
    QCOMPARE(entries(), (QStringList {"app-1.exe", "app.exe"}));
    if (succeeds) {
        QCOMPARE(QFileInfo(at).symLinkTarget(), target);
    } else {
        QVERIFY(!SafeFs::isSymLink(at));
        if (standing == QLatin1String("file"))
            QCOMPARE(read(QStringLiteral("app.exe")), QByteArray("plain"));
    }
}

// A receiver may destroy the row while it emits; the sanitizer build proves
// that the row is not touched afterwards.
void TestExeFile::signals_rowDeletedByReceiver_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("changeLinkTo") << "changeLinkTo";
    QTest::newRow("changeToLink") << "changeToLink";
    QTest::newRow("rename") << "rename";
}

void TestExeFile::signals_rowDeletedByReceiver()
{
    QFETCH(QString, operation);
    write(QStringLiteral("app-1.exe"), "v1");
    write(QStringLiteral("app-2.exe"), "v2");
    if (operation == QLatin1String("changeToLink"))
        write(QStringLiteral("app.exe"), "plain");
    else
        link(path(QStringLiteral("app-1.exe")), QStringLiteral("app.exe"));

    auto *r = new ExeFile(QDir(dir->path()),
                          operation == QLatin1String("rename") ? QStringLiteral("app-1.exe")
                                                               : QStringLiteral("app.exe"),
                          nullptr);
    r->targetFile = QFileInfo(path(QStringLiteral("app.exe")));
    QPointer<ExeFile> watch(r);
    int received = 0;
    auto destroyRow = [&] {
        ++received;
        delete watch.data();
    };
    connect(r, &ExeFile::newLink, this, destroyRow);
    connect(r, &ExeFile::linkIsRenamed, this, destroyRow);
    if (operation == QLatin1String("changeLinkTo")) {
        QMetaObject::invokeMethod(r, "changeLinkTo",
                                  Q_ARG(QString, path(QStringLiteral("app-2.exe"))));
    } else if (operation == QLatin1String("changeToLink")) {
        r->findChild<QPushButton *>(QStringLiteral("ChangeLinkB"))->show();
        QTest::mouseClick(r->findChild<QPushButton *>(QStringLiteral("ChangeLinkB")),
                          Qt::LeftButton);
    } else {
        r->findChild<QRadioButton *>(QStringLiteral("Select"))->setChecked(true);
        r->findChild<QLineEdit *>(QStringLiteral("Name"))->setText(QStringLiteral("app-9.exe"));
        QTest::mouseClick(r->findChild<QPushButton *>(QStringLiteral("RenameB")), Qt::LeftButton);
    }
    QCOMPARE(received, 1);
    QVERIFY(watch.isNull());
}

QTEST_MAIN(TestExeFile)
#include "tst_exefile.moc"
