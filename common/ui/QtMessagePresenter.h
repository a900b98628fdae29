// SPDX-License-Identifier: MIT
#pragma once

#include "common/ui/MessageBox.h"

namespace velnet::ui {

// Shows message boxes with QMessageBox, over the active modal dialog or window.
class QtMessagePresenter : public MessagePresenter
{
public:
    Answer present(const MessageRequest& request) override;
};

} // namespace velnet::ui
