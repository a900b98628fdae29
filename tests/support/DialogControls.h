// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QTabWidget;
class QTreeWidget;

namespace velnet::test {

// The controls of a dialog, found and worked as a person does, for every
// dialog test of both programs.

// The child control `name` of `parent`. A missing control ends the test run
// at once with the names of both: it is a fault of the dialog or the test,
// and nothing after it could mean anything.
[[noreturn]] void noSuchControl(const char* name, const QWidget* parent);
template <class T> T* child(const QWidget* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        noSuchControl(name, parent);
    return found;
}

// A left click on the push button `name` of `parent`.
void click(const QWidget* parent, const char* name);
// Replaces the text of an edit as a person does: clicks into it, selects
// all and types `text`, key by key.
void retype(QLineEdit* edit, const QString& text);

// A click on tab `index` of a tab widget, as a person chooses a page.
void clickTab(QTabWidget* tabs, int index);

// The texts of a combo box's items, top to bottom.
QStringList comboTexts(const QComboBox* combo);
// The texts of one column of a list, top to bottom.
QStringList column(const QTreeWidget* list, int col);
// "label=value" for each row of a two-column list.
QStringList rowTexts(const QTreeWidget* list);
// The row that is selected, or -1.
int selectedRow(const QTreeWidget* list);
// The width of the widest text of `texts` in the list's font.
int widestText(const QTreeWidget* list, const QStringList& texts);

// A click on a row of a list, then a double-click on it.
void doubleClickRow(QTreeWidget* list, int row);
// A double-click below the last row, where there is none.
void doubleClickBelowRows(QTreeWidget* list);

// The visible top-level widgets, "class:objectName", for failure messages.
QStringList visibleTopLevels();

} // namespace velnet::test
