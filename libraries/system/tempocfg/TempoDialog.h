// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TempoDialog;
}

// The applet's window: what Flowmark is and what it found to set.
class TempoDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TempoDialog(QWidget* parent = nullptr);
    ~TempoDialog() override;

private:
    std::unique_ptr<Ui::TempoDialog> ui_;
};
