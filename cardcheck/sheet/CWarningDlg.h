// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/ui/SheetContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class CWarningDlg;
}

namespace velnet::cardcheck {

class ContextHelp;

// The opening dialog of a normal start: running diagnostics disconnects the
// computer from the network. "OK" goes on, "Cancel" ends the program.
class CWarningDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CWarningDlg(SheetContext& context, QWidget* parent = nullptr);
    ~CWarningDlg() override;

private:
    std::unique_ptr<Ui::CWarningDlg> ui_;
    ContextHelp* help_;
};

} // namespace velnet::cardcheck
