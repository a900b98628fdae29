// SPDX-License-Identifier: MIT
#include "nicsetup/ftolconsx.h"

#include "common/ui/DialogTemplate.h"
#include "common/ui/OwnerCentred.h"
#include "nicsetup/ParameterRows.h"
#include "nicsetup/Tables.h"
#include "ui_ftolconsx.h"

namespace velnet::nicsetup {

ftolconsx::ftolconsx(unsigned adapterIndex, const QString& label, unsigned row, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::ftolconsx>()), adapterIndex_(adapterIndex),
      label_(label), row_(row)
{
    ui_->setupUi(this);
    ui::OwnerCentred::apply(this);
    ui::DialogTemplate::apply(this);
    connect(ui_->ok, &QPushButton::clicked, this, &ftolconsx::accept);
    connect(ui_->cancel, &QPushButton::clicked, this, &ftolconsx::reject);
    OnInitDialog();
}

ftolconsx::~ftolconsx() = default;

ftolconsx::TextField* ftolconsx::field() const
{
    if (adapterIndex_ >= MAX_ADAPTERS)
        return nullptr;
    CARD_INFO& card = ETHCard[adapterIndex_];
    switch (row_) {
    case ParameterRows::SelfCheckLevel:
        return &card.SelfCheckLevel;
    case ParameterRows::ErrorTolerance:
        return &card.ErrorTolerance;
    default:
        return nullptr;
    }
}

void ftolconsx::OnInitDialog()
{
    ui_->choiceLabel->setText(label_);
    for (const std::string& word : ParameterRows::choices(row_))
        ui_->choice->addString(QString::fromStdString(word));
    const TextField* current = field();
    ui_->choice->selectString(current ? QString::fromStdString(std::string(textOf(*current)))
                                      : QString());
    ui_->ok->setFocus();
}

void ftolconsx::OnOK()
{
    // With nothing selected (the stored word matched no entry) the field
    // keeps its word.
    TextField* current = field();
    if (current && ui_->choice->currentIndex() >= 0)
        setText(*current, ui_->choice->currentText().toStdString());
    QDialog::accept();
}

void ftolconsx::OnCancel()
{
    QDialog::reject();
}

} // namespace velnet::nicsetup
