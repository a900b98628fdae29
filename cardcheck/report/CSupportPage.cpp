// SPDX-License-Identifier: MIT
#include "cardcheck/report/CSupportPage.h"

#include "cardcheck/report/CBbsInfoDlg.h"
#include "cardcheck/report/CReportIntroDlg.h"
#include "cardcheck/ui/ContextHelp.h"
#include "common/platform/HelpViewer.h"
#include "ui_CSupportPage.h"

#include <QTabWidget>

namespace velnet::cardcheck {

CSupportPage::CSupportPage(SheetContext& context, QWidget* parent)
    : PropertyPage(parent), ui_(std::make_unique<Ui::CSupportPage>()), context_(context)
{
    ui_->setupUi(this);
    help_ = new ContextHelp(
        this, {{1006, 0x60450}, {1005, 0x60451}, {1017, 0x60452}, {1016, 0x60453}}, context_.help);
    connect(ui_->diagnosticsButton, &QPushButton::clicked, this, &CSupportPage::OnDiagnostics);
    connect(ui_->releaseNotesButton, &QPushButton::clicked, this, &CSupportPage::OnReleaseNotes);
    connect(ui_->bbsButton, &QPushButton::clicked, this, &CSupportPage::OnBbsInformation);
    connect(ui_->problemReportButton, &QPushButton::clicked, this, &CSupportPage::OnProblemReport);
}

CSupportPage::~CSupportPage() = default;

std::vector<ContextHelp::Entry> CSupportPage::helpTable()
{
    return {{1006, 0x60450}, {1005, 0x60451}, {1017, 0x60452}, {1016, 0x60453}};
}

void CSupportPage::OnDiagnostics()
{
    // The sheet's tabs hold the pages; switching the tab activates the page.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            tabs->setCurrentIndex(kDiagnosticsPage);
            return;
        }
    }
}

void CSupportPage::OnReleaseNotes()
{
    context_.help.showTopic(help_->helpFile(), kReleaseNotesTopic);
}

void CSupportPage::OnBbsInformation()
{
    CBbsInfoDlg bbs(this);
    bbs.exec();
}

void CSupportPage::OnProblemReport()
{
    CReportIntroDlg wizard(context_, this);
    wizard.exec();
}

} // namespace velnet::cardcheck
