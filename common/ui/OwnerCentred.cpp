// SPDX-License-Identifier: MIT
#include "common/ui/OwnerCentred.h"

#include "common/ui/WindowPlacement.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>

namespace velnet::ui {

OwnerCentred::OwnerCentred(QWidget* dialog) : QObject(dialog)
{
    setObjectName("ownerCentred");
}

void OwnerCentred::apply(QWidget* dialog)
{
    dialog->installEventFilter(new OwnerCentred(dialog));
}

QPoint OwnerCentred::clientPosition(const QWidget* dialog, const QWidget* owner)
{
    QRect client(QPoint(), dialog->size());
    client.moveCenter(owner->geometry().center());
    // The dialog gets the owner's decoration; kept on the screen with it.
    const QPoint decoration = owner->geometry().topLeft() - owner->frameGeometry().topLeft();
    const QRect frame(client.topLeft() - decoration, dialog->size() + frameAllowance(owner));
    return keptInside(frame, owner->screen()->availableGeometry()).topLeft() + decoration;
}

bool OwnerCentred::eventFilter(QObject* watched, QEvent* event)
{
    // The show event comes after the dialog has taken its size and the
    // platform has placed it, and before the window manager sees it.
    auto* dialog = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::Show && !event->spontaneous() && dialog->parentWidget()) {
        const QWidget* owner = dialog->parentWidget()->window();
        // The client area's own position: the window manager puts it there
        // whatever decoration it then draws around it.
        if (owner->isVisible())
            dialog->setGeometry(QRect(clientPosition(dialog, owner), dialog->size()));
    }
    return QObject::eventFilter(watched, event);
}

} // namespace velnet::ui
