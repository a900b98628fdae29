// SPDX-License-Identifier: MIT
#include "cardcheck/ui/ContextHelp.h"

#include "cardcheck/ui/ControlId.h"
#include "cardcheck/ui/ProgramState.h"
#include "common/platform/HelpViewer.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QWidget>

namespace velnet::cardcheck {

ContextHelp::ContextHelp(QWidget* dialog, std::vector<Entry> table,
                         velnet::platform::HelpViewer& viewer)
    : QObject(dialog), dialog_(dialog), table_(std::move(table)), viewer_(viewer),
      helpFile_(velnet::platform::helpFilePath())
{
    qApp->installEventFilter(this);
}

ContextHelp::~ContextHelp()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

void ContextHelp::setRowHelp(QAbstractItemView* list, RowHelp rowHelp, RowChoice choice)
{
    lists_.push_back({list, std::move(rowHelp), choice});
}

std::uint32_t ContextHelp::tableHelpId(int id) const
{
    for (const Entry& entry : table_) {
        if (entry.controlId == id)
            return entry.helpId;
    }
    return 0;
}

bool ContextHelp::belongsToDialog(QObject* object) const
{
    if (!dialog_ || !object || !object->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(object);
    return widget == dialog_ || dialog_->isAncestorOf(widget);
}

const ContextHelp::ListHelp* ContextHelp::listHelpFor(const QWidget* control) const
{
    for (const ListHelp& help : lists_) {
        if (help.list && help.list == control)
            return &help;
    }
    return nullptr;
}

QWidget* ContextHelp::controlFor(QWidget* widget) const
{
    for (QWidget* w = widget; w && w != dialog_; w = w->parentWidget()) {
        if (controlId(w) != 0 || listHelpFor(w))
            return w;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

int ContextHelp::rowFor(const ListHelp& help, QPoint globalPos, bool fromKeyboard) const
{
    if (fromKeyboard && help.choice == RowChoice::SelectedAfterKeyboard)
        return help.list->currentIndex().row();
    const QPoint pos = help.list->viewport()->mapFromGlobal(globalPos);
    return help.list->indexAt(pos).row();
}

bool ContextHelp::helpRequest(QWidget* widget, QPoint globalPos)
{
    SheetState& state = sheetState();
    const bool fromKeyboard = state.helpFromKeyboard != 0;
    state.helpFromKeyboard = 0;
    QWidget* control = controlFor(widget);
    if (!control)
        return false;
    if (override_) {
        if (const std::uint32_t id = override_(control, globalPos, fromKeyboard)) {
            viewer_.showPopup(helpFile_, id, globalPos);
            return true;
        }
    }
    if (const ListHelp* list = listHelpFor(control)) {
        const int row = rowFor(*list, globalPos, fromKeyboard);
        if (row >= 0) {
            viewer_.showPopup(helpFile_, list->rowHelp(row), globalPos);
            return true;
        }
    }
    const std::uint32_t id = tableHelpId(controlId(control));
    if (id == 0)
        return false;
    viewer_.showPopup(helpFile_, id, globalPos);
    return true;
}

bool ContextHelp::contextMenu(QWidget* widget, QPoint globalPos)
{
    sheetState().helpFromKeyboard = 0;
    QWidget* control = controlFor(widget);
    const std::uint32_t id = control ? tableHelpId(controlId(control)) : 0;
    if (id == 0)
        return false;
    viewer_.showContextMenu(helpFile_, id, globalPos);
    return true;
}

bool ContextHelp::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier ||
            !belongsToDialog(watched))
            return false;
        sheetState().helpFromKeyboard = 1;
        auto* widget = static_cast<QWidget*>(watched);
        QPoint pos = QCursor::pos();
        if (!widget->rect().contains(widget->mapFromGlobal(pos)))
            pos = widget->mapToGlobal(widget->rect().center());
        helpRequest(widget, pos);
        return true;
    }
    case QEvent::QueryWhatsThis:
        if (!belongsToDialog(watched))
            return false;
        event->setAccepted(controlFor(static_cast<QWidget*>(watched)) != nullptr);
        return true;
    case QEvent::WhatsThis:
        if (!belongsToDialog(watched))
            return false;
        helpRequest(static_cast<QWidget*>(watched), static_cast<QHelpEvent*>(event)->globalPos());
        return true;
    case QEvent::ContextMenu:
        if (watched == dialog_ || !belongsToDialog(watched))
            return false;
        return contextMenu(static_cast<QWidget*>(watched),
                           static_cast<QContextMenuEvent*>(event)->globalPos());
    default:
        return false;
    }
}

} // namespace velnet::cardcheck
