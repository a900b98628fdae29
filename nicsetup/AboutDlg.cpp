// SPDX-License-Identifier: MIT
#include "nicsetup/AboutDlg.h"

#include "common/ui/DialogTemplate.h"
#include "common/ui/OwnerCentred.h"
#include "nicsetup/Images.h"
#include "ui_AboutDlg.h"

namespace velnet::nicsetup {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::CAboutDlg>())
{
    ui_->setupUi(this);
    ui::OwnerCentred::apply(this);
    ui::DialogTemplate::apply(this);
    ui_->icon->setPixmap(Images::icon().pixmap(QSize(32, 32)));
    ui_->icon->setProperty("controlId", Images::IDR_MAINFRAME);
}

CAboutDlg::~CAboutDlg() = default;

} // namespace velnet::nicsetup
