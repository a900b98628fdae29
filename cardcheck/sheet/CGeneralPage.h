// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/ui/ContextHelp.h"
#include "cardcheck/ui/PropertyPage.h"
#include "cardcheck/ui/SheetContext.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QTreeWidget;

namespace Ui {
class CGeneralPage;
}

namespace velnet::cardcheck {

class AdapterLibrary;

// The first page: the NIC every page talks about, its picture and summary,
// the NIC Details dialog and the tray monitor switch. Its first showing also
// copies the server NICs' addresses into their driver instance keys.
class CGeneralPage : public PropertyPage
{
    Q_OBJECT

public:
    explicit CGeneralPage(SheetContext& context, QWidget* parent = nullptr);
    ~CGeneralPage() override;

    static std::vector<ContextHelp::Entry> helpTable();
    // The welcome dialog's table: the entries for 1002, 1004, 1015 and 1023.
    static std::vector<ContextHelp::Entry> welcomeHelpTable();

    // The widest texts of a name/value list, as the list measures them.
    struct Widths
    {
        int name = 0;
        int value = 0;
    };
    using ItemText = std::function<std::optional<std::string>(std::int32_t item)>;
    // Fills a two-column list from item 0 on, up to the first item without a
    // name or a value.
    static Widths fillList(QTreeWidget* list, const ItemText& name, const ItemText& value);

    void OnInitDialog() override;

    ContextHelp* contextHelp() const { return help_; }

private:
    void OnSelchangeCard(int row);
    void OnNicDetails();
    void OnTrayControl(bool checked);
    void fillSummary();
    void showSelectionMessage();

    std::unique_ptr<Ui::CGeneralPage> ui_;
    SheetContext& context_;
    ContextHelp* help_;
};

} // namespace velnet::cardcheck
