// SPDX-License-Identifier: MIT
#pragma once

#include <QFontMetrics>
#include <QStringList>
#include <QWidget>

namespace velnet::test {

// Whether a window manager's caption bar can show the window's caption
// whole: in an 11-point bold title font, with three buttons of 24 pixels
// and 8 pixels at each end, as common desktops draw it.
inline bool captionFits(const QWidget* window)
{
    QFont title = window->font();
    title.setBold(true);
    title.setPointSize(11);
    return window->width() >=
           QFontMetrics(title).horizontalAdvance(window->windowTitle()) + 3 * 24 + 16;
}

// What keeps a shown dialog from being a dialog template: a minimise or
// maximise box, no caption bar with a close box, a size that can change, or
// too narrow for its caption. Empty when nothing does.
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
    if (!captionFits(dialog))
        faults << "too narrow for its caption";
    return faults.join(", ");
}

} // namespace velnet::test
