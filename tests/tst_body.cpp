#include "body.h"
#include "configstore.h"
#include "history.h"
#include "rowdriver.h"
#include "safefs.h"
#include "startup.h"
#include "versiondir.h"

#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

#include <cmath>

// The whole program in one window: targets from the configuration, rows on
// real directories, driven by object names as a user would.
class TestBody : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void noTargets_formSize();
    void listing_newestFirstWithCurrentMarked();
    void listing_anotherLink_shownButNeverPicked();
    void japanese_noEnglishLeft();
    void rename_outOfTheList_asksFirst_data();
    void rename_outOfTheList_asksFirst();
    void listing_undecodableName_counted();
    void listing_missingLink_data();
    void listing_missingLink();
    void listing_itemTexts_data();
    void listing_itemTexts();
    void listing_wildcardsInBaseName_areLiteral();
    void listing_missingDirectory_isEmpty();
    void listing_heightBoundedByScreen();
    void listing_hiddenTargetFile_isKept();
    void listing_indexOutOfRange_changesNothing();
    void chooseTarget_listsIt();
    void pick_repointsLink();
    void pick_currentVersion_relists();
    void pick_byKeyboard_data();
    void pick_byKeyboard();
    void toLink_button_setsPlainTargetAside();
    void pick_fromPlainTarget_setsItAsideFirst();
    void rename_currentVersion_linkFollows();
    void rename_otherVersion_linkStays();
    void keyboard_enterRenamesAndCtrlQQuits();
    void darkPalette_fieldTextStaysReadable_data();
    void darkPalette_fieldTextStaysReadable();
    void lockedByAnother_windowWaitsWithoutFreezing_data();
    void lockedByAnother_windowWaitsWithoutFreezing();
    void targets_namingNoFile_leftOutAndTold_data();
    void targets_namingNoFile_leftOutAndTold();
    void listing_linkThroughAnotherSpelling_marksItsVersion();

private:
    void addTarget(const QString &rest) { config.add(QStringLiteral("Target"), QString(), rest); }
    Body *makeBody();
    // app-1.exe and app-2.exe, the link app.exe to app-1.exe, in a window.
    void openTwoVersions();
    // app-1.exe (oldest) to app-COUNT.exe, the link on app-LINKED.exe.
    void openVersions(int count, int linked);
    // Replaces the text of a row's Name field as a user types it.
    static void typeName(ExeFile *row, const QString &text)
    {
        RowDriver::edit(row, "Name")->selectAll();
        QTest::keyClicks(RowDriver::edit(row, "Name"), text);
    }
    QList<ExeFile *> rows() const { return RowDriver::rows(body.data()); }
    QStringList rowNames() const { return RowDriver::rowNames(body.data()); }
    static QString nameOf(ExeFile *row) { return RowDriver::nameOf(row); }
    static QLineEdit *edit(QObject *parent, const char *name)
    {
        return RowDriver::edit(parent, name);
    }
    static QRadioButton *select(ExeFile *row) { return RowDriver::select(row); }
    static QPushButton *button(ExeFile *row, const char *name)
    {
        return RowDriver::button(row, name);
    }
    static bool isGreen(ExeFile *row) { return RowDriver::isGreen(row); }
    ExeFile *rowNamed(const QString &name) const { return RowDriver::rowNamed(body.data(), name); }
    // The window is as high as its rows need: nothing to scroll, no space
    // to spare unless the layout's minimum holds it.
    void verifyFitsRows();
    QString status() const { return RowDriver::status(body.data()); }
    // The names of the checked rows, which are also the green ones.
    QStringList current() const;
    static void clickSelect(ExeFile *row) { RowDriver::clickSelect(row); }

    QScopedPointer<VersionDir> dir;
    QScopedPointer<Body> body;
};

void TestBody::initTestCase()
{
    VersionDir probe;
    if (!probe.hasBirthTimes())
        QSKIP("this file system keeps no birth times, so no newest-first order can be checked");
}

void TestBody::init()
{
    config = ConfigStore();
    dir.reset(new VersionDir);
    QVERIFY(dir->isValid());
}

void TestBody::cleanup()
{
    body.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    dir.reset();
    config = ConfigStore();
}

Body *TestBody::makeBody()
{
    body.reset(new Body);
    body->show();
    if (!QTest::qWaitForWindowExposed(body.data()))
        qWarning("the window was not exposed");
    return body.data();
}

void TestBody::verifyFitsRows()
{
    QCoreApplication::sendPostedEvents(); // the layout settles
    auto *scroll = body->findChild<QScrollArea *>(QStringLiteral("scrollArea"));
    QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
    const int spare = scroll->viewport()->height() - scroll->widget()->sizeHint().height();
    QVERIFY2(spare <= 0 || body->height() == body->minimumSizeHint().height(),
             qPrintable(QString::number(spare)));
}

void TestBody::openTwoVersions()
{
    openVersions(2, 1);
}

void TestBody::openVersions(int count, int linked)
{
    for (int i = 1; i <= count; ++i)
        dir->add(QStringLiteral("app-%1.exe").arg(i), QByteArray::number(i));
    dir->link(QStringLiteral("app-%1.exe").arg(linked), QStringLiteral("app.exe"));
    addTarget(QStringLiteral(" app.exe \"%1\"").arg(dir->path()));
    makeBody();
}

QStringList TestBody::current() const
{
    QStringList names;
    for (ExeFile *row : rows()) {
        if (select(row)->isChecked() != isGreen(row))
            return {QStringLiteral("checked and green differ on ") + nameOf(row)};
        if (select(row)->isChecked())
            names << nameOf(row);
    }
    return names;
}

void TestBody::noTargets_formSize()
{
    makeBody();
    QCOMPARE(body->size(), QSize(690, 641));
    QCOMPARE(body->findChild<QComboBox *>(QStringLiteral("Targets"))->count(), 0);
    QVERIFY(rows().isEmpty());
    QVERIFY(edit(body.data(), "Target")->text().isEmpty());
    // Nothing to go back to without a target.
    QVERIFY(!body->findChild<QAction *>(QStringLiteral("actionPrevious"))->isEnabled());
    // Where the configuration was looked for, in the status bar and the list.
    const QString said = status();
    QVERIFY2(said.contains(QStringLiteral("\"Target NAME DIR\""))
                 && said.contains(QDir::current().absoluteFilePath(QStringLiteral("config.cfg"))),
             qPrintable(said));
    QCOMPARE(body->findChild<QLabel *>(QStringLiteral("EmptyNote"))->text(), said);
    QVERIFY(body->findChild<QLabel *>(QStringLiteral("EmptyNote"))->isVisible());
}

void TestBody::listing_newestFirstWithCurrentMarked()
{
    dir->add(QStringLiteral("app-20261101-1.exe"), "1");
    dir->add(QStringLiteral("app-20261102-1.exe"), "2");
    dir->add(QStringLiteral("App-20261103-1.exe"), "3"); // the pattern ignores case
    dir->add(QStringLiteral("other.exe"), "not a version");
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("app-dir")));
    dir->link(QStringLiteral("app-20261102-1.exe"), QStringLiteral("app.exe"));
    addTarget(QStringLiteral(" app.exe \"%1\"").arg(dir->path()));
    makeBody();

    // The link stands first; the versions follow, newest first.
    QCOMPARE(rowNames(),
             (QStringList {"app.exe", "App-20261103-1.exe", "app-20261102-1.exe",
                           "app-20261101-1.exe"}));
    QCOMPARE(current(), QStringList {"app-20261102-1.exe"});
    ExeFile *target = rowNamed(QStringLiteral("app.exe"));
    QVERIFY(target->isTarget);
    QVERIFY(!select(target)->isVisible());
    QVERIFY(!button(target, "RenameB")->isVisible());
    QVERIFY(!button(target, "ChangeLinkB")->isVisible());
    QVERIFY(edit(target, "Link")->isVisible());
    QCOMPARE(edit(target, "Link")->text(), dir->path(QStringLiteral("app-20261102-1.exe")));
    for (ExeFile *row : rows()) {
        if (row != target)
            QVERIFY(select(row)->isVisible() && button(row, "RenameB")->isVisible());
    }
    QCOMPARE(edit(body.data(), "Target")->text(), QStringLiteral("app.exe"));
    QCOMPARE(edit(body.data(), "BaseDir")->text(), QDir(dir->path()).absolutePath());
    QCOMPARE(body->width(), 690);
    verifyFitsRows();
}

// Another channel's link in the same folder is listed, but a click on it
// changes nothing: a link never leads to a link.
void TestBody::listing_anotherLink_shownButNeverPicked()
{
    dir->link(QStringLiteral("app-2.exe"), QStringLiteral("app-beta.exe"));
    openTwoVersions();
    ExeFile *beta = rowNamed(QStringLiteral("app-beta.exe"));
    QVERIFY(beta);
    QVERIFY(!select(beta)->isEnabled());
    QVERIFY(!button(beta, "RenameB")->isEnabled());
    QVERIFY2(select(beta)->toolTip().contains(dir->path(QStringLiteral("app-2.exe"))),
             qPrintable(select(beta)->toolTip()));
    RowDriver::clickSelect(beta);
    RowDriver::settle();
    QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-1.exe"));
    QCOMPARE(current(), QStringList {"app-1.exe"});
}

// The texts a user reads in a window: its title, its buttons, labels and
// group titles, and its menus' entries.
static QStringList visibleTexts(const QWidget *root)
{
    QStringList texts {root->windowTitle()};
    for (const QWidget *widget : root->findChildren<QWidget *>()) {
        if (!widget->isVisible())
            continue;
        if (auto *button = qobject_cast<const QAbstractButton *>(widget))
            texts << button->text();
        else if (auto *label = qobject_cast<const QLabel *>(widget))
            texts << label->text();
        else if (auto *group = qobject_cast<const QGroupBox *>(widget))
            texts << group->title();
    }
    for (const QMenu *menu : root->findChildren<QMenu *>()) {
        for (const QAction *action : menu->actions())
            texts << action->text();
    }
    return texts;
}

// Every text the Japanese interface shows, the window's and Qt's own dialogs',
// holds no English word; names of files, paths and a few proper names aside.
void TestBody::japanese_noEnglishLeft()
{
    QTranslator ours;
    QTranslator qt;
    installTranslations(options, &ours, &qt);
    openVersions(5, 5);
    QStringList texts = visibleTexts(body.data());
    QTimer answering;
    RowDriver::answerModals(&answering, [&](QWidget *modal) {
        texts << visibleTexts(modal);
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            QAbstractButton *cancel = box->button(QMessageBox::Cancel);
            (cancel ? cancel : box->buttons().first())->click();
        } else if (modal->findChild<QSpinBox *>(QStringLiteral("KeepNewest"))) {
            static_cast<QDialog *>(modal)->accept(); // on to the question
        } else if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            dialog->reject();
        }
    });
    for (const char *action : {"actionAbout", "actionAddVersion", "actionCleanUp"})
        body->findChild<QAction *>(QLatin1String(action))->trigger();
    QLineEdit *name = edit(rowNamed(QStringLiteral("app-2.exe")), "Name");
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("old-2.exe"));
    QTest::keyClick(name, Qt::Key_Return);
    RowDriver::settle();
    QCoreApplication::removeTranslator(&qt);
    QCoreApplication::removeTranslator(&ours);
    QVERIFY2(texts.size() > 40, qPrintable(QString::number(texts.size())));
    static const QRegularExpression markup(QStringLiteral("<[^>]*>|&\\w+;|\\S*[./:]\\S*|&"));
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    // Proper names, and the base name of the versions ("app").
    static const QStringList names {"Quillfen", "Qt", "LGPL", "MIT", "OK", "Ctrl", "Alt", "app"};
    QStringList english;
    for (QString text : qAsConst(texts)) {
        text.remove(markup);
        for (auto found = word.globalMatch(text); found.hasNext();) {
            if (!names.contains(found.next().captured())) {
                english << text;
                break;
            }
        }
    }
    english.removeDuplicates();
    QVERIFY2(english.isEmpty(), qPrintable(english.join(QLatin1String(" | "))));
}

void TestBody::rename_outOfTheList_asksFirst_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("answer"); // "" where nothing is asked
    QTest::addColumn<QString>("afterwards"); // the file's name
    QTest::newRow("another base, cancelled") << "old-app-2.exe"
                                             << "Cancel"
                                             << "app-2.exe";
    QTest::newRow("another base, confirmed") << "old-app-2.exe"
                                             << "Yes"
                                             << "old-app-2.exe";
    QTest::newRow("another suffix, confirmed") << "app-2.exe.bak"
                                               << "Yes"
                                               << "app-2.exe.bak";
    QTest::newRow("in the list, nothing asked") << "app-2b.exe"
                                                << ""
                                                << "app-2b.exe";
}

// A new name that takes the version out of the list is asked about first,
// and the version then leaves the window.
void TestBody::rename_outOfTheList_asksFirst()
{
    QFETCH(QString, typed);
    QFETCH(QString, answer);
    QFETCH(QString, afterwards);
    openTwoVersions();
    QString asked;
    QTimer answering;
    RowDriver::answerModals(&answering, [&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box)
            return;
        asked = box->text();
        box->button(answer == QLatin1String("Yes") ? QMessageBox::Yes : QMessageBox::Cancel)
            ->click();
    });
    QLineEdit *name = edit(rowNamed(QStringLiteral("app-2.exe")), "Name");
    name->selectAll();
    QTest::keyClicks(name, typed);
    QTest::keyClick(name, Qt::Key_Return);
    RowDriver::settle();
    QCOMPARE(asked.isEmpty(), answer.isEmpty());
    QVERIFY(QFileInfo::exists(dir->path(afterwards)));
    QCOMPARE(rowNames().contains(afterwards),
             afterwards.startsWith(QLatin1String("app"))
                 && afterwards.endsWith(QLatin1String(".exe")));
}

// A name that is not UTF-8 cannot be acted upon exactly: it is left out, and
// the status bar says so instead of dropping it without a word.
void TestBody::listing_undecodableName_counted()
{
    const QByteArray name = QFile::encodeName(dir->path()) + "/app-\xff.exe";
    QVERIFY(::close(::creat(name.constData(), 0644)) == 0);
    openTwoVersions();
    QCOMPARE(rowNames(), (QStringList {"app.exe", "app-2.exe", "app-1.exe"}));
    QVERIFY2(status().startsWith(QStringLiteral("1 entries left out")), qPrintable(status()));
}

// The recorded changes of a link; other tests write to the same history at
// the same time.
static int changesOf(const QString &link)
{
    bool ok = false;
    QString error;
    int changes = 0;
    for (const History::Record &record : History::read(&ok, &error))
        changes += record.link == link;
    return changes;
}

void TestBody::listing_missingLink_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("dangling");
    QTest::newRow("with suffix") << "app.exe" << false;
    QTest::newRow("without suffix") << "app" << false;
    QTest::newRow("dangling link replaced") << "app.exe" << true;
}

void TestBody::listing_missingLink()
{
    QFETCH(QString, target);
    QFETCH(bool, dangling);
    dir->add(QStringLiteral("app-1.exe"), "1");
    dir->add(QStringLiteral("app-2.exe"), "2");
    if (dangling)
        dir->link(QStringLiteral("app-0.exe"), target);
    addTarget(QStringLiteral(" %1 \"%2\"").arg(target, dir->path()));
    const int recorded = changesOf(dir->path(target));
    makeBody();
    QCOMPARE(dir->linkTarget(target), QStringLiteral("app-2.exe"));
    QCOMPARE(rowNames(), (QStringList {target, "app-2.exe", "app-1.exe"}));
    QCOMPARE(current(), QStringList {"app-2.exe"});
    QVERIFY(rows().first()->isTarget);
    QVERIFY(!SafeFs::exists(dir->path(target + QLatin1Char('.'))));
    QCOMPARE(dir->entries().size(), 3);
    // No change without a record: the status bar says it, the history has
    // it, and Back undoes it once the old version is back.
    QCOMPARE(changesOf(dir->path(target)), recorded + 1);
    QCOMPARE(
        status(),
        dangling
            ? QStringLiteral("%1 led to app-0.exe, which is gone: it leads to app-2.exe now")
                  .arg(target)
            : QStringLiteral("%1 did not exist: it was made, leading to app-2.exe").arg(target));
    if (!dangling)
        return;
    // Back is offered exactly when it would succeed: once app-0.exe is back.
    auto *previous = body->findChild<QAction *>(QStringLiteral("actionPrevious"));
    QVERIFY(!previous->isEnabled());
    dir->add(QStringLiteral("app-0.exe"), "0");
    QTRY_VERIFY(previous->isEnabled());
    // A line cut short by a full disk is skipped, and said.
    QFile history(History::filePath());
    QVERIFY(history.open(QIODevice::Append) && history.write("#00000000\t2026-12-") > 0);
    history.close();
    previous->trigger();
    RowDriver::settle();
    QCOMPARE(dir->linkTarget(target), QStringLiteral("app-0.exe"));
    bool ok = false;
    QString error;
    int skipped = 0;
    History::read(&ok, &error, &skipped);
    QVERIFY(skipped > 0);
    QTRY_VERIFY2(status().startsWith(QStringLiteral("%1 lines of the history").arg(skipped)),
                 qPrintable(status()));
}

void TestBody::listing_itemTexts_data()
{
    QTest::addColumn<QString>("rest");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("targetField");
    QTest::newRow("two tokens") << " app.exe /opt/tools"
                                << "/opt/tools:app.exe"
                                << "app.exe";
    QTest::newRow("quoted with blanks") << " \"my app.exe\" \"/opt/my tools\" ignored"
                                        << "/opt/my tools:my app.exe"
                                        << "my app.exe";
    QTest::newRow("one token") << "\tapp.exe"
                               << ":app.exe"
                               << "app.exe";
    QTest::newRow("absolute file name") << " /srv/x/app.exe /opt"
                                        << "/opt:/srv/x/app.exe"
                                        << "app.exe";
}

void TestBody::listing_itemTexts()
{
    QFETCH(QString, rest);
    QFETCH(QString, text);
    QFETCH(QString, targetField);
    addTarget(rest);
    makeBody();
    auto *targets = body->findChild<QComboBox *>(QStringLiteral("Targets"));
    QCOMPARE(targets->count(), 1);
    QCOMPARE(targets->itemText(0), text);
    QVERIFY(targets->itemData(0).canConvert<QFileInfo>());
    QCOMPARE(edit(body.data(), "Target")->text(), targetField);
}

void TestBody::listing_wildcardsInBaseName_areLiteral()
{
    dir->add(QStringLiteral("app[1]-1.exe"), "mine");
    dir->add(QStringLiteral("app1-x.exe"), "matched only by the wildcard");
    dir->add(QStringLiteral("app?-x.exe"), "matched only by the wildcard");
    dir->link(QStringLiteral("app[1]-1.exe"), QStringLiteral("app[1].exe"));
    addTarget(QStringLiteral(" \"app[1].exe\" \"%1\"").arg(dir->path()));
    makeBody();
    QCOMPARE(rowNames(), (QStringList {"app[1].exe", "app[1]-1.exe"}));
    QCOMPARE(current(), QStringList {"app[1]-1.exe"});
}

void TestBody::listing_missingDirectory_isEmpty()
{
    addTarget(QStringLiteral(" app.exe \"%1\"").arg(dir->path(QStringLiteral("nowhere"))));
    makeBody();
    QVERIFY(rows().isEmpty());
    QCOMPARE(body->height(), qMax(62, body->minimumSizeHint().height()));
    QCOMPARE(edit(body.data(), "BaseDir")->text(), dir->path(QStringLiteral("nowhere")));
    QVERIFY(!QFileInfo::exists(dir->path(QStringLiteral("nowhere"))));
    QVERIFY2(status().contains(QStringLiteral("does not exist or cannot be read")),
             qPrintable(status()));

    // An existing directory without versions says so too.
    dir->add(QStringLiteral("other.exe"), "o");
    config = ConfigStore();
    addTarget(QStringLiteral(" app.exe \"%1\"").arg(dir->path()));
    makeBody();
    QCOMPARE(status(), QStringLiteral("No versions of app.exe found in %1.").arg(dir->path()));
}

void TestBody::listing_heightBoundedByScreen()
{
    for (int i = 0; i < 40; ++i)
        dir->add(QStringLiteral("app-%1.exe").arg(i), "v");
    addTarget(QStringLiteral(" app.exe \"%1\"").arg(dir->path()));
    makeBody();
    QCOMPARE(rows().size(), 41);
    const int available = body->screen()->availableGeometry().height();
    QVERIFY2(body->height() <= available, qPrintable(QString::number(body->height())));
    QVERIFY(body->height() < 38 * 41 + 62);
    auto *scroll = body->findChild<QScrollArea *>(QStringLiteral("scrollArea"));
    QVERIFY(scroll->verticalScrollBar()->maximum() > 0);
}

void TestBody::listing_hiddenTargetFile_isKept()
{
    // ".tool" is hidden, yet the target's own name: its row is shown, a
    // plain file to be made a link. Its base name is empty and its suffix
    // "tool", so no file here is one of its versions.
    dir->add(QStringLiteral(".tool"), "the user's only copy");
    dir->add(QStringLiteral("readme.txt"), "r");
    addTarget(QStringLiteral(" .tool \"%1\"").arg(dir->path()));
    makeBody();
    QCOMPARE(dir->read(QStringLiteral(".tool")), QByteArray("the user's only copy"));
    QVERIFY(!SafeFs::isSymLink(dir->path(QStringLiteral(".tool"))));
    QCOMPARE(dir->entries(), (QStringList {".tool", "readme.txt"}));
    QCOMPARE(rowNames(), QStringList {".tool"});
}

// Another Quillfen (flock(1) stands in for it) holds the folder: a pick
// does not wait on the window's thread. The window keeps answering, says
// whom it waits for, and picks once the folder is free, or not at all
// after Cancel.
void TestBody::lockedByAnother_windowWaitsWithoutFreezing_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("waits, then picks") << false;
    QTest::newRow("cancelled") << true;
}

void TestBody::lockedByAnother_windowWaitsWithoutFreezing()
{
    QFETCH(bool, cancel);
    if (QStandardPaths::findExecutable(QStringLiteral("flock")).isEmpty())
        QSKIP("flock(1) is not installed");
    openTwoVersions();
    QProcess holder;
    holder.start(QStringLiteral("flock"), {dir->path(), "-c", "echo held; sleep 1.5"});
    QVERIFY(holder.waitForReadyRead(10000));
    QElapsedTimer took;
    took.start();
    clickSelect(rowNamed(QStringLiteral("app-2.exe")));
    auto *wait = body->findChild<QProgressDialog *>(QStringLiteral("FolderWait"));
    QVERIFY(wait->isVisible());
    QVERIFY2(wait->labelText().contains(QLatin1String("flock")), qPrintable(wait->labelText()));
    // The event loop answers within 100 ms, time and again, while it waits.
    for (int answered = 0; answered < 5; ++answered) {
        bool fired = false;
        QTimer::singleShot(10, [&fired] { fired = true; });
        QTRY_VERIFY_WITH_TIMEOUT(fired, 100);
    }
    QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-1.exe"));
    if (cancel)
        QTest::mouseClick(wait->findChild<QPushButton *>(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(holder.state() == QProcess::NotRunning, 10000);
    QTRY_VERIFY(!wait->isVisible());
    if (cancel) {
        // Nothing waits any more: the folder free, nothing changes.
        QTRY_VERIFY(status().contains(QLatin1String("Cancelled")));
        QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-1.exe"));
        return;
    }
    QTRY_COMPARE(dir->linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-2.exe"));
    QTRY_COMPARE(current(), QStringList {"app-2.exe"});
    QVERIFY(took.elapsed() > 1000);
}

// A target that names no file in a folder is no choice; the window says
// why, and the other targets stay usable.
void TestBody::targets_namingNoFile_leftOutAndTold_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("why");
    QTest::newRow("the folder's parent") << ".."
                                         << "names a folder";
    QTest::newRow("the folder itself") << "."
                                       << "names a folder";
    QTest::newRow("a path below the folder") << "sub/app.exe"
                                             << "folder separator";
    QTest::newRow("a folder at the link's name") << "sub"
                                                 << "is a folder";
}

void TestBody::targets_namingNoFile_leftOutAndTold()
{
    QFETCH(QString, name);
    QFETCH(QString, why);
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("sub")));
    dir->add(QStringLiteral("app-1.exe"), "1");
    addTarget(QStringLiteral(" \"%1\" \"%2\"").arg(name, dir->path()));
    addTarget(QStringLiteral(" app.exe \"%1\"").arg(dir->path()));
    makeBody();
    auto *targets = body->findChild<QComboBox *>(QStringLiteral("Targets"));
    QCOMPARE(targets->count(), 1);
    QCOMPARE(targets->itemText(0), dir->path() + QStringLiteral(":app.exe"));
    QVERIFY2(status().contains(why) && status().contains(name), qPrintable(status()));
    QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-1.exe"));
}

// A link someone wrote through another path to the same folder leads to
// that version, which the window shows checked and green.
void TestBody::listing_linkThroughAnotherSpelling_marksItsVersion()
{
    QTemporaryDir elsewhere;
    const QString alias = elsewhere.filePath(QStringLiteral("alias"));
    QVERIFY(QFile::link(dir->path(), alias));
    dir->add(QStringLiteral("app-1.exe"), "1");
    dir->add(QStringLiteral("app-2.exe"), "2");
    QVERIFY(
        QFile::link(alias + QStringLiteral("/app-1.exe"), dir->path(QStringLiteral("app.exe"))));
    addTarget(QStringLiteral(" app.exe \"%1\"").arg(dir->path()));
    makeBody();
    QCOMPARE(current(), QStringList {"app-1.exe"});
    QVERIFY(isGreen(rowNamed(QStringLiteral("app-1.exe"))));
    // Re-pointed, it is our usual link again.
    clickSelect(rowNamed(QStringLiteral("app-2.exe")));
    RowDriver::settle();
    char text[64] = {};
    QCOMPARE(::readlink(QFile::encodeName(dir->path(QStringLiteral("app.exe"))).constData(), text,
                        sizeof text - 1),
             ssize_t(qstrlen("app-2.exe")));
    QCOMPARE(QByteArray(text), QByteArray("app-2.exe"));
    QCOMPARE(current(), QStringList {"app-2.exe"});
}

void TestBody::listing_indexOutOfRange_changesNothing()
{
    dir->add(QStringLiteral("app-1.exe"), "1");
    addTarget(QStringLiteral(" app.exe \"%1\"").arg(dir->path()));
    makeBody();
    const QList<ExeFile *> before = rows();
    for (int idx : {-1, 1, 99})
        QVERIFY(QMetaObject::invokeMethod(body.data(), "selectTarget", Q_ARG(int, idx)));
    QCOMPARE(rows(), before);
}

void TestBody::chooseTarget_listsIt()
{
    VersionDir second;
    dir->add(QStringLiteral("app-1.exe"), "1");
    second.add(QStringLiteral("tool-1"), "t1");
    second.add(QStringLiteral("tool-2"), "t2");
    addTarget(QStringLiteral(" app.exe \"%1\"").arg(dir->path()));
    config.add(QStringLiteral("TARGET"), QString(),
               QStringLiteral(" tool \"%1\"").arg(second.path()));
    makeBody();
    QCOMPARE(rowNames(), (QStringList {"app.exe", "app-1.exe"}));

    auto *targets = body->findChild<QComboBox *>(QStringLiteral("Targets"));
    QCOMPARE(targets->count(), 2);
    targets->setFocus();
    QTest::keyClick(targets, Qt::Key_Down);
    QCOMPARE(targets->currentIndex(), 1);
    QCOMPARE(rowNames(), (QStringList {"tool", "tool-2", "tool-1"}));
    QCOMPARE(second.linkTarget(QStringLiteral("tool")), QStringLiteral("tool-2"));
    QCOMPARE(edit(body.data(), "Target")->text(), QStringLiteral("tool"));
    QCOMPARE(edit(body.data(), "BaseDir")->text(), second.path());
    verifyFitsRows();
}

void TestBody::pick_repointsLink()
{
    dir->add(QStringLiteral("app-1.exe"), "1");
    dir->add(QStringLiteral("app-2.exe"), "2");
    dir->add(QStringLiteral("app-3.exe"), "3");
    dir->link(QStringLiteral("app-3.exe"), QStringLiteral("app.exe"));
    addTarget(QStringLiteral(" app.exe \"%1\"").arg(dir->path()));
    makeBody();
    QCOMPARE(current(), QStringList {"app-3.exe"});

    for (const QString &pick : {QStringLiteral("app-1.exe"), QStringLiteral("app-2.exe")}) {
        QPointer<ExeFile> old = rowNamed(pick);
        QVERIFY(old);
        clickSelect(old);
        RowDriver::settle();
        QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), pick);
        QCOMPARE(current(), QStringList {pick});
        QVERIFY(rows().contains(old.data())); // a version's row stays as it was
        QCOMPARE(dir->entries(), (QStringList {"app-1.exe", "app-2.exe", "app-3.exe", "app.exe"}));
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(body->findChildren<ExeFile *>().size(), 4);
}

void TestBody::pick_currentVersion_relists()
{
    dir->add(QStringLiteral("app-1.exe"), "1");
    dir->link(QStringLiteral("app-1.exe"), QStringLiteral("app.exe"));
    addTarget(QStringLiteral(" app.exe \"%1\"").arg(dir->path()));
    makeBody();
    QPointer<ExeFile> old = rowNamed(QStringLiteral("app-1.exe"));
    clickSelect(old);
    RowDriver::settle();
    QVERIFY(rows().contains(old.data()));
    QCOMPARE(current(), QStringList {"app-1.exe"});
    QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-1.exe"));
}

void TestBody::pick_byKeyboard_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<QString>("picked");
    // app-5.exe is the newest, at the top; the link starts on app-3.exe.
    // Moving never picks; Space and Enter do, once each.
    const int space = Qt::Key_Space;
    const int enter = Qt::Key_Return;
    const int up = Qt::Key_Up;
    const int down = Qt::Key_Down;
    QTest::newRow("down only moves") << QList<int> {down} << "app-2.exe"
                                     << "app-3.exe";
    QTest::newRow("down, space") << QList<int> {down, space} << "app-2.exe"
                                 << "app-2.exe";
    QTest::newRow("past three to the fourth, enter")
        << QList<int> {up, up, down, down, down, enter} << "app-2.exe"
        << "app-2.exe";
    QTest::newRow("end, enter") << QList<int> {Qt::Key_End, Qt::Key_Enter} << "app-1.exe"
                                << "app-1.exe";
    QTest::newRow("home, page down, space")
        << QList<int> {Qt::Key_Home, Qt::Key_PageDown, space} << "app-1.exe"
        << "app-1.exe";
    QTest::newRow("page up past the top") << QList<int> {Qt::Key_PageUp} << "app-5.exe"
                                          << "app-3.exe";
    QTest::newRow("space on the current one") << QList<int> {space} << "app-3.exe"
                                              << "app-3.exe";
}

// The key handler of the old radio button goes on after the click it sends:
// the old rows must outlive it, and the new listing keeps the focus on the
// picked version so that the next key goes on from there. Walking past
// versions leaves none of them live, and one pick writes one history line.
void TestBody::pick_byKeyboard()
{
    QFETCH(QList<int>, keys);
    QFETCH(QString, focused);
    QFETCH(QString, picked);
    openVersions(5, 3);
    body->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(body.data()));
    QCOMPARE(QApplication::focusWidget(), select(rowNamed(QStringLiteral("app-3.exe"))));
    const QString link = dir->path(QStringLiteral("app.exe"));
    const int recorded = changesOf(link);
    QString linked = QStringLiteral("app-3.exe");
    for (int key : keys) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        RowDriver::settle();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const bool picks = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
        if (picks)
            linked = nameOf(qobject_cast<ExeFile *>(QApplication::focusWidget()->parentWidget()));
        QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), linked);
        QCOMPARE(current(), QStringList {linked});
    }
    QCOMPARE(QApplication::focusWidget(), select(rowNamed(focused)));
    QCOMPARE(current(), QStringList {picked});
    QCOMPARE(changesOf(link) - recorded, picked == QLatin1String("app-3.exe") ? 0 : 1);
}

void TestBody::toLink_button_setsPlainTargetAside()
{
    dir->add(QStringLiteral("app-1.exe"), "1");
    dir->add(QStringLiteral("app.exe"), "plain target");
    addTarget(QStringLiteral(" app.exe \"%1\"").arg(dir->path()));
    makeBody();
    ExeFile *target = rowNamed(QStringLiteral("app.exe"));
    QVERIFY(target->isTarget);
    QVERIFY(button(target, "ChangeLinkB")->isVisible());
    QVERIFY(current().isEmpty());

    QTest::mouseClick(button(target, "ChangeLinkB"), Qt::LeftButton);
    RowDriver::settle();
    const QString dated = QStringLiteral("app-%1-1.exe")
                              .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    QCOMPARE(dir->read(dated), QByteArray("plain target"));
    QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), dated);
    QCOMPARE(current(), QStringList {dated});
    QVERIFY(!button(rowNamed(QStringLiteral("app.exe")), "ChangeLinkB")->isVisible());
    QCOMPARE(dir->entries(), (QStringList {"app-1.exe", dated, "app.exe"}));
}

void TestBody::pick_fromPlainTarget_setsItAsideFirst()
{
    dir->add(QStringLiteral("app.exe"), "plain target");
    dir->add(QStringLiteral("app-1.exe"), "1");
    addTarget(QStringLiteral(" app.exe \"%1\"").arg(dir->path()));
    makeBody();
    clickSelect(rowNamed(QStringLiteral("app-1.exe")));
    RowDriver::settle();
    const QString dated = QStringLiteral("app-%1-1.exe")
                              .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    QCOMPARE(dir->read(dated), QByteArray("plain target"));
    QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-1.exe"));
    QCOMPARE(current(), QStringList {"app-1.exe"});
    QCOMPARE(dir->entries(), (QStringList {"app-1.exe", dated, "app.exe"}));
}

void TestBody::rename_currentVersion_linkFollows()
{
    openTwoVersions();
    QPointer<ExeFile> row = rowNamed(QStringLiteral("app-1.exe"));
    typeName(row, QStringLiteral("app-1-good.exe"));
    QTest::mouseClick(button(row, "RenameB"), Qt::LeftButton);
    RowDriver::settle();
    QVERIFY(rows().contains(row.data())); // the same file under its new name
    QCOMPARE(dir->read(QStringLiteral("app-1-good.exe")), QByteArray("1"));
    QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-1-good.exe"));
    QCOMPARE(current(), QStringList {"app-1-good.exe"});
    QCOMPARE(dir->entries(), (QStringList {"app-1-good.exe", "app-2.exe", "app.exe"}));
}

void TestBody::rename_otherVersion_linkStays()
{
    openTwoVersions();
    const QList<ExeFile *> before = rows();
    ExeFile *row = rowNamed(QStringLiteral("app-2.exe"));
    typeName(row, QStringLiteral("app-2b.exe"));
    QTest::mouseClick(button(row, "RenameB"), Qt::LeftButton);
    QCOMPARE(rows(), before); // no new listing
    QCOMPARE(nameOf(row), QStringLiteral("app-2b.exe"));
    QCOMPARE(dir->read(QStringLiteral("app-2b.exe")), QByteArray("2"));
    QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-1.exe"));
    QCOMPARE(current(), QStringList {"app-1.exe"});
}

void TestBody::keyboard_enterRenamesAndCtrlQQuits()
{
    openTwoVersions();
    QVERIFY(!body->windowIcon().pixmap(32).isNull());
    // Fields that only show something cannot be edited.
    QVERIFY(edit(body.data(), "BaseDir")->isReadOnly());
    QVERIFY(edit(body.data(), "Target")->isReadOnly());
    QVERIFY(edit(rowNamed(QStringLiteral("app.exe")), "Name")->isReadOnly());
    QTest::keyClick(edit(rowNamed(QStringLiteral("app.exe")), "Name"), Qt::Key_Return);
    RowDriver::settle();
    QCOMPARE(dir->entries(), (QStringList {"app-1.exe", "app-2.exe", "app.exe"}));

    ExeFile *row = rowNamed(QStringLiteral("app-1.exe"));
    typeName(row, QStringLiteral("app-1b.exe"));
    QTest::keyClick(edit(row, "Name"), Qt::Key_Return);
    RowDriver::settle();
    QCOMPARE(dir->linkTarget(QStringLiteral("app.exe")), QStringLiteral("app-1b.exe"));
    QCOMPARE(current(), QStringList {"app-1b.exe"});

    // A taken name is refused, and the status bar says why.
    row = rowNamed(QStringLiteral("app-2.exe"));
    typeName(row, QStringLiteral("app-1b.exe"));
    QTest::keyClick(edit(row, "Name"), Qt::Key_Return);
    RowDriver::settle();
    QCOMPARE(status(),
             QStringLiteral("Could not rename app-2.exe to app-1b.exe: the name is taken"));
    QCOMPARE(dir->read(QStringLiteral("app-2.exe")), QByteArray("2"));

    body->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(body.data()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!body->isVisible());
}

void TestBody::darkPalette_fieldTextStaysReadable_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("dark");
    for (const bool dark : {false, true}) {
        const char *palette = dark ? "dark" : "default";
        QTest::newRow(qPrintable(QStringLiteral("version, %1").arg(QLatin1String(palette))))
            << "app-2.exe" << dark;
        QTest::newRow(qPrintable(QStringLiteral("current, %1").arg(QLatin1String(palette))))
            << "app-1.exe" << dark;
    }
}

static double luminance(QRgb pixel)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(pixel)) + 0.7152 * channel(qGreen(pixel))
        + 0.0722 * channel(qBlue(pixel));
}

// The most a pixel of the image stands out from the background pixel.
static double contrastWith(const QImage &image, QRgb background)
{
    double most = 1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const double a = luminance(image.pixel(x, y)) + 0.05;
            const double b = luminance(background) + 0.05;
            most = qMax(most, qMax(a, b) / qMin(a, b));
        }
    }
    return most;
}

// Qt's default palette and a dark theme's, which turns text white: a name
// keeps 4.5:1 against its pale field, and the radio button 3:1 against the
// row, measured from what is painted.
void TestBody::darkPalette_fieldTextStaysReadable()
{
    QFETCH(QString, field);
    QFETCH(bool, dark);
    const QPalette original = QApplication::palette();
    QPalette themed(QColor(45, 45, 45));
    themed.setColor(QPalette::Base, QColor(30, 30, 30));
    themed.setColor(QPalette::Text, Qt::white);
    themed.setColor(QPalette::WindowText, Qt::white);
    if (dark)
        QApplication::setPalette(themed);
    openTwoVersions();
    ExeFile *row = rowNamed(field);
    const QImage name = edit(row, "Name")->grab().toImage();
    const QImage radio = select(row)->grab().toImage();
    QApplication::setPalette(original);

    const QImage text = name.copy(3, 3, name.width() - 6, name.height() - 6);
    const double readable = contrastWith(text, name.pixel(4, name.height() / 2));
    QVERIFY2(readable >= 4.5, qPrintable(QString::number(readable)));
    const double visible = contrastWith(radio, radio.pixel(0, 0));
    QVERIFY2(visible >= 3, qPrintable(QString::number(visible)));
}

QTEST_MAIN(TestBody)
#include "tst_body.moc"
