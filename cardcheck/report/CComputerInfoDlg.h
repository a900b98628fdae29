// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/report/CWizardPage.h"

#include <memory>

namespace Ui {
class CComputerInfoDlg;
}

namespace velnet::cardcheck {

// The wizard page that asks about the computer the NIC is in.
class CComputerInfoDlg : public CWizardPage
{
    Q_OBJECT

public:
    CComputerInfoDlg(SheetContext& context, CWizardPage* previous, QWidget* parent = nullptr);
    ~CComputerInfoDlg() override;

    std::vector<ContextHelp::Entry> helpTable() const override;

protected:
    CWizardPage* createNextPage() override;

private:
    std::unique_ptr<Ui::CComputerInfoDlg> ui_;
};

} // namespace velnet::cardcheck
