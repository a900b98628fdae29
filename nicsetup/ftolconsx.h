// SPDX-License-Identifier: MIT
#pragma once

#include "nicsetup/Tables.h"

#include <QDialog>
#include <memory>

namespace Ui {
class ftolconsx;
}

namespace velnet::nicsetup {

// The choice editor: "Self Check Level" (row 0) or "Error Tolerance" (row 3)
// of one adapter's record, stored as the chosen word on OK.
class ftolconsx : public QDialog
{
    Q_OBJECT

public:
    ftolconsx(unsigned adapterIndex, const QString& label, unsigned row, QWidget* parent = nullptr);
    ~ftolconsx() override;

    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

private:
    void OnInitDialog();
    void OnOK();
    void OnCancel();
    using TextField = char[TEXT_FIELD_SIZE];
    TextField* field() const;

    std::unique_ptr<Ui::ftolconsx> ui_;
    unsigned adapterIndex_;
    QString label_;
    unsigned row_;
};

} // namespace velnet::nicsetup
