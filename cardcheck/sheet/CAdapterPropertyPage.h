// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/ui/ContextHelp.h"
#include "cardcheck/ui/PropertyPage.h"
#include "cardcheck/ui/SheetContext.h"

#include <memory>
#include <vector>

namespace Ui {
class CAdapterPropertyPage;
}

namespace velnet::cardcheck {

// The "Properties" page: the configuration items of the selected NIC with the
// options of the selected item, "Optimal Settings" and the Flowmark applet.
// Every change goes straight to the card-type library; the program only
// remembers that the configuration changed, so that closing the sheet offers
// a restart.
class CAdapterPropertyPage : public PropertyPage
{
    Q_OBJECT

public:
    explicit CAdapterPropertyPage(SheetContext& context, QWidget* parent = nullptr);
    ~CAdapterPropertyPage() override;

    static std::vector<ContextHelp::Entry> helpTable();
    ContextHelp* contextHelp() const { return help_; }

    void OnSetActive() override;

private:
    void OnSelchangeItems();
    void OnSelchangeOptions(int option);
    void OnOptimalSettings();
    void OnFlowmark();
    void fillItems();
    // The configuration item a help request over the list or the combo means;
    // -1 when there is none.
    int helpItem(QWidget* control, QPoint globalPos, bool fromKeyboard) const;

    std::unique_ptr<Ui::CAdapterPropertyPage> ui_;
    SheetContext& context_;
    ContextHelp* help_;
};

} // namespace velnet::cardcheck
