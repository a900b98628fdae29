// SPDX-License-Identifier: MIT
#pragma once

// What the Properties page, the Diagnostics page and the echo test dialog
// get from the program in a test: the simulated NIC libraries loaded on a
// scenario of the test's own (discovery and the first selection, as start-up
// does), the program-wide flags in their start-up state, a registry file of
// the test's own and a help viewer that records instead of showing.
#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/ui/ProgramState.h"
#include "cardcheck/ui/SheetContext.h"
#include "common/platform/FakeHelpViewer.h"
#include "common/registry/FileRegistry.h"
#include "tests/support/SimulatedNics.h"

#include <QPoint>
#include <QWhatsThis>
#include <QWidget>
#include <QtTest/QTest>
#include <string>
#include <vector>

namespace velnet::cardcheck::test {

class PagesFixture
{
public:
    explicit PagesFixture(const std::string& scenarioJson, bool advancedMode = false)
        : nics_(SimulatedNics::Text{scenarioJson}),
          registry_(nics_.folder() + "/registry.reg"), context_{registry_, help_}
    {
        sheetState().advancedMode = advancedMode ? 1 : 0;
        Discovery discovery;
        if (discovery.Discover(error_) > 0) {
            AdapterLibrary& library = createAdapterLibrary(std::move(discovery));
            selected_ = library.select(0, sheetState().selectionMessage) == 1;
        }
        sheetState().setAllRefreshFlags();
    }

    PagesFixture(const PagesFixture&) = delete;
    PagesFixture& operator=(const PagesFixture&) = delete;

    // True when a NIC was found and selected.
    bool ready() const { return selected_ && theAdapterLibrary(); }
    const std::string& error() const { return error_; }

    SheetContext& context() { return context_; }
    velnet::platform::FakeHelpViewer& help() { return help_; }

    // The calls the libraries recorded, one per line ("VX410CFG RunTest 1").
    std::vector<std::string> trace() const { return nics_.trace(); }
    // How many recorded calls end with `call` ("RunTest 1").
    int traced(const std::string& call) const { return nics_.traced(call); }

private:
    SimulatedNics nics_;
    velnet::registry::FileRegistry registry_;
    velnet::platform::FakeHelpViewer help_;
    SheetContext context_;
    std::string error_;
    bool selected_ = false;
};

// A click in "What's This?" mode, as after the caption's help button.
inline void whatsThisClick(QWidget* widget, QPoint pos = {})
{
    QWhatsThis::enterWhatsThisMode();
    if (pos.isNull())
        pos = widget->rect().center();
    QTest::mouseClick(widget, Qt::LeftButton, {}, pos);
    // The real help viewer's pop-up ends the mode; the fake one does not.
    QWhatsThis::leaveWhatsThisMode();
}

} // namespace velnet::cardcheck::test
