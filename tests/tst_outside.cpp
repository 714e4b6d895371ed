#include "body.h"
#include "configstore.h"
#include "rowdriver.h"
#include "safefs.h"
#include "versiondir.h"

#include <QtTest>

// Another program changes the directory between a listing and a click: the
// window must not crash, lose or overwrite a file, and its next listing must
// show the directory as it is.
class TestOutside : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void versionDeletedBeforePick_linkStays();
    void linkReplacedByFileBeforePick_fileKept();
    void versionRenamedAwayBeforeRename_nothingMoves();
    void toLinkAfterAnotherWindowMadeTheLink_onlyLists();
    void readOnlyDirectory_actionsChangeNothing();
    void directoryRemoved_listingEmpties();
    void longListing_leavesNoWaitCursor();

private:
    void makeBody();
    void relist() { QVERIFY(QMetaObject::invokeMethod(body.data(), "changedTargets")); }
    QStringList rowNames() const { return RowDriver::rowNames(body.data()); }
    QString status() const { return RowDriver::status(body.data()); }
    ExeFile *rowNamed(const QString &name) const { return RowDriver::rowNamed(body.data(), name); }
    static QLineEdit *nameEdit(ExeFile *row) { return RowDriver::edit(row, "Name"); }
    bool makeImmutable();

    QScopedPointer<VersionDir> dir;
    QScopedPointer<Body> body;
    QString immutableDir;
};

void TestOutside::initTestCase()
{
    VersionDir probe;
    if (!probe.hasBirthTimes())
        QSKIP("this file system keeps no birth times, so no newest-first order can be checked");
}

void TestOutside::init()
{
    config = ConfigStore();
    dir.reset(new VersionDir);
    dir->add(QStringLiteral("app-1.exe"), "1");
    dir->add(QStringLiteral("app-2.exe"), "2");
    dir->add(QStringLiteral("app-3.exe"), "3");
    dir->link(QStringLiteral("app-2.exe"), QStringLiteral("app.exe"));
    config.add(QStringLiteral("Target"), QString(),
               QStringLiteral(" app.exe \"%1\"").arg(dir->path()));
}

void TestOutside::cleanup()
{
    if (!immutableDir.isEmpty())
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), immutableDir});
    immutableDir.clear();
    body.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    dir.reset();
    config = ConfigStore();
}

void TestOutside::makeBody()
{
    body.reset(new Body);
    body->show();
    QVERIFY(QTest::qWaitForWindowExposed(body.data()));
}

bool TestOutside::makeImmutable()
{
    if (QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), dir->path()}) != 0)
        return false;
    immutableDir = dir->path();
    return true;
}

void TestOutside::versionDeletedBeforePick_linkStays()
{
    makeBody();
    ExeFile *row = rowNamed(QStringLiteral("app-1.exe"));
    QVERIFY(QFile::remove(dir->path(QStringLiteral("app-1.exe"))));
    RowDriver::clickSelect(row);
    RowDriver::settle();
    QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-2.exe"));
    QCOMPARE(rowNames(), (QStringList {"app.exe", "app-3.exe", "app-2.exe"}));
    QVERIFY(RowDriver::select(rowNamed(QStringLiteral("app-2.exe")))->isChecked());
    QCOMPARE(dir->entries(), (QStringList {"app-2.exe", "app-3.exe", "app.exe"}));
    QCOMPARE(status(),
             QStringLiteral("app-1.exe is not a version of app.exe: there is no such file now "
                            "(another program may have removed or renamed it)"));
}

// The pick looks at the folder as it is when it runs: the file another
// program put at the link's name is kept as a version, and the link made.
void TestOutside::linkReplacedByFileBeforePick_fileKept()
{
    makeBody();
    ExeFile *row = rowNamed(QStringLiteral("app-1.exe"));
    QVERIFY(QFile::remove(dir->path(QStringLiteral("app.exe"))));
    dir->add(QStringLiteral("app.exe"), "put here by another program");
    RowDriver::clickSelect(row);
    RowDriver::settle();
    const QString dated = QStringLiteral("app-%1-1.exe")
                              .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    QCOMPARE(dir->read(dated), QByteArray("put here by another program"));
    QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-1.exe"));
    QVERIFY(RowDriver::select(rowNamed(QStringLiteral("app-1.exe")))->isChecked());
    QCOMPARE(dir->entries(),
             (QStringList {"app-1.exe", "app-2.exe", dated, "app-3.exe", "app.exe"}));
}

void TestOutside::versionRenamedAwayBeforeRename_nothingMoves()
{
    makeBody();
    ExeFile *row = rowNamed(QStringLiteral("app-2.exe")); // the current version
    QVERIFY(QFile::rename(dir->path(QStringLiteral("app-2.exe")),
                          dir->path(QStringLiteral("app-2-moved.exe"))));
    nameEdit(row)->selectAll();
    QTest::keyClicks(nameEdit(row), QStringLiteral("app-2-mine.exe"));
    QTest::mouseClick(row->findChild<QPushButton *>(QStringLiteral("RenameB")), Qt::LeftButton);
    QCOMPARE(nameEdit(row)->text(), QStringLiteral("app-2.exe"));
    QVERIFY(!SafeFs::exists(dir->path(QStringLiteral("app-2-mine.exe"))));
    QCOMPARE(dir->read(QStringLiteral("app-2-moved.exe")), QByteArray("2"));
    relist();
    // The link now leads nowhere: it is not listed, and a new one is made to
    // the newest version; the moved file is listed under its new name.
    QVERIFY(rowNames().contains(QStringLiteral("app-2-moved.exe")));
    QCOMPARE(dir->read(QStringLiteral("app-3.exe")), QByteArray("3"));
    QCOMPARE(dir->entries(),
             (QStringList {"app-1.exe", "app-2-moved.exe", "app-3.exe", "app.exe"}));
}

void TestOutside::toLinkAfterAnotherWindowMadeTheLink_onlyLists()
{
    QVERIFY(QFile::remove(dir->path(QStringLiteral("app.exe"))));
    dir->add(QStringLiteral("app.exe"), "plain");
    makeBody();
    ExeFile *target = rowNamed(QStringLiteral("app.exe"));
    // Another window sets the file aside and links the name meanwhile.
    QVERIFY(QFile::rename(dir->path(QStringLiteral("app.exe")),
                          dir->path(QStringLiteral("app-0.exe"))));
    dir->link(QStringLiteral("app-0.exe"), QStringLiteral("app.exe"));
    const QStringList before = dir->entries();
    QTest::mouseClick(target->findChild<QPushButton *>(QStringLiteral("ChangeLinkB")),
                      Qt::LeftButton);
    RowDriver::settle();
    QCOMPARE(dir->entries(), before);
    QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-0.exe"));
    QVERIFY(RowDriver::select(rowNamed(QStringLiteral("app-0.exe")))->isChecked());
}

void TestOutside::readOnlyDirectory_actionsChangeNothing()
{
    dir->add(QStringLiteral("tool"), "plain tool");
    dir->add(QStringLiteral("tool-1"), "tool 1");
    config.add(QStringLiteral("Target"), QString(),
               QStringLiteral(" tool \"%1\"").arg(dir->path()));
    makeBody();
    if (!makeImmutable())
        QSKIP("chattr +i is not supported here");
    const QStringList before = dir->entries();

    RowDriver::clickSelect(rowNamed(QStringLiteral("app-1.exe")));
    RowDriver::settle();
    QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-2.exe"));
    QVERIFY2(status().startsWith(QStringLiteral("Could not point app.exe to app-1.exe: ")),
             qPrintable(status()));
    ExeFile *row = rowNamed(QStringLiteral("app-3.exe"));
    nameEdit(row)->selectAll();
    QTest::keyClicks(nameEdit(row), QStringLiteral("app-3b.exe"));
    QTest::mouseClick(row->findChild<QPushButton *>(QStringLiteral("RenameB")), Qt::LeftButton);
    QCOMPARE(nameEdit(row)->text(), QStringLiteral("app-3.exe"));

    auto *targets = body->findChild<QComboBox *>(QStringLiteral("Targets"));
    targets->setCurrentIndex(1);
    QCOMPARE(rowNames(), (QStringList {"tool", "tool-1"}));
    QTest::mouseClick(
        rowNamed(QStringLiteral("tool"))->findChild<QPushButton *>(QStringLiteral("ChangeLinkB")),
        Qt::LeftButton);
    RowDriver::clickSelect(rowNamed(QStringLiteral("tool-1")));
    QCOMPARE(dir->read(QStringLiteral("tool")), QByteArray("plain tool"));
    QVERIFY(!SafeFs::isSymLink(dir->path(QStringLiteral("tool"))));
    QCOMPARE(dir->entries(), before);
}

void TestOutside::directoryRemoved_listingEmpties()
{
    makeBody();
    ExeFile *row = rowNamed(QStringLiteral("app-1.exe"));
    QVERIFY(QDir(dir->path()).removeRecursively());
    RowDriver::clickSelect(row);
    RowDriver::settle();
    QVERIFY(rowNames().isEmpty());
    QVERIFY(!QFileInfo::exists(dir->path()));
    relist();
    QVERIFY(rowNames().isEmpty());
}

void TestOutside::longListing_leavesNoWaitCursor()
{
    for (int i = 0; i < 400; ++i) {
        QFile file(dir->path(QStringLiteral("app-x%1.exe").arg(i)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    makeBody();
    QCOMPARE(rowNames().size(), 404);
    QVERIFY(!QApplication::overrideCursor());
    relist();
    QCOMPARE(rowNames().size(), 404);
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(TestOutside)
#include "tst_outside.moc"
