// SPDX-License-Identifier: MIT
#include "libraries/system/tempocfg/TempoDialog.h"

#include "ui_TempoDialog.h"

TempoDialog::TempoDialog(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TempoDialog>())
{
    ui_->setupUi(this);
}

TempoDialog::~TempoDialog() = default;
