// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace velnet::ui {

// Where top-level windows go on the screen. Positions are those of a
// window's frame, as QWidget::move() takes them.

// The room the window manager's decoration takes around `window`: measured
// once the window has been shown, estimated from the style before that.
QSize frameAllowance(const QWidget* window);

// `frame` moved, never resized, to lie inside `available` as far as it fits;
// its top-left corner stays on the screen in any case.
QRect keptInside(QRect frame, const QRect& available);

// Moves `window` so that its frame is centred on `centre` and on `available`.
void placeCentred(QWidget* window, QPoint centre, const QRect& available);

} // namespace velnet::ui
