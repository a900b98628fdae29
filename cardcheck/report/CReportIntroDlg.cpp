// SPDX-License-Identifier: MIT
#include "cardcheck/report/CReportIntroDlg.h"

#include "cardcheck/report/CCustomerInfoDlg.h"
#include "cardcheck/report/SystemInfo.h"
#include "cardcheck/ui/PictureWindow.h"
#include "cardcheck/ui/ProgramState.h"
#include "cardcheck/ui/ReportAnswers.h"
#include "common/platform/OsVersion.h"
#include "ui_CReportIntroDlg.h"

namespace velnet::cardcheck {

namespace {
constexpr int kBugPictureControl = 1048;
}

CReportIntroDlg::CReportIntroDlg(SheetContext& context, QWidget* parent)
    : CWizardPage(context, nullptr, parent), ui_(std::make_unique<Ui::CReportIntroDlg>())
{
    ui_->setupUi(this);
    attachBugPicture(this);
    ui_->backButton->setEnabled(false);
    SystemInfo(context_.registry, context_.program.os()).fillOwnerDefaults(reportAnswers());
    setUpPage(nullptr, ui_->nextButton, ui_->cancelButton);
}

CReportIntroDlg::~CReportIntroDlg() = default;

void CReportIntroDlg::attachBugPicture(QWidget* page)
{
    if (PictureWindow* picture = PictureWindow::fromId(PictureWindow::Bug))
        picture->attach(page, kBugPictureControl);
}

CWizardPage* CReportIntroDlg::createNextPage()
{
    return new CCustomerInfoDlg(context_, this, parentWidget());
}

} // namespace velnet::cardcheck
