// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

class QTreeWidget;

namespace velnet::nicsetup::test {

// Runs `step` on the modal dialog named `objectName` as soon as it is the
// active modal widget. Queue it before the action that opens the dialog.
void onModal(const QString& objectName, std::function<void(QDialog*)> step);

// A click on a row of a list, then a double-click on it, as a user does.
void doubleClickRow(QTreeWidget* list, int row);
// A double-click below the last row, where there is none.
void doubleClickBelowRows(QTreeWidget* list);

// "label=value" for each row of a two-column list.
QStringList rowTexts(const QTreeWidget* list);
// The row that is selected, or -1.
int selectedRow(const QTreeWidget* list);

// The visible top-level widgets, by class name, for failure messages.
QStringList visibleTopLevels();

} // namespace velnet::nicsetup::test
