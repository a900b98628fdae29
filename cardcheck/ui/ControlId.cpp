// SPDX-License-Identifier: MIT
#include "cardcheck/ui/ControlId.h"

#include <QVariant>
#include <QWidget>

namespace velnet::cardcheck {

int controlId(const QWidget* widget)
{
    return widget ? widget->property(kControlIdProperty).toInt() : 0;
}

void setControlId(QWidget* widget, int id)
{
    widget->setProperty(kControlIdProperty, id);
}

QWidget* findControl(QWidget* dialog, int id)
{
    if (!dialog || id == 0)
        return nullptr;
    const auto children = dialog->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (controlId(child) == id)
            return child;
    }
    return nullptr;
}

} // namespace velnet::cardcheck
