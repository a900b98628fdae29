// SPDX-License-Identifier: MIT
#include "cardcheck/report/CCustomerInfoDlg.h"

#include "cardcheck/report/CComputerInfoDlg.h"
#include "cardcheck/ui/ReportAnswers.h"
#include "ui_CCustomerInfoDlg.h"

namespace velnet::cardcheck {

CCustomerInfoDlg::CCustomerInfoDlg(SheetContext& context, CWizardPage* previous, QWidget* parent)
    : CWizardPage(context, previous, parent), ui_(std::make_unique<Ui::CCustomerInfoDlg>())
{
    ui_->setupUi(this);
    setFields({{ReportAnswers::CompanyName, ui_->companyName},
               {ReportAnswers::Address, ui_->address},
               {ReportAnswers::ContactName, ui_->contactName},
               {ReportAnswers::ContactPhone, ui_->contactPhone},
               {ReportAnswers::ContactEmail, ui_->contactEmail}});
    loadAnswers();
    setUpPage(ui_->backButton, ui_->nextButton, ui_->cancelButton);
}

CCustomerInfoDlg::~CCustomerInfoDlg() = default;

std::vector<ContextHelp::Entry> CCustomerInfoDlg::helpTable() const
{
    return {{1036, 0x60460}, {1037, 0x60461}, {1038, 0x60462}, {1039, 0x60463}, {1067, 0x60464}};
}

CWizardPage* CCustomerInfoDlg::createNextPage()
{
    return new CComputerInfoDlg(context_, this, parentWidget());
}

} // namespace velnet::cardcheck
