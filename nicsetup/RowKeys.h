// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <functional>

class QTreeWidget;

namespace velnet::nicsetup {

// The keyboard's way to the rows of a list that a double-click acts on: F2
// and Space act on the selected row as the double-click does, and a list
// entered with the keyboard makes its row current and selected, so that the
// focus can be seen. Enter is left to the dialog.
class RowKeys : public QObject
{
    Q_OBJECT

public:
    static void install(QTreeWidget* list, std::function<void()> activate);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RowKeys(QTreeWidget* list, std::function<void()> activate);
    void showFocus();

    QTreeWidget* list_;
    std::function<void()> activate_;
};

} // namespace velnet::nicsetup
