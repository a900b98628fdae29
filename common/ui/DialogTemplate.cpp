// SPDX-License-Identifier: MIT
#include "common/ui/DialogTemplate.h"

#include <QEvent>
#include <QWidget>

namespace velnet::ui {

DialogTemplate::DialogTemplate(QWidget* dialog) : QObject(dialog)
{
    setObjectName("dialogTemplate");
}

void DialogTemplate::apply(QWidget* dialog, Caption caption)
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (caption == Caption::WithContextHelp)
        flags |= Qt::WindowContextHelpButtonHint;
    dialog->setWindowFlags(flags);
    if (!dialog->findChild<DialogTemplate*>(QString(), Qt::FindDirectChildrenOnly))
        dialog->installEventFilter(new DialogTemplate(dialog));
}

bool DialogTemplate::eventFilter(QObject* watched, QEvent* event)
{
    // The show event comes after the dialog has taken its size and before
    // the window manager sees it, which then learns the one size at once.
    auto* dialog = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::Show && dialog->minimumSize() != dialog->maximumSize())
        dialog->setFixedSize(dialog->size());
    return QObject::eventFilter(watched, event);
}

} // namespace velnet::ui
