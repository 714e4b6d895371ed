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

// Rows whose code is running; a handful at most.
static QVector<const ExeFile *> busyRows;

ExeFile::BusyScope::BusyScope(const ExeFile *row)
    : row(row)
{
    busyRows.append(row);
}

ExeFile::BusyScope::~BusyScope()
{
    busyRows.removeOne(row);
}

bool ExeFile::isBusy(const ExeFile *row)
{
    return busyRows.contains(row);
}

void ExeFile::changeLinkTo(QString link)
{
    if (!isLink)
        return;
    const BusyScope busy(this);
    // Only a link is ever replaced: if another program has put a file at
    // this name since the listing, it stays.
    SafeFs::pointLinkTo(link, fileInfo.absoluteFilePath());
    emit newLink();
}

void ExeFile::changeToLink()
{
    const BusyScope busy(this);
    const QString stem = fileInfo.completeBaseName()
        + QDateTime::currentDateTime().toString(QStringLiteral("-yyyyMMdd"));
    const QString suffix = fileInfo.suffix();
    const QDir dir = fileInfo.dir();
    // All parts are substituted in one pass, so a "%1" in the file's own name
    // is kept as it is.
    QString candidate;
    for (qint64 n = 1;; ++n) {
        candidate = suffix.isEmpty()
            ? QStringLiteral("%1-%2").arg(stem, QString::number(n))
            : QStringLiteral("%1-%2.%3").arg(stem, QString::number(n), suffix);
        if (!SafeFs::exists(dir.absoluteFilePath(candidate)))
            break;
    }
    const QString oldPath = fileInfo.absoluteFilePath();
    const QString newPath = dir.absoluteFilePath(candidate);
    if (SafeFs::renameNoReplace(oldPath, newPath)) {
        // Should the link fail, the file goes back to its name rather than
        // leaving the target name empty.
        if (!SafeFs::createLink(newPath, oldPath))
            SafeFs::renameNoReplace(newPath, oldPath);
    }
    ChangeLinkB->hide();
    emit newLink();
}

void ExeFile::rename()
{
    const BusyScope busy(this);
    const QFileInfo candidate(fileInfo.dir(), Name->text());
    // An empty text names the directory itself; a dangling link is an entry
    // too and is never replaced.
    if (SafeFs::exists(candidate.absoluteFilePath())) {
        Name->setText(fileInfo.fileName());
        return;
    }
    if (!SafeFs::renameNoReplace(fileInfo.absoluteFilePath(), candidate.absoluteFilePath())) {
        // The file kept its name; the row says so and the link stays on it.
        Name->setText(fileInfo.fileName());
        return;
    }
    fileInfo = candidate;
    if (Select->isChecked())
        emit linkIsRenamed();
}
