// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

namespace velnet::cardcheck {

// A dialog's controls carry their numeric id in the dynamic property
// "controlId" (set in the .ui files); help tables and pictures refer to them
// by it.
inline constexpr const char* kControlIdProperty = "controlId";

// The control id of `widget`; 0 when it has none.
int controlId(const QWidget* widget);
void setControlId(QWidget* widget, int id);
// The child of `dialog` with that control id, or nullptr.
QWidget* findControl(QWidget* dialog, int id);

} // namespace velnet::cardcheck
