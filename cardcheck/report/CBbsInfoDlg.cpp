#include "report/CBbsInfoDlg.h"

#include "ui_CBbsInfoDlg.h"

namespace cardcheck {

CBbsInfoDlg::CBbsInfoDlg(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CBbsInfoDlg>())
{
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
}

CBbsInfoDlg::~CBbsInfoDlg() = default;

} // namespace cardcheck
