#include "body.h"
#include "configstore.h"
#include "rowdriver.h"
#include "safefs.h"
#include "versiondir.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QSpinBox>
#include <QToolTip>
#include <QFileSystemWatcher>
#include <QScrollArea>
#include <QScrollBar>
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
    void escape_putsTheNameBack();
    void scroll_staysOnTheSameVersion();
    void mixedChanges_showWhatAFreshWindowShows();
    void status_clearedByTheNextSuccess();
    void status_unknownConfigKeyNamed();
    void drop_addsTheFiles();
    void cleanUp_movesTheCheckedToTheTrash();
    void toolTip_tellsBirthAndSize();

private:
    void makeBody();
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

void TestLive::outsideChange_shows_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("current");
    QTest::newRow("a new version")
        << "add app-3.exe" << QStringList {"app.exe", "app-3.exe", "app-2.exe", "app-1.exe"}
        << "app-1.exe";
    QTest::newRow("a version removed") << "remove app-2.exe" << QStringList {"app.exe", "app-1.exe"}
                                       << "app-1.exe";
    QTest::newRow("a version renamed")
        << "rename app-2.exe app-2b.exe" << QStringList {"app.exe", "app-2b.exe", "app-1.exe"}
        << "app-1.exe";
    QTest::newRow("the link re-pointed") << "point app-2.exe"
                                         << QStringList {"app.exe", "app-2.exe", "app-1.exe"}
                                         << "app-2.exe";
    QTest::newRow("the directory removed and made again")
        << "remake" << QStringList {"app.exe", "app-9.exe"} << "app-9.exe";
}

void TestLive::outsideChange_shows()
{
    QFETCH(QString, change);
    QFETCH(QStringList, rows);
    QFETCH(QString, current);
    makeBody();
    const QStringList words = change.split(QLatin1Char(' '));
    if (words.at(0) == QLatin1String("add")) {
        dir->add(words.at(1), "new");
    } else if (words.at(0) == QLatin1String("remove")) {
        QVERIFY(QFile::remove(dir->path(words.at(1))));
    } else if (words.at(0) == QLatin1String("rename")) {
        QVERIFY(QFile::rename(dir->path(words.at(1)), dir->path(words.at(2))));
    } else if (words.at(0) == QLatin1String("point")) {
        QVERIFY(SafeFs::pointLinkTo(dir->path(words.at(1)), dir->path(QStringLiteral("app.exe"))));
    } else {
        QVERIFY(QDir(dir->path()).removeRecursively());
        QTRY_VERIFY_WITH_TIMEOUT(rowNames(body.data()).isEmpty(), Heard);
        QVERIFY(QDir().mkpath(dir->path()));
        dir->add(QStringLiteral("app-9.exe"), "9");
    }
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
    QVERIFY(body->findChild<QAction *>(QStringLiteral("actionRefresh"))->shortcuts().contains(keys));
    QTest::keySequence(body.data(), keys);
    QCOMPARE(rowNames(body.data()), (QStringList {"app.exe", "app-3.exe", "app-2.exe", "app-1.exe"}));
}

void TestLive::typedName_keptAcrossListings()
{
    makeBody();
    QLineEdit *name = edit(rowNamed(body.data(), QStringLiteral("app-2.exe")), "Name");
    name->setFocus();
    QTRY_VERIFY(name->hasFocus());
    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClicks(name, QStringLiteral("-typed"));
    QTest::keyClick(name, Qt::Key_Left);
    dir->add(QStringLiteral("app-3.exe"), "3");
    QTRY_COMPARE_WITH_TIMEOUT(rows(body.data()).size(), 4, Heard);
    waitForQuiet();
    // The row's field shows what was typed, not the file's name.
    ExeFile *row = nullptr;
    for (ExeFile *candidate : rows(body.data())) {
        if (candidate->fileInfo.fileName() == QLatin1String("app-2.exe"))
            row = candidate;
    }
    QVERIFY(row);
    name = edit(row, "Name");
    QCOMPARE(name->text(), QStringLiteral("app-2.exe-typed"));
    QCOMPARE(name->cursorPosition(), name->text().size() - 1);
    QVERIFY(name->hasFocus());
    QTest::keyClick(name, Qt::Key_Return);
    QTRY_VERIFY(QFileInfo::exists(dir->path(QStringLiteral("app-2.exe-typed"))));
}

void TestLive::escape_putsTheNameBack()
{
    makeBody();
    QLineEdit *name = edit(rowNamed(body.data(), QStringLiteral("app-2.exe")), "Name");
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("x"));
    QVERIFY(name->text() != QLatin1String("app-2.exe"));
    QTest::keyClick(name, Qt::Key_Escape);
    QCOMPARE(name->text(), QStringLiteral("app-2.exe"));
    QVERIFY(!name->isModified());
}

void TestLive::scroll_staysOnTheSameVersion()
{
    for (int i = 10; i < 50; ++i)
        dir->add(QStringLiteral("app-%1.exe").arg(i), "v");
    makeBody();
    body->resize(body->width(), 300);
    QScrollBar *bar = body->findChild<QScrollArea *>(QStringLiteral("scrollArea"))->verticalScrollBar();
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
    const QStringList steps {"toLink", "pick app-2.exe", "add app-3.exe", "rename app-2.exe app-2b.exe",
                             "pick app-1.exe", "outside point app-3.exe", "remove app-1.exe",
                             "rename app-3.exe app-0.exe", "add app-4.exe", "pick app-0.exe"};
    for (const QString &step : steps) {
        const QStringList words = step.split(QLatin1Char(' '));
        if (words.at(0) == QLatin1String("toLink")) {
            QTest::mouseClick(button(rowNamed(body.data(), QStringLiteral("app.exe")), "ChangeLinkB"),
                              Qt::LeftButton);
        } else if (words.at(0) == QLatin1String("pick")) {
            clickSelect(rowNamed(body.data(), words.at(1)));
        } else if (words.at(0) == QLatin1String("rename")) {
            QLineEdit *name = edit(rowNamed(body.data(), words.at(1)), "Name");
            name->setText(words.at(2));
            QTest::keyClick(name, Qt::Key_Return);
        } else if (words.at(0) == QLatin1String("add")) {
            dir->add(words.at(1), "new");
        } else if (words.at(0) == QLatin1String("remove")) {
            QVERIFY(QFile::remove(dir->path(words.at(1))));
        } else {
            QVERIFY(SafeFs::pointLinkTo(dir->path(words.at(2)), dir->path(QStringLiteral("app.exe"))));
        }
        settle();
        waitForQuiet();
        Body fresh;
        QCOMPARE(describe(body.data()), describe(&fresh));
    }
    QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-0.exe"));
}

void TestLive::status_clearedByTheNextSuccess()
{
    dir->add(QStringLiteral("app-3.exe"), "3");
    makeBody();
    QLineEdit *name = edit(rowNamed(body.data(), QStringLiteral("app-2.exe")), "Name");
    name->setText(QStringLiteral("app-3.exe"));
    QTest::keyClick(name, Qt::Key_Return);
    settle();
    const QString refused = status(body.data());
    QVERIFY2(refused.contains(QStringLiteral("the name is taken")), qPrintable(refused));
    // Shown whole where it is too long for the bar.
    QCOMPARE(body->findChild<QStatusBar *>(QStringLiteral("statusbar"))->toolTip(), refused);
    // Listings after changes made by others keep it.
    dir->add(QStringLiteral("app-4.exe"), "4");
    QTRY_COMPARE_WITH_TIMEOUT(rows(body.data()).size(), 5, Heard);
    QCOMPARE(status(body.data()), refused);
    name = edit(rowNamed(body.data(), QStringLiteral("app-2.exe")), "Name");
    name->setText(QStringLiteral("app-2b.exe"));
    QTest::keyClick(name, Qt::Key_Return);
    settle();
    QCOMPARE(status(body.data()), QString());
}

void TestLive::status_unknownConfigKeyNamed()
{
    QTemporaryDir work;
    QFile file(work.filePath(QStringLiteral("config.cfg")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# a comment\n\nTaget app.exe " + dir->path().toUtf8() + "\nTarget app.exe \""
               + dir->path().toUtf8() + "\"\n");
    file.close();
    config = ConfigStore();
    config.readFile(file.fileName());
    makeBody();
    QCOMPARE(status(body.data()), QStringLiteral("line 3: unknown key Taget"));
    QCOMPARE(rowNames(body.data()), (QStringList {"app.exe", "app-2.exe", "app-1.exe"}));
    // The store keeps the line.
    QCOMPARE(config.allKeys.first(), QStringLiteral("Taget"));
}

void TestLive::drop_addsTheFiles()
{
    makeBody();
    QTemporaryDir downloads;
    QList<QUrl> urls;
    for (const char *name : {"build-a.bin", "build-b.bin"}) {
        QFile file(downloads.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(name) > 0);
        urls << QUrl::fromLocalFile(file.fileName());
    }
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(body.data(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(body.data(), &drop);
    settle();
    const QString dated = QStringLiteral("app-%1-%2.exe")
                              .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    QCOMPARE(dir->read(dated.arg(1)), QByteArray("build-a.bin"));
    QCOMPARE(dir->read(dated.arg(2)), QByteArray("build-b.bin"));
    QCOMPARE(rows(body.data()).size(), 5);
    QCOMPARE(current(body.data()), QStringList {"app-1.exe"});
}

void TestLive::cleanUp_movesTheCheckedToTheTrash()
{
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    dir->add(QStringLiteral("app-3.exe"), "3");
    dir->add(QStringLiteral("app-4.exe"), "4");
    makeBody();
    // The dialog keeps the newest one and checks the two older ones but not
    // app-1.exe, which is in use; the question names them.
    QString freed;
    QString asked;
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            if (auto *keep = dialog->findChild<QSpinBox *>(QStringLiteral("KeepNewest"))) {
                keep->setValue(1);
                freed = dialog->findChild<QLabel *>(QStringLiteral("Freed"))->text();
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
    QCOMPARE(freed, QStringLiteral("Checked: 2, freeing 2 bytes"));
    QCOMPARE(asked, QStringLiteral("app-3.exe\napp-2.exe"));
    QCOMPARE(rowNames(body.data()), (QStringList {"app.exe", "app-4.exe", "app-1.exe"}));
    QCOMPARE(QDir(data.filePath(QStringLiteral("Trash/files"))).entryList(QDir::Files),
             (QStringList {"app-2.exe", "app-3.exe"}));
    qunsetenv("XDG_DATA_HOME");
}

void TestLive::toolTip_tellsBirthAndSize()
{
    makeBody();
    QLineEdit *name = edit(rowNamed(body.data(), QStringLiteral("app-2.exe")), "Name");
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), name->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(name, &help);
    const QString tip = QToolTip::text();
    QVERIFY2(tip.startsWith(dir->path(QStringLiteral("app-2.exe")) + QLatin1Char('\n'))
                 && tip.contains(QStringLiteral("Born ")) && tip.contains(QStringLiteral("Size 1 bytes")),
             qPrintable(tip));
    // A link's path shows from its start, whole in its tool tip.
    QLineEdit *link = edit(rowNamed(body.data(), QStringLiteral("app.exe")), "Link");
    QCOMPARE(link->cursorPosition(), 0);
    QCOMPARE(link->toolTip(), dir->path(QStringLiteral("app-1.exe")));
}

QTEST_MAIN(TestLive)
#include "tst_live.moc"
