// SPDX-License-Identifier: MIT
#include "common/ui/WindowPlacement.h"

#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace velnet::ui {

namespace {
constexpr int kBorder = 4;
}

QSize frameAllowance(const QWidget* window)
{
    const QSize measured = window->frameGeometry().size() - window->size();
    if (!measured.isEmpty())
        return measured;
    // Window managers draw borders of a few pixels; the style's own frame
    // width is often less.
    const QStyle* style = window->style();
    const int border =
        std::max(style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, window), kBorder);
    return {2 * border,
            style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window) + 2 * border};
}

QRect keptInside(QRect frame, const QRect& available)
{
    frame.moveLeft(std::clamp(frame.left(), available.left(),
                              std::max(available.left(), available.right() + 1 - frame.width())));
    frame.moveTop(std::clamp(frame.top(), available.top(),
                             std::max(available.top(), available.bottom() + 1 - frame.height())));
    return frame;
}

void placeCentred(QWidget* window, QPoint centre, const QRect& available)
{
    QRect frame(QPoint(), window->size() + frameAllowance(window));
    frame.moveCenter(centre);
    window->move(keptInside(frame, available).topLeft());
}

} // namespace velnet::ui
