// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/ui/SheetContext.h"

#include <QDialog>
#include <memory>

namespace Ui {
class CNicDetailsDlg;
}

namespace velnet::cardcheck {

class ContextHelp;

// "NIC Details": the card-type library's details of the selected NIC.
class CNicDetailsDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CNicDetailsDlg(SheetContext& context, QWidget* parent = nullptr);
    ~CNicDetailsDlg() override;

    ContextHelp* contextHelp() const { return help_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnInitDialog();

    std::unique_ptr<Ui::CNicDetailsDlg> ui_;
    ContextHelp* help_;
    int nameWidth_ = 0;
    int valueWidth_ = 0;
};

} // namespace velnet::cardcheck
