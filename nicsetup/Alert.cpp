// SPDX-License-Identifier: MIT
#include "nicsetup/Alert.h"

#include "common/ui/DialogTemplate.h"
#include "common/ui/OwnerCentred.h"
#include "nicsetup/AlertBits.h"
#include "nicsetup/RowKeys.h"
#include "nicsetup/Tables.h"
#include "ui_Alert.h"

#include <QMouseEvent>

namespace velnet::nicsetup {

Alert::Alert(unsigned adapterIndex, const QString& label, unsigned row, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::Alert>()), adapterIndex_(adapterIndex),
      label_(label), row_(row)
{
    ui_->setupUi(this);
    ui::OwnerCentred::apply(this);
    ui::DialogTemplate::apply(this);
    connect(ui_->ok, &QPushButton::clicked, this, &Alert::accept);
    ui_->vallist->header()->setSectionsClickable(false);
    ui_->vallist->header()->setDefaultAlignment(Qt::AlignCenter);
    ui_->vallist->viewport()->installEventFilter(this);
    RowKeys::install(ui_->vallist, [this] { OnDblclkVallist(); });
    OnInitDialog();
}

Alert::~Alert() = default;

void Alert::OnInitDialog()
{
    const QFontMetrics metrics = ui_->vallist->fontMetrics();
    ui_->vallist->setColumnWidth(0, metrics.horizontalAdvance("Information") + 51);
    ui_->vallist->setColumnWidth(1, metrics.horizontalAdvance("Disabled") + 106);
    const int frame = 2 * ui_->vallist->frameWidth();
    ui_->vallist->setMinimumWidth(ui_->vallist->columnWidth(0) + ui_->vallist->columnWidth(1) +
                                  frame);
    DisplayVal();
    // Room for the three rows and a little more, no empty page below them.
    const int rows =
        ui_->vallist->header()->sizeHint().height() + 3 * ui_->vallist->sizeHintForRow(0) + frame;
    ui_->vallist->setMinimumHeight(rows + 4);
    ui_->vallist->setMaximumHeight(rows + 24);
    ui_->ok->setFocus();
}

void Alert::DisplayVal()
{
    const std::uint32_t alertType =
        adapterIndex_ < MAX_ADAPTERS ? ETHCard[adapterIndex_].AlertType : 0;
    AlertBits::refresh(alertType);
    ui_->vallist->clear();
    const std::pair<const char*, unsigned> rows[] = {
        {"Information", e1}, {"Warning", e2}, {"Error", e3}};
    for (const auto& [name, flag] : rows) {
        auto* item = new QTreeWidgetItem(ui_->vallist, {name, flag ? "Enabled" : "Disabled"});
        item->setTextAlignment(0, Qt::AlignCenter);
        item->setTextAlignment(1, Qt::AlignCenter);
    }
}

bool Alert::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->vallist->viewport() && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        OnDblclkVallist();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Alert::OnDblclkVallist()
{
    const QList<QTreeWidgetItem*> selected = ui_->vallist->selectedItems();
    if (selected.isEmpty() || adapterIndex_ >= MAX_ADAPTERS)
        return;
    const int row = ui_->vallist->indexOfTopLevelItem(selected.first());
    CARD_INFO& card = ETHCard[adapterIndex_];
    card.AlertType = AlertBits::toggle(card.AlertType, static_cast<unsigned>(row));
    DisplayVal();
    QTreeWidgetItem* item = ui_->vallist->topLevelItem(row);
    ui_->vallist->setCurrentItem(item);
    ui_->vallist->scrollToItem(item);
}

void Alert::OnOK()
{
    QDialog::accept();
}

void Alert::OnCancel()
{
    QDialog::reject();
}

} // namespace velnet::nicsetup
