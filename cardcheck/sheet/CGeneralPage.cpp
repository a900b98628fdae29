// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/CGeneralPage.h"

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/resources/StringTable.h"
#include "cardcheck/sheet/AdapterPicture.h"
#include "cardcheck/sheet/BaseAddressSync.h"
#include "cardcheck/sheet/CNicDetailsDlg.h"
#include "cardcheck/sheet/TrayMonitor.h"
#include "cardcheck/sheet/TraySetting.h"
#include "cardcheck/ui/PictureWindow.h"
#include "cardcheck/ui/ProgramState.h"
#include "ui_CGeneralPage.h"

#include <QApplication>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <algorithm>

namespace velnet::cardcheck {

namespace {
constexpr int kColumnPadding = 20;
}

CGeneralPage::CGeneralPage(SheetContext& context, QWidget* parent)
    : PropertyPage(parent), ui_(std::make_unique<Ui::CGeneralPage>()), context_(context)
{
    ui_->setupUi(this);
    // The summary list is disabled only so that it cannot be used; its text
    // stays as readable as in an enabled list.
    QPalette palette = ui_->summaryList->palette();
    palette.setColor(QPalette::Disabled, QPalette::Text,
                     palette.color(QPalette::Active, QPalette::Text));
    ui_->summaryList->setPalette(palette);
    help_ = new ContextHelp(this, helpTable(), context_.help);
    help_->setRowHelp(ui_->summaryList, [](int row) -> std::uint32_t {
        AdapterLibrary* library = theAdapterLibrary();
        return library ? static_cast<std::uint32_t>(library->CardSummaryHelp(row)) : 0;
    });
    connect(ui_->cardCombo, &QComboBox::currentIndexChanged, this, &CGeneralPage::OnSelchangeCard);
    connect(ui_->detailsButton, &QPushButton::clicked, this, &CGeneralPage::OnNicDetails);
    connect(ui_->trayCheck, &QCheckBox::clicked, this, &CGeneralPage::OnTrayControl);
}

CGeneralPage::~CGeneralPage() = default;

std::vector<ContextHelp::Entry> CGeneralPage::helpTable()
{
    return {{1002, 0x60400}, {1004, 0x60401}, {1023, 0x60402}, {1015, 0x60403}, {1062, 0x60404}};
}

std::vector<ContextHelp::Entry> CGeneralPage::welcomeHelpTable()
{
    return {{1002, 0x60400}, {1004, 0x60401}, {1015, 0x60403}, {1023, 0x60402}};
}

CGeneralPage::Widths CGeneralPage::fillList(QTreeWidget* list, const ItemText& name,
                                            const ItemText& value)
{
    list->clear();
    Widths widest;
    const QFontMetrics metrics = list->fontMetrics();
    for (std::int32_t item = 0;; ++item) {
        const std::optional<std::string> itemName = name(item);
        if (!itemName)
            break;
        const std::optional<std::string> itemValue = value(item);
        if (!itemValue)
            break;
        const QString nameText = QString::fromStdString(*itemName);
        const QString valueText = QString::fromStdString(*itemValue);
        auto* row = new QTreeWidgetItem(list, {nameText, valueText});
        row->setTextAlignment(0, Qt::Alignment(list->headerItem()->textAlignment(0)));
        widest.name = std::max(widest.name, metrics.horizontalAdvance(nameText));
        widest.value = std::max(widest.value, metrics.horizontalAdvance(valueText));
    }
    return widest;
}

void CGeneralPage::OnInitDialog()
{
    if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    SheetState& state = sheetState();
    state.setAllRefreshFlags();

    AdapterLibrary* library = theAdapterLibrary();
    if (library) {
        if (PictureWindow* picture = AdapterPicture::create(*library))
            picture->attach(this, 1001);
    }
    if (PictureWindow* logo = PictureWindow::fromId(PictureWindow::Logo))
        logo->attach(this, 1000);

    {
        const QSignalBlocker quiet(ui_->cardCombo);
        ui_->cardCombo->clear();
        if (library) {
            for (std::int32_t i = 0; i < library->cardCount(); ++i)
                ui_->cardCombo->addItem(QString::fromStdString(library->cardName(i).value_or("")));
            ui_->cardCombo->setCurrentIndex(library->selectedIndex());
        }
    }

    // Right-aligned names, left-aligned values; no headings.
    ui_->summaryList->headerItem()->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    ui_->summaryList->headerItem()->setTextAlignment(1, Qt::AlignLeft | Qt::AlignVCenter);

    if (library) {
        // The sync selects each server NIC in turn; afterwards the NIC chosen
        // at start-up is selected again.
        const std::int32_t selected = library->selectedIndex();
        BaseAddressSync(*library, context_.registry).run();
        state.selectionMessage.clear();
        library->select(selected, state.selectionMessage);
    }
    fillSummary();
    showSelectionMessage();

    ui_->trayCheck->setChecked(TraySetting(context_.registry).enabled());
}

void CGeneralPage::fillSummary()
{
    AdapterLibrary* library = theAdapterLibrary();
    if (!library) {
        ui_->summaryList->clear();
        return;
    }
    const Widths widest = fillList(
        ui_->summaryList, [library](std::int32_t i) { return library->CardSummaryName(i); },
        [library](std::int32_t i) { return library->CardSummaryValue(i); });
    ui_->summaryList->setColumnWidth(0, widest.name + kColumnPadding);
    ui_->summaryList->setColumnWidth(1, widest.value + kColumnPadding);
}

void CGeneralPage::showSelectionMessage()
{
    ui_->selectionMessage->setText(QString::fromStdString(sheetState().selectionMessage));
}

void CGeneralPage::OnSelchangeCard(int row)
{
    AdapterLibrary* library = theAdapterLibrary();
    if (!library || row < 0)
        return;
    const std::int32_t previous = library->selectedIndex();
    if (row == previous)
        return;
    SheetState& state = sheetState();
    state.selectionMessage.clear();
    if (library->select(row, state.selectionMessage)) {
        AdapterPicture::update(*library);
        showSelectionMessage();
        state.setAllRefreshFlags();
        fillSummary();
        return;
    }
    appMessageBox(state.selectionMessage);
    state.selectionMessage.clear();
    library->select(previous, state.selectionMessage);
    const QSignalBlocker quiet(ui_->cardCombo);
    ui_->cardCombo->setCurrentIndex(previous);
}

void CGeneralPage::OnNicDetails()
{
    CNicDetailsDlg dialog(context_, this);
    dialog.exec();
}

void CGeneralPage::OnTrayControl(bool checked)
{
    if (checked)
        TrayMonitor::start();
    else
        TrayMonitor::closeIfRunning();
    TraySetting(context_.registry).write(checked);
}

} // namespace velnet::cardcheck
