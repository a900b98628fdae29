// SPDX-License-Identifier: MIT
#include "nicsetup/RowKeys.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QTreeWidget>

namespace velnet::nicsetup {

RowKeys::RowKeys(QTreeWidget* list, std::function<void()> activate)
    : QObject(list), list_(list), activate_(std::move(activate))
{
}

void RowKeys::install(QTreeWidget* list, std::function<void()> activate)
{
    list->installEventFilter(new RowKeys(list, std::move(activate)));
}

bool RowKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_F2 || key->key() == Qt::Key_Space) &&
            key->modifiers() == Qt::NoModifier) {
            activate_();
            return true;
        }
    } else if (event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::ShortcutFocusReason)
            showFocus();
    }
    return QObject::eventFilter(watched, event);
}

void RowKeys::showFocus()
{
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    QTreeWidgetItem* row = !selected.isEmpty() ? selected.first() : list_->currentItem();
    if (!row)
        row = list_->topLevelItem(0);
    if (row)
        list_->setCurrentItem(row);
}

} // namespace velnet::nicsetup
