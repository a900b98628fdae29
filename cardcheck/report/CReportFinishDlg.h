// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/report/CWizardPage.h"

#include <memory>

namespace Ui {
class CReportFinishDlg;
}

namespace velnet::cardcheck {

class ReportWriter;

// The last page of the problem-report wizard: Finish writes the report
// (unless no answer changed since the last one), then tells the user where
// it is and closes the whole wizard.
class CReportFinishDlg : public CWizardPage
{
    Q_OBJECT

public:
    CReportFinishDlg(SheetContext& context, CWizardPage* previous, QWidget* parent = nullptr);
    ~CReportFinishDlg() override;

    // Asks where to save the report and writes it: 1 when written, 0 when the
    // user cancelled or the file could not be written.
    int writeReport();

private:
    void OnFinish();

    std::unique_ptr<Ui::CReportFinishDlg> ui_;
};

} // namespace velnet::cardcheck
