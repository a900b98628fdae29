// SPDX-License-Identifier: MIT
#include "cardcheck/report/CBbsInfoDlg.h"

#include "common/ui/DialogTemplate.h"
#include "ui_CBbsInfoDlg.h"

namespace velnet::cardcheck {

CBbsInfoDlg::CBbsInfoDlg(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CBbsInfoDlg>())
{
    ui_->setupUi(this);
    velnet::ui::DialogTemplate::apply(this, velnet::ui::DialogTemplate::Caption::WithContextHelp);
}

CBbsInfoDlg::~CBbsInfoDlg() = default;

} // namespace velnet::cardcheck
