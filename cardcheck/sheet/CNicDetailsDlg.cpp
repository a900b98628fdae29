// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/CNicDetailsDlg.h"

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/resources/StringTable.h"
#include "cardcheck/sheet/CGeneralPage.h"
#include "cardcheck/ui/ContextHelp.h"
#include "cardcheck/ui/ProgramState.h"
#include "common/ui/DialogTemplate.h"
#include "ui_CNicDetailsDlg.h"

#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>

namespace velnet::cardcheck {

namespace {
constexpr int kNamePadding = 15;
constexpr int kValueMargin = 18;
} // namespace

CNicDetailsDlg::CNicDetailsDlg(SheetContext& context, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CNicDetailsDlg>())
{
    ui_->setupUi(this);
    velnet::ui::DialogTemplate::apply(this, velnet::ui::DialogTemplate::Caption::WithContextHelp);
    help_ = new ContextHelp(this, {}, context.help);
    help_->setRowHelp(
        ui_->detailsList,
        [](int row) -> std::uint32_t {
            AdapterLibrary* library = theAdapterLibrary();
            return library ? static_cast<std::uint32_t>(library->CardDetailsHelp(row)) : 0;
        },
        ContextHelp::RowChoice::SelectedAfterKeyboard);
    ui_->buttonBox->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(ui_->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    OnInitDialog();
    ui_->detailsList->viewport()->installEventFilter(this);
}

CNicDetailsDlg::~CNicDetailsDlg() = default;

void CNicDetailsDlg::OnInitDialog()
{
    QTreeWidget* list = ui_->detailsList;
    list->setHeaderLabels({QString::fromStdString(StringTable::load(ids::Name)),
                           QString::fromStdString(StringTable::load(ids::Value))});
    list->headerItem()->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    list->headerItem()->setTextAlignment(1, Qt::AlignLeft | Qt::AlignVCenter);
    AdapterLibrary* library = theAdapterLibrary();
    if (!library)
        return;
    const CGeneralPage::Widths widest = CGeneralPage::fillList(
        list, [library](std::int32_t i) { return library->CardDetailsName(i); },
        [library](std::int32_t i) { return library->CardDetailsValue(i); });
    list->setColumnWidth(0, widest.name + kNamePadding);
    nameWidth_ = widest.name;
    valueWidth_ = widest.value;
}

bool CNicDetailsDlg::eventFilter(QObject* watched, QEvent* event)
{
    // The value column takes the rest of the list's client width, whenever
    // that width is known or changes, but never less than its widest value:
    // a long one (a PCI subsystem's name) scrolls rather than being cut off.
    if (watched == ui_->detailsList->viewport() && event->type() == QEvent::Resize) {
        const int rest = ui_->detailsList->viewport()->width() - nameWidth_ - kValueMargin;
        ui_->detailsList->setColumnWidth(1, std::max(rest, valueWidth_ + kNamePadding));
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace velnet::cardcheck
