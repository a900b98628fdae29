// SPDX-License-Identifier: MIT
#include "tests/nicsetup/DialogDriver.h"

#include <QApplication>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>

namespace velnet::nicsetup::test {

void onModal(const QString& objectName, std::function<void(QDialog*)> step)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, objectName, step] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != objectName || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        step(dialog);
    });
    timer->start();
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

QStringList visibleTopLevels()
{
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            names << w->metaObject()->className() + QString(":") + w->objectName();
    return names;
}

} // namespace velnet::nicsetup::test
