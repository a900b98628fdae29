// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/report/CWizardPage.h"

#include <memory>

namespace Ui {
class CCustomerInfoDlg;
}

namespace velnet::cardcheck {

// The wizard page that asks who the customer is.
class CCustomerInfoDlg : public CWizardPage
{
    Q_OBJECT

public:
    CCustomerInfoDlg(SheetContext& context, CWizardPage* previous, QWidget* parent = nullptr);
    ~CCustomerInfoDlg() override;

    std::vector<ContextHelp::Entry> helpTable() const override;

protected:
    CWizardPage* createNextPage() override;

private:
    std::unique_ptr<Ui::CCustomerInfoDlg> ui_;
};

} // namespace velnet::cardcheck
