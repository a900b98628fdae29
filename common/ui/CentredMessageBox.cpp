// SPDX-License-Identifier: MIT
#include "common/ui/CentredMessageBox.h"

#include "common/ui/DialogTemplate.h"
#include "common/ui/WindowPlacement.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QScreen>

namespace velnet::ui {

void CentredMessageBox::showEvent(QShowEvent* event)
{
    // QMessageBox settles its size here, before the window appears.
    // A short text would leave the box narrower than its caption, which the
    // window manager then cuts off. QMessageBox sizes itself from its layout
    // (again at every layout change), so the room goes into the layout.
    if (auto* grid = qobject_cast<QGridLayout*>(layout()); grid && !captionRoom_) {
        captionRoom_ = new QSpacerItem(DialogTemplate::captionWidth(this), 0);
        grid->addItem(captionRoom_, grid->rowCount(), 0, 1, grid->columnCount());
    }
    QMessageBox::showEvent(event);
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QRect available =
        (owner ? owner->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    placeCentred(this, owner ? owner->frameGeometry().center() : available.center(), available);
}

} // namespace velnet::ui
