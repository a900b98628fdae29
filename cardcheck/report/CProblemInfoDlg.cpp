// SPDX-License-Identifier: MIT
#include "cardcheck/report/CProblemInfoDlg.h"

#include "cardcheck/report/CReportFinishDlg.h"
#include "cardcheck/ui/ReportAnswers.h"
#include "ui_CProblemInfoDlg.h"

namespace velnet::cardcheck {

CProblemInfoDlg::CProblemInfoDlg(SheetContext& context, CWizardPage* previous, QWidget* parent)
    : CWizardPage(context, previous, parent), ui_(std::make_unique<Ui::CProblemInfoDlg>())
{
    ui_->setupUi(this);
    setFields({{ReportAnswers::CaseNumber, ui_->caseNumber},
               {ReportAnswers::ProblemDescription, ui_->description},
               {ReportAnswers::Reproducible, ui_->reproducible}});
    loadAnswers();
    setUpPage(ui_->backButton, ui_->nextButton, ui_->cancelButton);
}

CProblemInfoDlg::~CProblemInfoDlg() = default;

std::vector<ContextHelp::Entry> CProblemInfoDlg::helpTable() const
{
    return {{1042, 0x60480}, {1069, 0x60481}, {1043, 0x60482}};
}

CWizardPage* CProblemInfoDlg::createNextPage()
{
    return new CReportFinishDlg(context_, this, parentWidget());
}

} // namespace velnet::cardcheck
