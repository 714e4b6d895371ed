#include "body.h"
#include "configstore.h"
#include "history.h"
#include "pathlock.h"
#include "rowdriver.h"
#include "safefs.h"
#include "versiondir.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolTip>
#include <QtTest>

using namespace RowDriver;

// The window follows the directory while it is open: changes made by others
// show without a user action, rows of unchanged versions stay as they are
// (what is typed in them included), and the status bar speaks of the moment.
class TestLive : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void outsideChange_shows_data();
    void outsideChange_shows();
    void burst_makesFewListings();
    void refresh_listsAtOnce_data();
    void refresh_listsAtOnce();
    void typedName_keptAcrossListings();
    void scroll_staysOnTheSameVersion();
    void mixedChanges_showWhatAFreshWindowShows();
    void status_clearedByTheNextSuccess();
    void status_unknownConfigKeyNamed();
    void add_inTheBackground_cancelLeavesNothing();
    void drop_addsTheFiles_data();
    void drop_addsTheFiles();
    void cleanUp_movesTheCheckedToTheTrash();

private:
    void makeBody();
    void step(const QString &what);
    // Waits until the window has heard of the last change and listed.
    void waitForQuiet();
    QTimer *quietTimer() const { return body->findChild<QTimer *>(QStringLiteral("relist")); }

    QScopedPointer<VersionDir> dir;
    QScopedPointer<Body> body;
};

// The window lists 150 ms after the last change it hears of; a loaded test
// machine gets some room beyond the second a user waits.
static const int Heard = 3000;

void TestLive::initTestCase()
{
    VersionDir probe;
    if (!probe.hasBirthTimes())
        QSKIP("this file system keeps no birth times, so no newest-first order can be checked");
}

void TestLive::init()
{
    config = ConfigStore();
    dir.reset(new VersionDir);
    dir->add(QStringLiteral("app-1.exe"), "1");
    dir->add(QStringLiteral("app-2.exe"), "2");
    dir->link(QStringLiteral("app-1.exe"), QStringLiteral("app.exe"));
    config.add(QStringLiteral("Target"), QString(),
               QStringLiteral(" app.exe \"%1\"").arg(dir->path()));
}

void TestLive::cleanup()
{
    body.reset();
    dir.reset();
    config = ConfigStore();
}

void TestLive::makeBody()
{
    body.reset(new Body);
    body->show();
    QVERIFY(QTest::qWaitForWindowExposed(body.data()));
}

void TestLive::waitForQuiet()
{
    QTest::qWait(Body::QuietMsecs + 50); // the change reaches the watcher
    QTRY_VERIFY_WITH_TIMEOUT(!quietTimer()->isActive(), Heard);
}

// One step, by the user in the window ("toLink", "pick NAME", "rename NAME
// NEW") or by another program ("add NAME", "remove NAME", "move NAME NEW",
// "point NAME", "remake": the directory removed and made again, with
// app-9.exe).
void TestLive::step(const QString &what)
{
    const QStringList words = what.split(QLatin1Char(' '));
    const QString &verb = words.at(0);
    if (verb == QLatin1String("toLink")) {
        QTest::mouseClick(button(rowNamed(body.data(), QStringLiteral("app.exe")), "ChangeLinkB"),
                          Qt::LeftButton);
    } else if (verb == QLatin1String("pick")) {
        clickSelect(rowNamed(body.data(), words.at(1)));
    } else if (verb == QLatin1String("rename")) {
        QLineEdit *name = edit(rowNamed(body.data(), words.at(1)), "Name");
        name->setText(words.at(2));
        QTest::keyClick(name, Qt::Key_Return);
    } else if (verb == QLatin1String("add")) {
        dir->add(words.at(1), "new");
    } else if (verb == QLatin1String("remove")) {
        QVERIFY(QFile::remove(dir->path(words.at(1))));
    } else if (verb == QLatin1String("move")) {
        QVERIFY(QFile::rename(dir->path(words.at(1)), dir->path(words.at(2))));
    } else if (verb == QLatin1String("point")) {
        FsError error;
        QVERIFY(SafeFs::pointLinkTo(dir->path(words.at(1)), dir->path(QStringLiteral("app.exe")),
                                    error));
    } else {
        QVERIFY(QDir(dir->path()).removeRecursively());
        QTRY_VERIFY_WITH_TIMEOUT(rowNames(body.data()).isEmpty(), Heard);
        QVERIFY(QDir().mkpath(dir->path()));
        dir->add(QStringLiteral("app-9.exe"), "9");
    }
}

void TestLive::outsideChange_shows_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("current");
    QTest::newRow("a new version")
        << "add app-3.exe" << QStringList {"app.exe", "app-3.exe", "app-2.exe", "app-1.exe"}
        << "app-1.exe";
    QTest::newRow("a version removed")
        << "remove app-2.exe" << QStringList {"app.exe", "app-1.exe"} << "app-1.exe";
    QTest::newRow("a version renamed")
        << "move app-2.exe app-2b.exe" << QStringList {"app.exe", "app-2b.exe", "app-1.exe"}
        << "app-1.exe";
    QTest::newRow("the link re-pointed")
        << "point app-2.exe" << QStringList {"app.exe", "app-2.exe", "app-1.exe"} << "app-2.exe";
    QTest::newRow("the directory removed and made again")
        << "remake" << QStringList {"app.exe", "app-9.exe"} << "app-9.exe";
}

void TestLive::outsideChange_shows()
{
    QFETCH(QString, change);
    QFETCH(QStringList, rows);
    QFETCH(QString, current);
    makeBody();
    step(change);
    QTRY_COMPARE_WITH_TIMEOUT(rowNames(body.data()), rows, Heard);
    QTRY_VERIFY_WITH_TIMEOUT(select(rowNamed(body.data(), current))->isChecked(), Heard);
    QVERIFY(isGreen(rowNamed(body.data(), current)));
}

void TestLive::burst_makesFewListings()
{
    makeBody();
    QSignalSpy listings(quietTimer(), &QTimer::timeout);
    // As an unpacked archive: a hundred files at once.
    for (int i = 10; i < 110; ++i) {
        QFile file(dir->path(QStringLiteral("app-%1.exe").arg(i)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QTRY_COMPARE_WITH_TIMEOUT(rows(body.data()).size(), 103, Heard);
    waitForQuiet();
    QCOMPARE(listings.count(), 1);
}

void TestLive::refresh_listsAtOnce_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("F5") << QKeySequence(Qt::Key_F5);
    QTest::newRow("Ctrl+R") << QKeySequence(Qt::CTRL | Qt::Key_R);
}

// As on a network share that sends no notifications.
void TestLive::refresh_listsAtOnce()
{
    QFETCH(QKeySequence, keys);
    makeBody();
    auto *watcher = body->findChild<QFileSystemWatcher *>();
    QVERIFY(watcher && !watcher->directories().isEmpty());
    watcher->removePaths(watcher->directories());
    dir->add(QStringLiteral("app-3.exe"), "3");
    QVERIFY(
        body->findChild<QAction *>(QStringLiteral("actionRefresh"))->shortcuts().contains(keys));
    QTest::keySequence(body.data(), keys);
    QCOMPARE(rowNames(body.data()),
             (QStringList {"app.exe", "app-3.exe", "app-2.exe", "app-1.exe"}));
}

void TestLive::typedName_keptAcrossListings()
{
    makeBody();
    ExeFile *row = rowNamed(body.data(), QStringLiteral("app-2.exe"));
    QLineEdit *name = edit(row, "Name");
    name->setFocus();
    QTRY_VERIFY(name->hasFocus());
    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClicks(name, QStringLiteral("-typed"));
    QTest::keyClick(name, Qt::Key_Left);
    step(QStringLiteral("add app-3.exe"));
    QTRY_COMPARE_WITH_TIMEOUT(rows(body.data()).size(), 4, Heard);
    waitForQuiet();
    QVERIFY(rows(body.data()).contains(row));
    QCOMPARE(name->text(), QStringLiteral("app-2.exe-typed"));
    QCOMPARE(name->cursorPosition(), name->text().size() - 1);
    QVERIFY(name->hasFocus());
    // Escape puts the file's name back; Enter renames as before.
    QTest::keyClick(name, Qt::Key_Escape);
    QCOMPARE(name->text(), QStringLiteral("app-2.exe"));
    QVERIFY(!name->isModified());
    name->setCursorPosition(5);
    QTest::keyClicks(name, QStringLiteral("-typed"));
    QTest::keyClick(name, Qt::Key_Return);
    QTRY_VERIFY(QFileInfo::exists(dir->path(QStringLiteral("app-2-typed.exe"))));
}

void TestLive::scroll_staysOnTheSameVersion()
{
    for (int i = 10; i < 50; ++i)
        dir->add(QStringLiteral("app-%1.exe").arg(i), "v");
    makeBody();
    body->resize(body->width(), 300);
    QScrollBar *bar
        = body->findChild<QScrollArea *>(QStringLiteral("scrollArea"))->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0);
    ExeFile *middle = rowNamed(body.data(), QStringLiteral("app-30.exe"));
    bar->setValue(middle->y());
    dir->add(QStringLiteral("app-90.exe"), "newest");
    QTRY_COMPARE_WITH_TIMEOUT(rows(body.data()).size(), 44, Heard);
    waitForQuiet();
    QCOMPARE(bar->value(), rowNamed(body.data(), QStringLiteral("app-30.exe"))->y());
}

// Each step is done through the window or by another program; afterwards
// the window shows exactly what a window opened on the directory shows.
void TestLive::mixedChanges_showWhatAFreshWindowShows()
{
    QVERIFY(QFile::remove(dir->path(QStringLiteral("app.exe"))));
    dir->add(QStringLiteral("app.exe"), "plain");
    makeBody();
    for (const char *what :
         {"toLink", "pick app-2.exe", "add app-3.exe", "rename app-2.exe app-2b.exe",
          "pick app-1.exe", "point app-3.exe", "remove app-1.exe", "move app-3.exe app-0.exe",
          "add app-4.exe", "pick app-0.exe"}) {
        step(QLatin1String(what));
        settle();
        waitForQuiet();
        Body fresh;
        QVERIFY2(describe(body.data()) == describe(&fresh), what);
    }
    QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-0.exe"));
}

void TestLive::status_clearedByTheNextSuccess()
{
    dir->add(QStringLiteral("app-3.exe"), "3");
    makeBody();
    step(QStringLiteral("rename app-2.exe app-3.exe"));
    settle();
    const QString refused = status(body.data());
    QVERIFY2(refused.contains(QStringLiteral("the name is taken")), qPrintable(refused));
    // Shown whole where it is too long for the bar.
    QCOMPARE(body->findChild<QStatusBar *>(QStringLiteral("statusbar"))->toolTip(), refused);
    // Listings after changes made by others keep it.
    step(QStringLiteral("add app-4.exe"));
    QTRY_COMPARE_WITH_TIMEOUT(rows(body.data()).size(), 5, Heard);
    QCOMPARE(status(body.data()), refused);
    step(QStringLiteral("rename app-2.exe app-2b.exe"));
    settle();
    QCOMPARE(status(body.data()), QString());
}

void TestLive::status_unknownConfigKeyNamed()
{
    dir->add(QStringLiteral("config.cfg"),
             "# a comment\n\nTaget app.exe " + dir->path().toUtf8() + "\nTarget app.exe \""
                 + dir->path().toUtf8() + "\"\n");
    config = ConfigStore();
    config.readFile(dir->path(QStringLiteral("config.cfg")));
    makeBody();
    QCOMPARE(status(body.data()), QStringLiteral("line 3: unknown key Taget"));
    QCOMPARE(rows(body.data()).size(), 3); // and the store keeps the line
}

// A copy runs beside the window: here it waits for another Quillfen that
// holds the folder, long enough for the progress dialog to come and be
// cancelled, while the window goes on answering. Cancel leaves no version
// and no temporary; a second add meanwhile is refused and said; a copy done
// closes its progress.
void TestLive::add_inTheBackground_cancelLeavesNothing()
{
    makeBody();
    QTemporaryDir downloads;
    QFile build(downloads.filePath(QStringLiteral("build.bin")));
    QVERIFY(build.open(QIODevice::WriteOnly) && build.write("build") == 5);
    build.close();
    const QStringList before = dir->entries();
    QScopedPointer<PathLock> anotherQuillfen(new PathLock(dir->path()));
    QVERIFY(anotherQuillfen->isLocked());
    int ticks = 0;
    QTimer answering;
    connect(&answering, &QTimer::timeout, this, [&] { ++ticks; });
    answering.start(10);
    body->addVersions({build.fileName()});
    auto *progress = body->findChild<QProgressDialog *>(QStringLiteral("CopyProgress"));
    QVERIFY(progress);
    QTRY_VERIFY(progress->isVisible());
    QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));
    body->addVersions({build.fileName()});
    QVERIFY2(status(body.data()).startsWith(QStringLiteral("A copy is still running")),
             qPrintable(status(body.data())));
    progress->findChild<QPushButton *>()->click();
    QTRY_VERIFY(!progress->isVisible());
    QTRY_COMPARE(status(body.data()), QStringLiteral("Cancelled: nothing was changed"));
    QCOMPARE(dir->entries(), before);
    // Once shown, the progress goes as soon as the copy is done.
    anotherQuillfen.reset();
    anotherQuillfen.reset(new PathLock(dir->path()));
    QVERIFY(anotherQuillfen->isLocked());
    body->addVersions({build.fileName()});
    QTRY_VERIFY(progress->isVisible());
    anotherQuillfen.reset();
    QTRY_COMPARE(rows(body.data()).size(), 4);
    QCOMPARE(dir->entries().size(), before.size() + 1);
    QVERIFY(!progress->isVisible());
}

void TestLive::drop_addsTheFiles_data()
{
    QTest::addColumn<QString>("onto");
    QTest::newRow("the window") << "";
    QTest::newRow("a name field") << "Name";
    QTest::newRow("a link field") << "Link";
}

// A file dropped anywhere on the window is added; a name field takes no
// dropped URL as text.
void TestLive::drop_addsTheFiles()
{
    QFETCH(QString, onto);
    makeBody();
    QWidget *target = onto.isEmpty()
        ? static_cast<QWidget *>(body.data())
        : rowNamed(body.data(),
                   onto == QLatin1String("Name") ? QStringLiteral("app-1.exe")
                                                 : QStringLiteral("app.exe"))
              ->findChild<QLineEdit *>(onto);
    const QString textBefore
        = onto.isEmpty() ? QString() : static_cast<QLineEdit *>(target)->text();
    QTemporaryDir downloads;
    QList<QUrl> urls;
    for (const char *name : {"build-a.bin", "build-b.bin"}) {
        QFile file(downloads.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(name) > 0);
        urls << QUrl::fromLocalFile(file.fileName());
    }
    QMimeData mime;
    mime.setUrls(urls); // two at once, with no question asked
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    // The copy runs in the background; the listing follows it.
    QTRY_COMPARE_WITH_TIMEOUT(rows(body.data()).size(), 5, Heard);
    settle();
    if (!onto.isEmpty())
        QCOMPARE(static_cast<QLineEdit *>(target)->text(), textBefore);
    const QString dated = QStringLiteral("app-%1-%2.exe")
                              .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    QCOMPARE(dir->read(dated.arg(1)), QByteArray("build-a.bin"));
    QCOMPARE(dir->read(dated.arg(2)), QByteArray("build-b.bin"));
    QCOMPARE(rows(body.data()).size(), 5);
    QCOMPARE(current(body.data()), QStringList {"app-1.exe"});
    // A version's tool tip tells its path, birth time and size.
    QLineEdit *name = edit(rowNamed(body.data(), dated.arg(1)), "Name");
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), name->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(name, &help);
    QVERIFY2(QToolTip::text().startsWith(dir->path(dated.arg(1)) + QStringLiteral("\nBorn "))
                 && QToolTip::text().endsWith(QStringLiteral("\nSize 11 bytes")),
             qPrintable(QToolTip::text()));
}

void TestLive::cleanUp_movesTheCheckedToTheTrash()
{
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    dir->add(QStringLiteral("app-3.exe"), "3");
    dir->add(QStringLiteral("app-4.exe"), "4");
    // The link led to app-2.exe before: Back returns there.
    QString error;
    QVERIFY(History::append(dir->path(QStringLiteral("app.exe")),
                            dir->path(QStringLiteral("app-2.exe")),
                            dir->path(QStringLiteral("app-1.exe")), &error));
    makeBody();
    // The dialog keeps the newest one and checks the older one but not
    // app-1.exe, which is in use, or app-2.exe, the way back; the question
    // names them, and why those stay.
    QString freed;
    QString asked;
    QString wayBack;
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            if (auto *keep = dialog->findChild<QSpinBox *>(QStringLiteral("KeepNewest"))) {
                keep->setValue(1);
                freed = dialog->findChild<QLabel *>(QStringLiteral("Freed"))->text();
                const QListWidgetItem *back
                    = dialog->findChild<QListWidget *>(QStringLiteral("Versions"))
                          ->findItems(QStringLiteral("app-2.exe"), Qt::MatchStartsWith)
                          .value(0);
                if (back && !(back->flags() & Qt::ItemIsEnabled))
                    wayBack = back->toolTip();
                dialog->accept();
            } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                asked = box->informativeText();
                box->button(QMessageBox::Yes)->click();
                answer.stop();
            }
        }
    });
    answer.start(20);
    body->findChild<QAction *>(QStringLiteral("actionCleanUp"))->trigger();
    settle();
    QCOMPARE(freed, QStringLiteral("Checked: 1, freeing 1 bytes"));
    QVERIFY2(wayBack.endsWith(QStringLiteral("Kept: Back to Previous Version returns to it")),
             qPrintable(wayBack));
    QCOMPARE(asked,
             QStringLiteral("app-3.exe\nKept: app-2.exe, as Back to Previous Version "
                            "returns to it\nKept: app-1.exe, as it is the version in use"));
    QCOMPARE(rowNames(body.data()),
             (QStringList {"app.exe", "app-4.exe", "app-2.exe", "app-1.exe"}));
    QCOMPARE(QDir(data.filePath(QStringLiteral("Trash/files"))).entryList(QDir::Files),
             (QStringList {"app-3.exe"}));
    qunsetenv("XDG_DATA_HOME");
}

QTEST_MAIN(TestLive)
#include "tst_live.moc"
