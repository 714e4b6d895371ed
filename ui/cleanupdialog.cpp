#include "cleanupdialog.h"
#include "exefile.h"
#include "versionactions.h"

#include <QLocale>
#include <QPushButton>

CleanUpDialog::CleanUpDialog(const VersionListing &listing, const QString &previousPath,
                             QWidget *parent)
    : QDialog(parent)
    , listing(listing)
    , previousPath(previousPath)
    , keptVersions(VersionActions::keptVersions(listing, previousPath))
{
    setupUi(this);
    Intro->setText(tr("Versions of %1 in %2, newest first. The checked ones are moved to the "
                      "trash; the version in use is never moved.")
                       .arg(listing.linkName(), listing.dir.absolutePath()));
    Buttons->button(QDialogButtonBox::Ok)->setText(tr("Move to Trash"));
    QHash<QString, QString> why;
    for (const auto &version : qAsConst(keptVersions))
        why.insert(version.first, version.second);
    for (int i = 0; i < listing.entries.size(); ++i) {
        if (!listing.isVersion(i))
            continue;
        const VersionEntry &entry = listing.entries.at(i);
        auto *item = new QListWidgetItem(entry.name, Versions);
        item->setData(Qt::UserRole, entry.name);
        item->setToolTip(entry.path);
        if (why.contains(entry.name)) {
            item->setText(listing.isCurrent(i) ? tr("%1 (in use)").arg(entry.name)
                                               : tr("%1 (kept)").arg(entry.name));
            item->setToolTip(tr("%1\nKept: %2").arg(entry.path, why.value(entry.name)));
            item->setFlags(item->flags() & ~(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled));
        } else {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    }
    connect(KeepNewest, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &CleanUpDialog::checkOlderThanKept);
    connect(Versions, &QListWidget::itemChanged, this, &CleanUpDialog::showFreed);
    checkOlderThanKept();
}

void CleanUpDialog::checkOlderThanKept()
{
    const QStringList older
        = VersionActions::pruneCandidates(listing, KeepNewest->value(), previousPath);
    for (int i = 0; i < Versions->count(); ++i) {
        QListWidgetItem *item = Versions->item(i);
        if (item->flags() & Qt::ItemIsUserCheckable)
            item->setCheckState(
                older.contains(item->data(Qt::UserRole).toString()) ? Qt::Checked : Qt::Unchecked);
    }
    showFreed();
}

QStringList CleanUpDialog::chosen() const
{
    QStringList names;
    for (int i = 0; i < Versions->count(); ++i) {
        const QListWidgetItem *item = Versions->item(i);
        if ((item->flags() & Qt::ItemIsUserCheckable) && item->checkState() == Qt::Checked)
            names << item->data(Qt::UserRole).toString();
    }
    return names;
}

void CleanUpDialog::showFreed()
{
    const QStringList names = chosen();
    qint64 bytes = 0;
    for (const QString &name : names)
        bytes += listing.entries.at(listing.indexOf(name)).size;
    Freed->setText(
        tr("Checked: %1, freeing %2").arg(QString::number(names.size()), ExeFile::sizeText(bytes)));
    Buttons->button(QDialogButtonBox::Ok)->setEnabled(!names.isEmpty());
}
