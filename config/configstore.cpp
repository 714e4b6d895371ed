#include "configstore.h"
#include "texttokens.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextCodec>
#include <QTextStream>

ConfigStore options;
ConfigStore config;

ConfigStore::ConfigStore() = default;

ConfigStore::ConfigStore(int argc, char **argv)
{
    for (int i = 0; i < argc; ++i) {
        const QString argument = QString::fromUtf8(argv[i]);
        const QString next = i < argc - 1 ? QString::fromUtf8(argv[i + 1]) : QString();
        if (argument.startsWith(QLatin1Char('-'))) {
            QString value;
            if (!next.startsWith(QLatin1Char('-'))) {
                value = next;
                ++i;
            }
            add(argument, value, value);
        }
    }
}

QStringList ConfigStore::searchPath(const ConfigStore &options)
{
    const QString defaultName = QStringLiteral("config.cfg");
    if (options.hasOption(QStringLiteral("-config")))
        return {options.option(QStringLiteral("-config"), defaultName)};
    if (options.hasOption(QStringLiteral("-c")))
        return {options.option(QStringLiteral("-c"), defaultName)};
    const QString userFolder
        = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (userFolder.isEmpty())
        return {defaultName};
    return {defaultName, userFolder + QStringLiteral("/quillfen/config.cfg")};
}

QString ConfigStore::foundFile(const ConfigStore &options)
{
    for (const QString &place : searchPath(options)) {
        if (QFileInfo(place).isFile())
            return QFileInfo(place).absoluteFilePath();
    }
    return QString();
}

QString ConfigStore::decode(const QByteArray &bytes)
{
    QTextCodec *fallback = nullptr;
#ifdef Q_OS_WIN
    fallback = QTextCodec::codecForLocale();
#else
    // Qt encodes file names with the locale codec on Unix, so it stays as the
    // system has it; the file's own encoding is found here instead.
    QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
    QTextCodec::ConverterState state;
    const QString asUtf8 = utf8->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars == 0 && state.remainingChars == 0) {
        fallback = utf8;
        if (QTextCodec::codecForUtfText(bytes, nullptr) == nullptr)
            return asUtf8;
    } else {
        fallback = QTextCodec::codecForName("Shift-JIS");
    }
#endif
    QTextCodec *codec = QTextCodec::codecForUtfText(bytes, fallback);
    return codec->toUnicode(bytes);
}

bool ConfigStore::readFile(const QString &fileName)
{
    QFile file(fileName);
    const QFileInfo info(fileName);
    // Only a regular file of sane size is read: a directory, a device or a
    // pipe could block or never end.
    const bool readable
        = info.isFile() && info.size() <= MaxFileSize && file.open(QIODevice::ReadOnly);
    QByteArray bytes;
    if (readable)
        bytes = file.read(MaxFileSize + 1);
    if (!readable || bytes.size() > MaxFileSize) {
        qDebug() << "Can't open config file : " << fileName;
        return false;
    }
    file.close();

    // The line ends (LF or CR LF) are cut by the stream after decoding, which
    // also keeps the bytes of a UTF-16 file intact.
    QString text = decode(bytes);
    QTextStream stream(&text, QIODevice::ReadOnly);
    int lineNumber = 0;
    while (!stream.atEnd()) {
        QString line = stripComment(stream.readLine());
        ++lineNumber;
        if (isBlank(line))
            continue;
        QString key;
        QString value;
        const QString rest = takeToken(line, &key);
        takeToken(rest, &value);
        add(key, value, rest);
        allLines.last() = lineNumber;
    }
    return true;
}

void ConfigStore::add(const QString &key, const QString &value, const QString &rest)
{
    const QString upperKey = key.toUpper();
    if (!keys.contains(key)) {
        keys.append(key);
        keyValues.append(value);
        keyRests.append(rest);
    }
    if (!upperKeys.contains(upperKey)) {
        upperKeys.append(upperKey);
        upperValues.append(value);
        upperRests.append(rest);
    }
    allKeys.append(key);
    allUpperKeys.append(upperKey);
    allValues.append(value);
    allRests.append(rest);
    allLines.append(0);
}

bool ConfigStore::hasOption(const QString &key) const
{
    return keys.contains(key);
}

QString ConfigStore::option(const QString &key, const QString &defaultValue) const
{
    const int i = keys.indexOf(key);
    return i < 0 ? defaultValue : keyValues.at(i);
}

bool ConfigStore::has(const QString &key) const
{
    return upperKeys.contains(key.toUpper());
}

QString ConfigStore::value(const QString &key, const QString &defaultValue) const
{
    const int i = upperKeys.indexOf(key.toUpper());
    return i < 0 ? defaultValue : upperValues.at(i);
}

QStringList ConfigStore::restsOf(const QString &key) const
{
    const QString upperKey = key.toUpper();
    QStringList rests;
    for (int i = 0; i < allUpperKeys.size(); ++i) {
        if (allUpperKeys.at(i) == upperKey)
            rests.append(allRests.at(i));
    }
    return rests;
}
