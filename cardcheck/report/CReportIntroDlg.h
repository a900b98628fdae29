// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/report/CWizardPage.h"

#include <memory>

namespace Ui {
class CReportIntroDlg;
}

namespace velnet::cardcheck {

// The first page of the problem-report wizard: the check list to go through
// before reporting a problem. Opening it fills empty company and contact
// names from the computer's registered organisation and owner.
class CReportIntroDlg : public CWizardPage
{
    Q_OBJECT

public:
    CReportIntroDlg(SheetContext& context, QWidget* parent = nullptr);
    ~CReportIntroDlg() override;

    // The wizard's picture (bitmap 137) in place of static 1048 of `page`.
    static void attachBugPicture(QWidget* page);

protected:
    CWizardPage* createNextPage() override;

private:
    std::unique_ptr<Ui::CReportIntroDlg> ui_;
};

} // namespace velnet::cardcheck
