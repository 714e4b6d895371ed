#ifndef VERSIONDIR_H
#define VERSIONDIR_H

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

// A temporary directory of versions. Files are written with a pause between
// them so that their birth times differ and the newest-first order is known.
class VersionDir
{
public:
    VersionDir() = default;

    bool isValid() const { return dir.isValid(); }
    QString path() const { return dir.path(); }
    QString path(const QString &name) const { return dir.filePath(name); }

    // False where the file system keeps no birth time.
    bool hasBirthTimes()
    {
        add(QStringLiteral(".probe"), "probe");
        const bool known = QFileInfo(path(QStringLiteral(".probe"))).birthTime().isValid();
        QFile::remove(path(QStringLiteral(".probe")));
        return known;
    }

    void add(const QString &name, const QByteArray &content)
    {
        QTest::qSleep(15);
        write(path(name), content);
    }

    // A file anywhere; its path.
    static QString write(const QString &filePath, const QByteArray &content)
    {
        QFile file(filePath);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return filePath;
    }

    void link(const QString &target, const QString &name)
    {
        if (!QFile::link(path(target), path(name)))
            qFatal("cannot link %s", qPrintable(name));
    }

    QByteArray read(const QString &name) const { return readFile(path(name)); }

    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // The file name the link at name points to, or "" when it is no link.
    QString linkTarget(const QString &name) const
    {
        const QString target = QFileInfo(path(name)).symLinkTarget();
        return target.isEmpty() ? QString() : QFileInfo(target).fileName();
    }

    // Every entry, hidden ones too, so that a stray temporary shows.
    QStringList entries() const
    {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    }

private:
    QTemporaryDir dir;
};

#endif // VERSIONDIR_H
