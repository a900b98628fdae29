// SPDX-License-Identifier: MIT
#include "cardcheck/report/CComputerInfoDlg.h"

#include "cardcheck/report/CProblemInfoDlg.h"
#include "cardcheck/ui/ReportAnswers.h"
#include "ui_CComputerInfoDlg.h"

#include <QComboBox>

namespace velnet::cardcheck {

CComputerInfoDlg::CComputerInfoDlg(SheetContext& context, CWizardPage* previous, QWidget* parent)
    : CWizardPage(context, previous, parent), ui_(std::make_unique<Ui::CComputerInfoDlg>())
{
    ui_->setupUi(this);
    // The answer is what the user typed, not the list entry it begins.
    for (QComboBox* typed : {ui_->networkOperatingSystem, ui_->processorSpeed})
        typed->setCompleter(nullptr);
    setFields({{ReportAnswers::PcOperatingSystem, ui_->pcOperatingSystem},
               {ReportAnswers::Usage, ui_->usage},
               {ReportAnswers::CpuType, ui_->cpuType},
               {ReportAnswers::ManufacturerAndModel, ui_->manufacturerModel},
               {ReportAnswers::NetworkOperatingSystem, ui_->networkOperatingSystem},
               {ReportAnswers::NicSlot, ui_->nicSlot},
               {ReportAnswers::BusMasteringSlots, ui_->busMasteringSlots},
               {ReportAnswers::ProcessorSpeed, ui_->processorSpeed}});
    loadAnswers();
    setUpPage(ui_->backButton, ui_->nextButton, ui_->cancelButton);
}

CComputerInfoDlg::~CComputerInfoDlg() = default;

std::vector<ContextHelp::Entry> CComputerInfoDlg::helpTable() const
{
    return {{1068, 0x60470}, {1058, 0x60471}, {1059, 0x60472}, {1069, 0x60473},
            {1070, 0x60474}, {1044, 0x60475}, {1047, 0x60476}, {1048, 0x60477}};
}

CWizardPage* CComputerInfoDlg::createNextPage()
{
    return new CProblemInfoDlg(context_, this, parentWidget());
}

} // namespace velnet::cardcheck
