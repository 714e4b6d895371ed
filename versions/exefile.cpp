#include "exefile.h"
#include "safefs.h"

#include <QDateTime>
#include <QPointer>

ExeFile::ExeFile(QDir dir, QString name, QWidget *parent)
    : QFrame(parent)
    , isTarget(false)
    , isFile(false)
    , isLink(false)
{
    setupUi(this);
    connect(ChangeLinkB, SIGNAL(clicked()), this, SLOT(changeToLink()));
    connect(RenameB, SIGNAL(clicked()), this, SLOT(rename()));
    // Enter in the name field does what "Rename" does, where there is one.
    connect(Name, &QLineEdit::returnPressed, this, [this] {
        if (!RenameB->isHidden())
            rename();
    });
    Link->setReadOnly(true);
    // Both fields are pale (yellow or green): their text stays dark whatever
    // the theme, or a dark theme's white text would vanish on them. The
    // palette is set before the style sheets, which keep it.
    for (QLineEdit *field : {Name, Link}) {
        QPalette dark = field->palette();
        dark.setColor(QPalette::Text, Qt::black);
        field->setPalette(dark);
    }
    Name->setStyleSheet(QLatin1String(VersionStyle));
    Link->setStyleSheet(QLatin1String(CurrentStyle));
    Link->hide();
    ChangeLinkB->hide();

    fileInfo = QFileInfo(dir, name);
    isFile = fileInfo.isFile();
    showPath(Name, name, fileInfo.absoluteFilePath());
    if (fileInfo.isSymLink()) {
        isLink = true;
        linkInfo = QFileInfo(fileInfo.symLinkTarget());
        Link->show();
        showPath(Link, linkInfo.absoluteFilePath(), linkInfo.absoluteFilePath());
    }
}

void ExeFile::showPath(QLineEdit *field, const QString &text, const QString &fullPath)
{
    field->setText(text);
    field->setCursorPosition(0);
    field->setToolTip(fullPath);
}

ExeFile::~ExeFile() = default;

bool ExeFile::isPlainName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    if (name.contains(QLatin1Char('/')) || name.contains(QChar(0)))
        return false;
#ifdef Q_OS_WIN
    if (name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char(':')))
        return false;
#endif
    return true;
}

void ExeFile::changeLinkTo(QString link)
{
    if (!isLink)
        return;
    // Only a link is ever replaced: if another program has put a file at
    // this name since the listing, it stays.
    const QPointer<ExeFile> alive(this);
    if (!SafeFs::pointLinkTo(link, fileInfo.absoluteFilePath()))
        emit problem(
            tr("Could not point %1 to %2: %3")
                .arg(fileInfo.fileName(), QFileInfo(link).fileName(), SafeFs::errorString()));
    if (alive)
        emit newLink();
}

void ExeFile::changeToLink()
{
    const QPointer<ExeFile> alive(this);
    const QString oldPath = fileInfo.absoluteFilePath();
    // The listing may be out of date: only a plain file is set aside. Should
    // another window have made the link meanwhile, setting it aside would
    // leave a link to a link; the new listing shows the link instead.
    if (SafeFs::isRegularFile(oldPath)) {
        const QString stem = fileInfo.completeBaseName()
            + QDateTime::currentDateTime().toString(QStringLiteral("-yyyyMMdd"));
        const QString suffix = fileInfo.suffix();
        const QDir dir = fileInfo.dir();
        // All parts are substituted in one pass, so a "%1" in the file's own
        // name is kept as it is.
        QString candidate;
        for (qint64 n = 1;; ++n) {
            candidate = suffix.isEmpty()
                ? QStringLiteral("%1-%2").arg(stem, QString::number(n))
                : QStringLiteral("%1-%2.%3").arg(stem, QString::number(n), suffix);
            if (!SafeFs::exists(dir.absoluteFilePath(candidate)))
                break;
        }
        if (!SafeFs::setAsideAsLink(oldPath, dir.absoluteFilePath(candidate)))
            emit problem(
                tr("Could not make %1 a link: %2").arg(fileInfo.fileName(), SafeFs::errorString()));
    } else {
        emit problem(
            tr("%1 is no longer a plain file; nothing was changed").arg(fileInfo.fileName()));
    }
    if (!alive)
        return;
    ChangeLinkB->hide();
    emit newLink();
}

// The file keeps its name; the row says so, and why.
void ExeFile::refuseRename(const QString &typed, const QString &reason)
{
    showPath(Name, fileInfo.fileName(), fileInfo.absoluteFilePath());
    emit problem(tr("Could not rename %1 to %2: %3").arg(fileInfo.fileName(), typed, reason));
}

void ExeFile::rename()
{
    const QString typed = Name->text();
    if (typed == fileInfo.fileName()) {
        showPath(Name, typed, fileInfo.absoluteFilePath());
        return;
    }
    // A name that would leave the directory, or name the directory itself,
    // is refused like a taken one; a dangling link is an entry too and is
    // never replaced.
    if (!isPlainName(typed)) {
        refuseRename(typed, tr("a name cannot be empty, \".\" or \"..\", or contain \"/\""));
        return;
    }
    const QFileInfo candidate(fileInfo.dir(), typed);
    if (SafeFs::exists(candidate.absoluteFilePath())) {
        refuseRename(typed, tr("the name is taken"));
        return;
    }
    const QString oldPath = fileInfo.absoluteFilePath();
    const QString newPath = candidate.absoluteFilePath();
    if (Select->isChecked()) {
        // The current version gets its new name as a second name first, the
        // link follows it, and only then the old name goes: the link never
        // dangles, not even when the process dies in between.
        bool unsupported = false;
        if (SafeFs::addName(oldPath, newPath, &unsupported)) {
            fileInfo = candidate;
            emit linkIsRenamed();
            // The row may be gone now: only local values from here on.
            SafeFs::removeNameIfSame(oldPath, newPath);
            return;
        }
        if (!unsupported) {
            refuseRename(typed, SafeFs::errorString());
            return;
        }
    }
    if (!SafeFs::renameNoReplace(oldPath, newPath)) {
        refuseRename(typed, SafeFs::errorString());
        return;
    }
    fileInfo = candidate;
    showPath(Name, typed, newPath);
    if (Select->isChecked())
        emit linkIsRenamed();
}
