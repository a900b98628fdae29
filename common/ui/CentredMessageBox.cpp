// SPDX-License-Identifier: MIT
#include "common/ui/CentredMessageBox.h"

#include "common/ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>

namespace velnet::ui {

void CentredMessageBox::showEvent(QShowEvent* event)
{
    // QMessageBox settles its size here, before the window appears.
    QMessageBox::showEvent(event);
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QRect available =
        (owner ? owner->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    placeCentred(this, owner ? owner->frameGeometry().center() : available.center(), available);
}

} // namespace velnet::ui
