// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <QWidget>

namespace velnet::test {

// What keeps a shown dialog from being a dialog template: a minimise or
// maximise box, no caption bar with a close box, or a size that can change.
// Empty when nothing does.
inline QString dialogTemplateFault(const QWidget* dialog)
{
    QStringList faults;
    const Qt::WindowFlags flags = dialog->windowFlags();
    if (flags & Qt::WindowMinimizeButtonHint)
        faults << "a minimise box";
    if (flags & Qt::WindowMaximizeButtonHint)
        faults << "a maximise box";
    if (!(flags & Qt::WindowTitleHint) || !(flags & Qt::WindowCloseButtonHint))
        faults << "no caption bar with a close box";
    if (!dialog->isVisible())
        faults << "not shown";
    else if (dialog->minimumSize() != dialog->maximumSize())
        faults << "a size that can change";
    else if (dialog->size() != dialog->minimumSize())
        faults << "another size than its own";
    return faults.join(", ");
}

} // namespace velnet::test
