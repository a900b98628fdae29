// SPDX-License-Identifier: MIT
#pragma once

#include <QMessageBox>

class QSpacerItem;

namespace velnet::ui {

// A message box that opens centred on its owner (on the screen when it has
// none) and wholly on the owner's screen. QMessageBox alone places itself
// before it knows its own size, so a box wider than a small owner, such as
// the splash, ends up in the screen's corner.
class CentredMessageBox : public QMessageBox
{
    Q_OBJECT

public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QSpacerItem* captionRoom_ = nullptr; // owned by the layout
};

} // namespace velnet::ui
