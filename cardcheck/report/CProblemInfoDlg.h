// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/report/CWizardPage.h"

#include <memory>

namespace Ui {
class CProblemInfoDlg;
}

namespace velnet::cardcheck {

// The wizard page that asks what the problem is.
class CProblemInfoDlg : public CWizardPage
{
    Q_OBJECT

public:
    CProblemInfoDlg(SheetContext& context, CWizardPage* previous, QWidget* parent = nullptr);
    ~CProblemInfoDlg() override;

    std::vector<ContextHelp::Entry> helpTable() const override;

protected:
    CWizardPage* createNextPage() override;

private:
    std::unique_ptr<Ui::CProblemInfoDlg> ui_;
};

} // namespace velnet::cardcheck
