#include "configuredtarget.h"
#include "configstore.h"
#include "safefs.h"
#include "texttokens.h"

#include <QCoreApplication>
#include <QDir>

QVector<ConfiguredTarget> ConfiguredTarget::fromConfig(const ConfigStore &config)
{
    QVector<ConfiguredTarget> targets;
    for (int i = 0; i < config.allUpperKeys.size(); ++i) {
        if (config.allUpperKeys.at(i) != QLatin1String("TARGET"))
            continue;
        ConfiguredTarget target;
        takeToken(takeToken(config.allRests.at(i), &target.fileName), &target.directory);
        target.file = QFileInfo(QDir(target.directory), target.fileName);
        target.line = config.allLines.value(i);
        target.problem = problemOf(target.fileName, target.file);
        targets.append(target);
    }
    return targets;
}

ConfiguredTarget ConfiguredTarget::atPath(const QString &linkPath)
{
    ConfiguredTarget target;
    const int slash = linkPath.lastIndexOf(QLatin1Char('/'));
    target.fileName = linkPath.mid(slash + 1);
    target.directory = slash > 0 ? linkPath.left(slash) : QStringLiteral("/");
    target.file = QFileInfo(QDir(target.directory), target.fileName);
    target.problem = problemOf(target.fileName, target.file);
    return target;
}

QString ConfiguredTarget::problemOf(const QString &fileName, const QFileInfo &file)
{
    // An absolute link path names its folder itself.
    const QString name = QDir::isAbsolutePath(fileName) ? QFileInfo(fileName).fileName() : fileName;
    if (name.isEmpty())
        return tr("the link's name is empty");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return tr("%1 names a folder, not a file").arg(fileName);
    if (name.contains(QLatin1Char('/')) || name.contains(QChar(0))
#ifdef Q_OS_WIN
        || name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char(':'))
#endif
    )
        return tr("the link's name %1 holds a folder separator; name the folder as DIR")
            .arg(fileName);
    const QFileInfo parts(name);
    if (parts.completeBaseName().isEmpty() && parts.suffix().isEmpty())
        return tr("the link's name %1 has neither a base name nor a suffix").arg(fileName);
    if (file.isDir())
        return tr("%1 is a folder, not a link").arg(file.absoluteFilePath());
    return QString();
}

QString ConfiguredTarget::refusalText() const
{
    if (line <= 0)
        return tr("The target %1 is left out: %2").arg(label(), problem);
    return tr("line %1: the target %2 is left out: %3")
        .arg(QString::number(line), label(), problem);
}

QString ConfiguredTarget::label() const
{
    return directory + QLatin1Char(':') + fileName;
}

int ConfiguredTarget::find(const QVector<ConfiguredTarget> &targets, const QString &name,
                           QString *error)
{
    for (int i = 0; i < targets.size(); ++i) {
        if (targets.at(i).label() == name)
            return i;
    }
    QVector<int> named;
    for (int i = 0; i < targets.size(); ++i) {
        if (targets.at(i).fileName == name || targets.at(i).file.fileName() == name)
            named.append(i);
    }
    if (named.size() == 1)
        return named.first();
    if (named.size() > 1) {
        QStringList labels;
        for (int i : qAsConst(named))
            labels << targets.at(i).label();
        *error
            = QCoreApplication::translate("ConfiguredTarget", "%1 names more than one target: %2")
                  .arg(name, labels.join(QLatin1String(", ")));
        return -1;
    }
    bool isNumber = false;
    const int number = name.toInt(&isNumber, 10);
    if (isNumber && number >= 1 && number <= targets.size())
        return number - 1;
    *error
        = QCoreApplication::translate("ConfiguredTarget", "No target %1 is configured").arg(name);
    return -1;
}
