#include "configuredtarget.h"
#include "configstore.h"
#include "texttokens.h"

#include <QCoreApplication>
#include <QDir>

QVector<ConfiguredTarget> ConfiguredTarget::fromConfig(const ConfigStore &config)
{
    QVector<ConfiguredTarget> targets;
    const QStringList rests = config.restsOf(QStringLiteral("Target"));
    for (const QString &rest : rests) {
        ConfiguredTarget target;
        takeToken(takeToken(rest, &target.fileName), &target.directory);
        target.file = QFileInfo(QDir(target.directory), target.fileName);
        targets.append(target);
    }
    return targets;
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
