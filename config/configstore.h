#ifndef CONFIGSTORE_H
#define CONFIGSTORE_H

#include <QString>
#include <QStringList>

class QByteArray;

// An ordered store of (key, value, rest) entries, filled from a configuration
// file or from the command line. Options are looked up exactly, configuration
// keys without regard to case; the first entry under a key wins, later ones
// stay reachable through restsOf().
class ConfigStore
{
public:
    // A configuration file larger than this is treated as one that cannot be
    // opened: the real ones are a few lines, and reading a huge or endless
    // file would stall the start.
    static const qint64 MaxFileSize = 1024 * 1024;

    ConfigStore();
    ConfigStore(int argc, char **argv);

    // Where the program's configuration is looked for, in this order: the
    // file named by "-config" or "-c" alone when one is given; otherwise
    // "config.cfg" in the working directory, then "quillfen/config.cfg" in
    // the user's configuration folder ($XDG_CONFIG_HOME, ~/.config).
    static QStringList searchPath(const ConfigStore &options);
    // The first of those that is a file, as an absolute path; empty if none.
    static QString foundFile(const ConfigStore &options);

    // False where the file could not be read.
    bool readFile(const QString &fileName);
    void add(const QString &key, const QString &value, const QString &rest);

    bool hasOption(const QString &key) const;
    QString option(const QString &key, const QString &defaultValue) const;
    bool has(const QString &key) const;
    QString value(const QString &key, const QString &defaultValue) const;
    QStringList restsOf(const QString &key) const;

    // Decodes a configuration file's bytes: a byte-order mark selects its
    // Unicode encoding; on Windows the rest is read with the locale codec,
    // elsewhere valid UTF-8 as UTF-8 and anything else as Shift-JIS.
    static QString decode(const QByteArray &bytes);

    QStringList keys;
    QStringList keyValues;
    QStringList keyRests;
    QStringList upperKeys;
    QStringList upperValues;
    QStringList upperRests;
    QStringList allKeys;
    QStringList allUpperKeys;
    QStringList allValues;
    QStringList allRests;
    // The line of the configuration file each entry came from, index-aligned
    // with the "all" lists; 0 for an entry that came from elsewhere.
    QList<int> allLines;
};

// The command line and the configuration file of the running program.
extern ConfigStore options;
extern ConfigStore config;

#endif // CONFIGSTORE_H
