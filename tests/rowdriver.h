#ifndef ROWDRIVER_H
#define ROWDRIVER_H

#include "exefile.h"

#include <QApplication>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include <functional>

// Finding and clicking the rows of a window by object names, as a user
// would see them: top to bottom in the "TargetList" grid.
namespace RowDriver {

inline QList<ExeFile *> rows(const QWidget *window)
{
    QList<ExeFile *> result;
    auto *grid = window->findChild<QGridLayout *>(QStringLiteral("TargetList"));
    for (int i = 0; grid && grid->itemAtPosition(i, 0); ++i)
        result << qobject_cast<ExeFile *>(grid->itemAtPosition(i, 0)->widget());
    return result;
}

inline QLineEdit *edit(const QObject *parent, const char *name)
{
    return parent->findChild<QLineEdit *>(QLatin1String(name));
}

inline QPushButton *button(const ExeFile *row, const char *name)
{
    return row->findChild<QPushButton *>(QLatin1String(name));
}

inline QRadioButton *select(const ExeFile *row)
{
    return row->findChild<QRadioButton *>(QStringLiteral("Select"));
}

// The current version's Name field is pale green.
inline bool isGreen(const ExeFile *row)
{
    return edit(row, "Name")->styleSheet() == QLatin1String(ExeFile::CurrentStyle);
}

inline QString nameOf(const ExeFile *row)
{
    return edit(row, "Name")->text();
}

inline QStringList rowNames(const QWidget *window)
{
    QStringList names;
    for (ExeFile *row : rows(window))
        names << nameOf(row);
    return names;
}

inline ExeFile *rowNamed(const QWidget *window, const QString &name)
{
    for (ExeFile *row : rows(window)) {
        if (nameOf(row) == name)
            return row;
    }
    return nullptr;
}

// The names of the checked versions.
inline QStringList current(const QWidget *window)
{
    QStringList names;
    for (ExeFile *row : rows(window)) {
        if (select(row)->isChecked())
            names << nameOf(row);
    }
    return names;
}

// What the window's status bar says now.
inline QString status(const QWidget *window)
{
    return window->findChild<QStatusBar *>(QStringLiteral("statusbar"))->currentMessage();
}

// What the list shows, one line per row, top to bottom: name, link text,
// checked, green, the target mark and which buttons show.
inline QStringList describe(const QWidget *window)
{
    QStringList lines;
    for (ExeFile *row : rows(window)) {
        const QLineEdit *link = edit(row, "Link");
        lines << QStringLiteral("%1 link=%2 checked=%3 green=%4 target=%5 select=%6 rename=%7 "
                                "toLink=%8")
                     .arg(nameOf(row), link->isHidden() ? QString() : link->text())
                     .arg(select(row)->isChecked())
                     .arg(isGreen(row))
                     .arg(row->isTarget)
                     .arg(!select(row)->isHidden())
                     .arg(!button(row, "RenameB")->isHidden())
                     .arg(!button(row, "ChangeLinkB")->isHidden());
    }
    return lines;
}

// The window lists again once control is back in the event loop; this hands
// out that pending listing.
inline void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

// Hands each modal dialog the window opens to answer, while timer lives.
inline void answerModals(QTimer *timer, const std::function<void(QWidget *modal)> &answer)
{
    QObject::connect(timer, &QTimer::timeout, timer, [answer] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible())
            answer(modal);
    });
    timer->start(20);
}

// A radio button takes a click on its indicator only.
inline void clickSelect(ExeFile *row)
{
    QRadioButton *radio = select(row);
    QStyleOptionButton option;
    option.initFrom(radio);
    const QRect indicator
        = radio->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, radio);
    QTest::mouseClick(radio, Qt::LeftButton, Qt::NoModifier, indicator.center());
}

} // namespace RowDriver

#endif // ROWDRIVER_H
