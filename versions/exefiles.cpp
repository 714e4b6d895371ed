#include "exefiles.h"
#include "safefs.h"

#include <QAbstractButton>
#include <QDateTime>

static const char *const VersionStyle = "background-color: rgb(255, 255, 220);";
static const char *const CurrentStyle = "background-color: rgb(230, 255, 230);";

ExeFiles::ExeFiles(QObject *parent)
    : QObject(parent)
    , targetIndex(-1)
{
    connect(&group, SIGNAL(buttonClicked( QAbstractButton * )), this,
            SLOT(selectLink( QAbstractButton * )));
}

ExeFiles::~ExeFiles() = default;

void ExeFiles::clear()
{
    // A row may be in the middle of emitting the signal that started this
    // listing, or of its button's click: it leaves the group and the list at
    // once and is deleted when control is back in the event loop.
    for (ExeFile *row : qAsConst(items)) {
        if (!row)
            continue;
        group.removeButton(row->Select);
        row->hide();
        row->deleteLater();
    }
    nextButtonId = -2;
    if (!items.isEmpty())
        items.resize(0);
}

void ExeFiles::add(ExeFile *const &row)
{
    connect(row, SIGNAL(newLink()), this, SIGNAL(newLink()));
    connect(row, SIGNAL(linkIsRenamed()), this, SLOT(reLink()));
    items.append(row);
    group.addButton(row->Select, nextButtonId--);
}

void ExeFiles::sortByBirthTime()
{
    // Each birth time is read once; an unknown one compares as equal to
    // everything, as QDateTime::msecsTo does with an invalid time.
    const int count = items.size();
    QVector<qint64> times(count);
    QVector<bool> known(count);
    for (int i = 0; i < count; ++i) {
        const QDateTime born = items.at(i)->fileInfo.birthTime();
        known[i] = born.isValid();
        times[i] = known[i] ? born.toMSecsSinceEpoch() : 0;
    }
    for (int i = 0; i < count - 1; ++i) {
        int best = i;
        for (int j = i + 1; j < count; ++j) {
            if (known[best] && known[j] && times[j] > times[best])
                best = j;
        }
        if (best != i) {
            std::swap(items[i], items[best]);
            std::swap(times[i], times[best]);
            std::swap(known[i], known[best]);
        }
    }
}

void ExeFiles::findLink(QString base, QString suffix, QDir dir)
{
    sortByBirthTime();
    const QString linkName = suffix.isEmpty() ? base : base + QLatin1Char('.') + suffix;
    if (items.isEmpty()) {
        targetIndex = -1;
        return;
    }
    for (ExeFile *row : qAsConst(items)) {
        row->Select->setChecked(false);
        row->Name->setStyleSheet(QLatin1String(VersionStyle));
    }
    targetIndex = -1;
    for (int i = 0; i < items.size(); ++i) {
        if (items.at(i)->fileInfo.completeBaseName() == base) {
            targetIndex = i;
            break;
        }
    }
    if (targetIndex < 0) {
        const QString linkPath = dir.absoluteFilePath(linkName);
        // Whatever stands at the link's path but is not listed (a hidden file,
        // a pipe, a file that appeared since) is never removed: only a link is
        // replaced.
        SafeFs::pointLinkTo(items.at(0)->fileInfo.absoluteFilePath(), linkPath);
        auto *row = new ExeFile(dir, linkName, nullptr);
        if (!row->isFile) {
            row->deleteLater();
            return;
        }
        connect(row, SIGNAL(newLink()), this, SIGNAL(newLink()));
        connect(row, SIGNAL(linkIsRenamed()), this, SLOT(reLink()));
        items.insert(0, row);
        targetIndex = 0;
    }

    ExeFile *target = items.at(targetIndex);
    target->isTarget = true;
    target->Select->hide();
    target->RenameB->hide();
    if (target->isLink) {
        const QString linked = target->linkInfo.absoluteFilePath();
        for (ExeFile *row : qAsConst(items)) {
            if (row->fileInfo.absoluteFilePath() == linked) {
                row->Select->setChecked(true);
                row->Name->setStyleSheet(QLatin1String(CurrentStyle));
            }
        }
    } else {
        target->ChangeLinkB->show();
    }
}

void ExeFiles::selectLink(QAbstractButton *b)
{
    ExeFile *picked = nullptr;
    for (ExeFile *row : qAsConst(items)) {
        if (row->Select == b) {
            picked = row;
            break;
        }
    }
    if (!picked || targetIndex < 0)
        return;
    ExeFile *target = items.at(targetIndex);
    const QString linkPath = target->fileInfo.absoluteFilePath();
    const QString versionPath = picked->fileInfo.absoluteFilePath();
    if (!target->isLink) {
        // This rebuilds the listing: no row may be touched after it.
        target->changeToLink();
    }
    // If setting the plain file aside failed, it still stands at the link's
    // path and is left there.
    SafeFs::pointLinkTo(versionPath, linkPath);
    emit newLink();
}

void ExeFiles::reLink()
{
    ExeFile *sending = nullptr;
    ExeFile *target = nullptr;
    for (ExeFile *row : qAsConst(items)) {
        if (row == sender())
            sending = row;
        if (row && row->isTarget)
            target = row;
    }
    if (!sending || !target)
        return;
    target->changeLinkTo(sending->fileInfo.absoluteFilePath());
}
