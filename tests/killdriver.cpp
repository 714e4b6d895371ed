// Carries out one user action on a target "app.exe" through the real rows and
// version set, so that a test can kill it at any system call of the action.
//   killdriver DIR pick NAME | toLink | rename NAME NEWNAME
#include "exefiles.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

static ExeFile *rowNamed(const ExeFiles &set, const QString &name)
{
    for (ExeFile *row : set.items) {
        if (row->findChild<QLineEdit *>(QStringLiteral("Name"))->text() == name)
            return row;
    }
    qFatal("no row named %s", qPrintable(name));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3)
        qFatal("usage: killdriver DIR pick NAME | toLink | rename NAME NEWNAME");
    const QDir dir(args.at(1));
    const QString action = args.at(2);

    ExeFiles set(nullptr);
    for (const QString &name : dir.entryList(QStringList(QStringLiteral("app*")))) {
        auto *row = new ExeFile(dir, name, nullptr);
        if (row->isFile)
            set.add(row);
        else
            delete row;
    }
    set.findLink(QStringLiteral("app"), QStringLiteral("exe"), dir);

    if (action == QLatin1String("pick")) {
        rowNamed(set, args.value(3))->findChild<QRadioButton *>(QStringLiteral("Select"))->click();
    } else if (action == QLatin1String("toLink")) {
        rowNamed(set, QStringLiteral("app.exe"))
            ->findChild<QPushButton *>(QStringLiteral("ChangeLinkB"))
            ->click();
    } else if (action == QLatin1String("rename")) {
        ExeFile *row = rowNamed(set, args.value(3));
        row->findChild<QLineEdit *>(QStringLiteral("Name"))->setText(args.value(4));
        row->findChild<QPushButton *>(QStringLiteral("RenameB"))->click();
    }
    set.clear();
    return 0;
}
