#include "exefile.h"
#include "folderwait.h"
#include "versionactions.h"

#include <QApplication>
#include <QDateTime>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QToolTip>

ExeFile::ExeFile(QDir dir, QString name, QWidget *parent)
    : ExeFile(VersionEntry::read(dir, name), parent)
{
}

ExeFile::ExeFile(const VersionEntry &entry, QWidget *parent)
    : QFrame(parent)
    , isTarget(false)
    , isFile(entry.isFile)
    , isLink(entry.isLink)
    , fileInfo(entry.path)
    , entry(entry)
    , targetFile(entry.path)
{
    setupUi(this);
    connect(ChangeLinkB, SIGNAL(clicked()), this, SLOT(changeToLink()));
    connect(RenameB, SIGNAL(clicked()), this, SLOT(rename()));
    // Enter in the name field does what "Rename" does, where there is one.
    connect(Name, &QLineEdit::returnPressed, this, [this] {
        if (!RenameB->isHidden())
            rename();
    });
    // Escape puts the file's name back, and the tool tip tells the birth
    // time and size (a filter costs nothing per row, where a shortcut would
    // be registered with the application and a tool tip formatted for each).
    Name->installEventFilter(this);
    for (QWidget *menuOwner : {static_cast<QWidget *>(this), static_cast<QWidget *>(Name)}) {
        menuOwner->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(menuOwner, &QWidget::customContextMenuRequested, this,
                [this, menuOwner](const QPoint &at) { showMenu(menuOwner, at); });
    }
    Link->setReadOnly(true);
    // A file dropped on a field is added by the window, not typed in as a URL.
    Name->setAcceptDrops(false);
    Link->setAcceptDrops(false);
    // Both fields are pale (yellow or green): their text stays dark whatever
    // the theme, or a dark theme's white text would vanish on them. The
    // palette is set before the style sheets, which keep it.
    for (QLineEdit *field : {Name, Link}) {
        QPalette dark = field->palette();
        dark.setColor(QPalette::Text, Qt::black);
        field->setPalette(dark);
    }
    // The radio button is a white disc with a black dot and a dark ring in
    // every theme (the style draws the ring darker than the window colour,
    // which the button itself never fills), so that it shows on a light
    // window and a dark one alike.
    QPalette indicator = Select->palette();
    indicator.setColor(QPalette::Window, QColor(128, 128, 128));
    indicator.setColor(QPalette::Base, Qt::white);
    indicator.setColor(QPalette::Text, Qt::black);
    indicator.setColor(QPalette::WindowText, Qt::black);
    Select->setPalette(indicator);
    Name->setStyleSheet(QLatin1String(VersionStyle));
    Link->setStyleSheet(QLatin1String(CurrentStyle));
    Link->hide();
    ChangeLinkB->hide();

    showPath(Name, entry.name, entry.path);
    if (isLink) {
        linkInfo = QFileInfo(entry.linkTarget);
        Link->show();
        showPath(Link, entry.linkTarget, entry.linkTarget);
    }
}

void ExeFile::showMenu(QWidget *on, const QPoint &at)
{
    // A listing while the menu is open may replace the row: the menu is
    // nobody's child, and the row is not touched if it is gone.
    QScopedPointer<QMenu> menu(on == Name ? Name->createStandardContextMenu() : new QMenu);
    menu->setParent(nullptr, menu->windowFlags());
    if (!menu->isEmpty())
        menu->addSeparator();
    QAction *trash = menu->addAction(tr("Move to Trash"));
    trash->setObjectName(QStringLiteral("actionMoveToTrash"));
    // The link itself and the version it points to are never moved.
    trash->setEnabled(!isTarget && !Select->isChecked());
    const QPointer<ExeFile> alive(this);
    if (menu->exec(on->mapToGlobal(at)) == trash && alive)
        emit trashRequested();
}

bool ExeFile::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Name && event->type() == QEvent::ToolTip) {
        const QLocale locale;
        QString tip = fileInfo.absoluteFilePath();
        if (entry.birthKnown)
            tip += QLatin1Char('\n')
                + tr("Born %1").arg(locale.toString(
                    QDateTime::fromMSecsSinceEpoch(entry.birthMsecs), QLocale::LongFormat));
        if (isFile)
            tip += QLatin1Char('\n') + tr("Size %1").arg(sizeText(entry.size));
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), tip, Name);
        return true;
    }
    if (watched == Name && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && Name->isModified()) {
        showPath(Name, fileInfo.fileName(), fileInfo.absoluteFilePath());
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void ExeFile::takeOverFrom(const ExeFile *old)
{
    if (old->Name->isModified() && !Name->isReadOnly()) {
        Name->setText(old->Name->text());
        Name->setCursorPosition(old->Name->cursorPosition());
        Name->setModified(true);
    }
    const QWidget *focused = QApplication::focusWidget();
    if (focused && old->isAncestorOf(focused)) {
        if (QWidget *same = findChild<QWidget *>(focused->objectName()))
            same->setFocus(Qt::OtherFocusReason);
    }
}

void ExeFile::showPath(QLineEdit *field, const QString &text, const QString &fullPath)
{
    field->setText(text);
    field->setCursorPosition(0);
    field->setToolTip(fullPath);
}

ExeFile::~ExeFile() = default;

QString ExeFile::sizeText(qint64 bytes)
{
    return VersionEntry::sizeText(bytes);
}

bool ExeFile::isPlainName(const QString &name)
{
    return VersionActions::isPlainName(name);
}

void ExeFile::report(const QString &message, const QString &warning)
{
    if (!message.isEmpty())
        emit problem(message);
    else if (!warning.isEmpty())
        emit problem(warning);
}

void ExeFile::changeLinkTo(QString link)
{
    if (!isLink)
        return;
    // Only a link is re-pointed: if another program has put a file at this
    // name since the listing, it stays.
    const QFileInfo target = fileInfo;
    runOnLink([target, link] { return VersionActions(target).pick(link, false); }, false);
}

void ExeFile::changeToLink()
{
    // Should another window have made the link meanwhile, nothing is changed
    // and the new listing shows the link.
    const QFileInfo target = fileInfo;
    runOnLink([target] { return VersionActions(target).toLink(); }, true);
}

void ExeFile::runOnLink(const std::function<ActionResult()> &action, bool isLinkNow)
{
    const QPointer<ExeFile> alive(this);
    FolderWait::instance()->run(fileInfo.absolutePath(), action,
                                [alive, isLinkNow](const ActionResult &result) {
                                    if (!alive)
                                        return;
                                    alive->report(result.message, result.warning);
                                    if (alive && result.ok)
                                        emit alive->succeeded();
                                    if (!alive)
                                        return;
                                    if (isLinkNow)
                                        alive->ChangeLinkB->hide();
                                    emit alive->newLink();
                                });
}

// The file keeps its name; the row says so, and why.
void ExeFile::refuseRename(const QString &message)
{
    showPath(Name, fileInfo.fileName(), fileInfo.absoluteFilePath());
    emit problem(message);
}

void ExeFile::rename()
{
    const QString typed = Name->text();
    if (typed == fileInfo.fileName()) {
        showPath(Name, typed, fileInfo.absoluteFilePath());
        return;
    }
    renameTo(typed, false);
}

void ExeFile::renameTo(const QString &typed, bool mayLeave)
{
    // The action renames and, for the version in use, takes the link along
    // or refuses: the row only shows what came of it. A name that takes the
    // version out of the list is asked about, with no lock held while the
    // question waits; the listing may replace the row meanwhile.
    const QPointer<ExeFile> alive(this);
    const QFileInfo target = targetFile;
    const QString from = fileInfo.fileName();
    FolderWait::instance()->run(
        target.absolutePath(),
        [target, from, typed, mayLeave] {
            return VersionActions(target).rename(from, typed, mayLeave);
        },
        [alive, typed](const ActionResult &result) {
            if (alive)
                alive->renamed(typed, result);
        });
}

void ExeFile::renamed(const QString &typed, const ActionResult &result)
{
    const QPointer<ExeFile> alive(this);
    if (result.refusal == ActionResult::LeavesList) {
        QMessageBox ask(QMessageBox::Question, tr("Rename"),
                        tr("%1. Rename it all the same?").arg(result.message),
                        QMessageBox::Yes | QMessageBox::Cancel, window());
        ask.setObjectName(QStringLiteral("ConfirmLeave"));
        ask.setDefaultButton(QMessageBox::Cancel);
        const bool yes = ask.exec() == QMessageBox::Yes;
        if (!alive)
            return;
        if (!yes) {
            showPath(Name, fileInfo.fileName(), fileInfo.absoluteFilePath());
            return;
        }
        renameTo(typed, true);
        return;
    }
    if (!result.ok) {
        refuseRename(result.message);
        return;
    }
    fileInfo = QFileInfo(result.path);
    entry.name = fileInfo.fileName();
    entry.path = result.path;
    showPath(Name, typed, result.path);
    if (!result.warning.isEmpty())
        emit problem(result.warning);
    if (alive)
        emit succeeded();
    // The link followed: the set lists again, as its last act.
    if (alive && result.before != result.after)
        emit linkIsRenamed();
}
