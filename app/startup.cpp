#include "startup.h"
#include "configstore.h"

#include <QFile>

void resetLog()
{
    QFile log(QStringLiteral("log.log"));
    if (log.open(QIODevice::WriteOnly))
        log.close();
}

QString configFileName(const ConfigStore &options)
{
    const QString defaultName = QStringLiteral("config.cfg");
    QString name = defaultName;
    if (options.hasOption(QStringLiteral("-c")))
        name = options.option(QStringLiteral("-c"), defaultName);
    if (options.hasOption(QStringLiteral("-config")))
        name = options.option(QStringLiteral("-config"), defaultName);
    return name;
}

bool debugToFile(const ConfigStore &config)
{
    return config.value(QStringLiteral("Debug_to_file"), QStringLiteral("0")).toInt(nullptr, 10)
        == 1;
}
