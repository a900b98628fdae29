// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CBbsInfoDlg;
}

namespace velnet::cardcheck {

// Where to reach the maker's bulletin boards by modem; it only shows its
// texts and closes with OK.
class CBbsInfoDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CBbsInfoDlg(QWidget* parent = nullptr);
    ~CBbsInfoDlg() override;

private:
    std::unique_ptr<Ui::CBbsInfoDlg> ui_;
};

} // namespace velnet::cardcheck
