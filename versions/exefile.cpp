#include "exefile.h"
#include "safefs.h"

#include <QDateTime>

ExeFile::ExeFile(QDir dir, QString name, QWidget *parent)
    : QFrame(parent)
    , isTarget(false)
    , isFile(false)
    , isLink(false)
{
    setupUi(this);
    connect(ChangeLinkB, SIGNAL(clicked()), this, SLOT(changeToLink()));
    connect(RenameB, SIGNAL(clicked()), this, SLOT(rename()));
    Name->setStyleSheet(QLatin1String(VersionStyle));
    Link->setStyleSheet(QLatin1String(CurrentStyle));
    Link->hide();
    ChangeLinkB->hide();

    fileInfo = QFileInfo(dir, name);
    isFile = fileInfo.isFile();
    Name->setText(name);
    if (fileInfo.isSymLink()) {
        isLink = true;
        linkInfo = QFileInfo(fileInfo.symLinkTarget());
        Link->show();
        Link->setText(linkInfo.absoluteFilePath());
    }
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
    SafeFs::pointLinkTo(link, fileInfo.absoluteFilePath());
    emit newLink();
}

void ExeFile::changeToLink()
{
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
        SafeFs::setAsideAsLink(oldPath, dir.absoluteFilePath(candidate));
    }
    ChangeLinkB->hide();
    emit newLink();
}

void ExeFile::rename()
{
    const QString typed = Name->text();
    const QFileInfo candidate(fileInfo.dir(), typed);
    // A name that would leave the directory, or name the directory itself,
    // is refused like a taken one; a dangling link is an entry too and is
    // never replaced.
    if (!isPlainName(typed) || SafeFs::exists(candidate.absoluteFilePath())) {
        Name->setText(fileInfo.fileName());
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
            Name->setText(fileInfo.fileName());
            return;
        }
    }
    if (!SafeFs::renameNoReplace(oldPath, newPath)) {
        // The file kept its name; the row says so and the link stays on it.
        Name->setText(fileInfo.fileName());
        return;
    }
    fileInfo = candidate;
    if (Select->isChecked())
        emit linkIsRenamed();
}
