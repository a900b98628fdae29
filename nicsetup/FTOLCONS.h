// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class FTOLCONS;
}

namespace velnet::nicsetup {

// The numeric editor: "Sampling Window" (row 1) or "Sampling Ratio " (row 2)
// of one adapter's record, changed in place on a valid OK.
class FTOLCONS : public QDialog
{
    Q_OBJECT

public:
    FTOLCONS(unsigned adapterIndex, const QString& label, unsigned row, QWidget* parent = nullptr);
    ~FTOLCONS() override;

    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

private slots:
    void OnUpdateFtolval();

private:
    void OnInitDialog();
    void OnOK();
    void OnCancel();
    std::string typedText() const;

    std::unique_ptr<Ui::FTOLCONS> ui_;
    unsigned adapterIndex_;
    QString label_;
    unsigned row_;
};

} // namespace velnet::nicsetup
