// SPDX-License-Identifier: MIT
#include "tests/support/DialogControls.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <algorithm>

namespace velnet::test {

void noSuchControl(const char* name, const QWidget* parent)
{
    qFatal("no control %s in %s (%s)", name, parent->metaObject()->className(),
           qPrintable(parent->objectName()));
}

void click(const QWidget* parent, const char* name)
{
    QTest::mouseClick(child<QPushButton>(parent, name), Qt::LeftButton);
}

void retype(QLineEdit* edit, const QString& text)
{
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
}

void clickTab(QTabWidget* tabs, int index)
{
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
}

QStringList comboTexts(const QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

QStringList column(const QTreeWidget* list, int col)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(col);
    return texts;
}

QStringList rowTexts(const QTreeWidget* list)
{
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rows << list->topLevelItem(i)->text(0) + "=" + list->topLevelItem(i)->text(1);
    return rows;
}

int selectedRow(const QTreeWidget* list)
{
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.first());
}

int widestText(const QTreeWidget* list, const QStringList& texts)
{
    int widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, list->fontMetrics().horizontalAdvance(text));
    return widest;
}

void doubleClickRow(QTreeWidget* list, int row)
{
    const QPoint at = list->visualItemRect(list->topLevelItem(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void doubleClickBelowRows(QTreeWidget* list)
{
    const QRect last = list->visualItemRect(list->topLevelItem(list->topLevelItemCount() - 1));
    const QPoint at(last.center().x(), last.bottom() + 8);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

QStringList visibleTopLevels()
{
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            names << w->metaObject()->className() + QString(":") + w->objectName();
    return names;
}

} // namespace velnet::test
