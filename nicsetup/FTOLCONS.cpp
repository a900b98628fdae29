// SPDX-License-Identifier: MIT
#include "nicsetup/FTOLCONS.h"

#include "common/ui/DialogTemplate.h"
#include "common/ui/MessageBox.h"
#include "common/ui/OwnerCentred.h"
#include "nicsetup/NumericInput.h"
#include "nicsetup/ParameterRows.h"
#include "nicsetup/ProgramName.h"
#include "nicsetup/Tables.h"
#include "ui_FTOLCONS.h"

namespace velnet::nicsetup {

namespace {

void inform(const std::string& text)
{
    ui::messageBox(text, PROGRAM_NAME, ui::Buttons::Ok, ui::Icon::None);
}

std::uint32_t* fieldOf(CARD_INFO& card, unsigned row)
{
    switch (row) {
    case ParameterRows::SamplingWindow:
        return &card.SamplingWindow;
    case ParameterRows::SamplingRatio:
        return &card.SamplingRatio;
    default:
        return nullptr;
    }
}

} // namespace

FTOLCONS::FTOLCONS(unsigned adapterIndex, const QString& label, unsigned row, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::FTOLCONS>()), adapterIndex_(adapterIndex),
      label_(label), row_(row)
{
    ui_->setupUi(this);
    ui::OwnerCentred::apply(this);
    ui::DialogTemplate::apply(this);
    connect(ui_->ok, &QPushButton::clicked, this, &FTOLCONS::accept);
    connect(ui_->cancel, &QPushButton::clicked, this, &FTOLCONS::reject);
    // Only what the user types is checked, not the value the editor opens with.
    connect(ui_->ftolval, &QLineEdit::textEdited, this, &FTOLCONS::OnUpdateFtolval);
    OnInitDialog();
}

FTOLCONS::~FTOLCONS() = default;

void FTOLCONS::OnInitDialog()
{
    ui_->ftolname->setText(label_);
    // What is checked is what is shown: no part of the text goes unread.
    ui_->ftolval->setMaxLength(static_cast<int>(NumericInput::MAX_CHARS));
    if (adapterIndex_ < MAX_ADAPTERS) {
        if (const std::uint32_t* field = fieldOf(ETHCard[adapterIndex_], row_))
            ui_->ftolval->setText(QString::number(*field));
    }
    ui_->ok->setFocus();
}

std::string FTOLCONS::typedText() const
{
    return ui_->ftolval->text().toStdString();
}

void FTOLCONS::OnUpdateFtolval()
{
    const auto rule = NumericInput::ruleFor(row_);
    if (!rule)
        return;
    for (const std::string& message : NumericInput::typingMessages(*rule, typedText()))
        inform(message);
}

void FTOLCONS::OnOK()
{
    const auto rule = NumericInput::ruleFor(row_);
    std::uint32_t* field =
        adapterIndex_ < MAX_ADAPTERS ? fieldOf(ETHCard[adapterIndex_], row_) : nullptr;
    if (rule && field) {
        const NumericInput::Verdict verdict = NumericInput::check(*rule, typedText());
        if (!verdict.accepted) {
            inform(verdict.message);
            return;
        }
        *field = verdict.value;
    }
    QDialog::accept();
}

void FTOLCONS::OnCancel()
{
    QDialog::reject();
}

} // namespace velnet::nicsetup
