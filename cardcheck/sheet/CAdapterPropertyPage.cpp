// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/CAdapterPropertyPage.h"

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/resources/StringTable.h"
#include "cardcheck/ui/ProgramState.h"
#include "common/platform/DynamicLibrary.h"
#include "ui_CAdapterPropertyPage.h"

#include <QApplication>
#include <QSignalBlocker>

namespace velnet::cardcheck {

namespace {

constexpr const char* kAppletName = "TEMPOCFG.CPL";
constexpr const char* kAppletEntry = "DoTEMPO";

// The wait cursor for as long as a library call may take.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

CAdapterPropertyPage::CAdapterPropertyPage(SheetContext& context, QWidget* parent)
    : PropertyPage(parent), ui_(std::make_unique<Ui::CAdapterPropertyPage>()), context_(context)
{
    ui_->setupUi(this);
    help_ = new ContextHelp(this, helpTable(), context_.help);
    help_->setHelpOverride(
        [this](QWidget* control, QPoint globalPos, bool fromKeyboard) -> std::uint32_t {
            AdapterLibrary* library = theAdapterLibrary();
            const int item = helpItem(control, globalPos, fromKeyboard);
            return library && item >= 0 ? static_cast<std::uint32_t>(library->ConfigHelp(item)) : 0;
        });
    connect(ui_->itemList, &QListWidget::currentRowChanged, this,
            &CAdapterPropertyPage::OnSelchangeItems);
    // activated: only the user's choice changes a value, never a refill.
    connect(ui_->optionCombo, &QComboBox::activated, this,
            &CAdapterPropertyPage::OnSelchangeOptions);
    connect(ui_->optimalSettings, &QPushButton::clicked, this,
            &CAdapterPropertyPage::OnOptimalSettings);
    connect(ui_->flowmark, &QPushButton::clicked, this, &CAdapterPropertyPage::OnFlowmark);
}

CAdapterPropertyPage::~CAdapterPropertyPage() = default;

std::vector<ContextHelp::Entry> CAdapterPropertyPage::helpTable()
{
    return {{1033, 0x60410}, {1034, 0x60411}, {1006, 0x60412}, {1007, 0x60413}};
}

void CAdapterPropertyPage::OnSetActive()
{
    SheetState& state = sheetState();
    state.helpFromKeyboard = 0;
    if (state.testRefresh(SheetState::Properties))
        fillItems();
}

void CAdapterPropertyPage::fillItems()
{
    {
        const QSignalBlocker blocker(ui_->itemList);
        ui_->itemList->clear();
        if (AdapterLibrary* library = theAdapterLibrary()) {
            const bool advancedMode = sheetState().advancedMode != 0;
            for (std::int32_t item = 0;; ++item) {
                std::int32_t advanced = 0;
                const std::optional<std::string> name = library->ConfigName(item, advanced);
                // Without "-a" the list ends before the first advanced item.
                if (!name || (advanced != 0 && !advancedMode))
                    break;
                ui_->itemList->addItem(QString::fromStdString(*name));
            }
        }
        ui_->itemList->setCurrentRow(0);
    }
    OnSelchangeItems();
}

void CAdapterPropertyPage::OnSelchangeItems()
{
    const QSignalBlocker blocker(ui_->optionCombo);
    ui_->optionCombo->clear();
    const int item = ui_->itemList->currentRow();
    AdapterLibrary* library = theAdapterLibrary();
    if (item < 0 || !library)
        return;
    for (std::int32_t option = 0;; ++option) {
        const std::optional<std::string> text = library->ConfigOption(item, option);
        if (!text)
            break;
        ui_->optionCombo->addItem(QString::fromStdString(*text));
    }
    int row = -1;
    if (const std::optional<std::string> value = library->ConfigValue(item))
        row = ui_->optionCombo->findText(QString::fromStdString(*value), Qt::MatchStartsWith);
    ui_->optionCombo->setCurrentIndex(row);
}

void CAdapterPropertyPage::OnSelchangeOptions(int option)
{
    const int item = ui_->itemList->currentRow();
    AdapterLibrary* library = theAdapterLibrary();
    if (item < 0 || option < 0 || !library)
        return;
    const WaitCursor wait;
    library->changeValue(item, option);
}

void CAdapterPropertyPage::OnOptimalSettings()
{
    if (AdapterLibrary* library = theAdapterLibrary()) {
        const WaitCursor wait;
        library->autoConfigure();
    }
    OnSelchangeItems();
}

void CAdapterPropertyPage::OnFlowmark()
{
    velnet::platform::DynamicLibrary applet;
    if (!applet.load(kAppletName)) {
        appMessageBox(StringTable::format(ids::ErrorLoadingLibrary, {kAppletName}));
        return;
    }
    using DoTempoFn = int (*)();
    if (auto entry = applet.resolve<DoTempoFn>(kAppletEntry))
        entry();
    else
        appMessageBox(StringTable::format(ids::ErrorResolvingFunction,
                                          {std::string(kAppletEntry) + "()", kAppletName}));
}

int CAdapterPropertyPage::helpItem(QWidget* control, QPoint globalPos, bool fromKeyboard) const
{
    if (control != ui_->itemList && control != ui_->optionCombo)
        return -1;
    const int selected = ui_->itemList->currentRow();
    if (fromKeyboard || control != ui_->itemList)
        return selected;
    const QPoint pos = ui_->itemList->viewport()->mapFromGlobal(globalPos);
    const int underPointer = ui_->itemList->indexAt(pos).row();
    return underPointer >= 0 ? underPointer : selected;
}

} // namespace velnet::cardcheck
