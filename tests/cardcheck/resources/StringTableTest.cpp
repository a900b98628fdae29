// SPDX-License-Identifier: MIT
#include "cardcheck/resources/StringTable.h"

#include "tests/support/GTestResponder.h"

#include <gtest/gtest.h>

namespace velnet::cardcheck {
namespace {

TEST(StringTableTest, ErrorTextsWithTheirInserts)
{
    EXPECT_EQ(StringTable::format(ids::ErrorLoadingLibrary, {"TEMPOCFG.CPL"}),
              "Error loading the Library TEMPOCFG.CPL");
    EXPECT_EQ(StringTable::format(ids::ErrorResolvingFunction, {"DoTEMPO()", "TEMPOCFG.CPL"}),
              "Error resolving the address of the function DoTEMPO() in the Library TEMPOCFG.CPL");
    EXPECT_EQ(StringTable::format(ids::ErrorInitializingLibrary, {"NICPORT.DLL"}),
              "Error initializing the Library NICPORT.DLL");
    EXPECT_EQ(StringTable::load(ids::ErrorNoAdapters),
              "Error, there are no Corvane adapters installed in your computer that are supported "
              "by this program.");
    EXPECT_EQ(StringTable::format(ids::ErrorLoadingString, {"TestName()", "VX410CFG", "1042"}),
              "Error loading a string in the function TestName().  Library = VX410CFG, Resource "
              "ID = 1042.");
    EXPECT_EQ(StringTable::format(ids::ErrorNoNicsInLibrary, {"VX210CFG"}),
              "Error enumerating NICs.  The adapter specific DLL VX210CFG did not find any NICs "
              "present.");
    EXPECT_EQ(StringTable::load(ids::DriverNotDisabled), "Your driver could not be disabled.");
    EXPECT_EQ(StringTable::load(ids::ErrorTypeNotResolved),
              "Error, some NICs were discovered, but the type could not be resolved.");
}

TEST(StringTableTest, InsertedTextIsNotScannedAgain)
{
    EXPECT_EQ(StringTable::format(ids::ErrorLoadingString, {"%2", "100%", "%1"}),
              "Error loading a string in the function %2.  Library = 100%, Resource ID = %1.");
}

TEST(StringTableTest, TextsKeepTheirBlanksAndSpelling)
{
    EXPECT_EQ(StringTable::load(ids::Title), "Corvane NIC Diagnostics  v1.0");
    EXPECT_EQ(StringTable::load(ids::Problem), "  Problem:  ");
    EXPECT_EQ(StringTable::load(ids::StatusFlagFirst), "    Was enumerated by ROOT");
    EXPECT_EQ(StringTable::load(ids::StatusFlagLast), "    Devnode is being removed");
    EXPECT_EQ(StringTable::load(174 + 22), "Device is disabled");
    EXPECT_EQ(StringTable::load(ids::ProblemLast), "Can't share IRQ");
    EXPECT_EQ(StringTable::load(ids::ErrorFieldEmpty),
              "Error field cannot be empty.  Enter a \"?\" if data is not available.");
    EXPECT_EQ(StringTable::format(ids::WindowsDriver, {"vxwin.sys", "3.11", "Mon"}),
              "Windows Driver: vxwin.sys\nWindows Driver Version 3.11.\nWindows Driver Date: Mon");
    EXPECT_EQ(StringTable::format(ids::ReportFormatFirst + 6, {"It hangs."}),
              "Problem Description:\nIt hangs.");
    EXPECT_EQ(StringTable::load(ids::SwitchAdvanced), "-a");
}

TEST(StringTableTest, EveryIdIsInRangeAndAbsentIdsLoadEmpty)
{
    const auto all = StringTable::allIds();
    ASSERT_FALSE(all.empty());
    EXPECT_GE(all.front(), 101);
    EXPECT_LE(all.back(), 222);
    for (const int id : all)
        EXPECT_FALSE(StringTable::load(id).empty()) << id;
    EXPECT_EQ(StringTable::find(223), std::nullopt);
    EXPECT_EQ(StringTable::load(100), "");
}

TEST(StringTableTest, AppMessageBoxCarriesTheTitle)
{
    velnet::test::GTestResponder responder;
    velnet::ui::ScriptedResponder::Expectation box;
    box.text = "Your driver could not be disabled.";
    box.caption = "Corvane NIC Diagnostics  v1.0";
    box.buttons = velnet::ui::Buttons::Ok;
    box.icon = velnet::ui::Icon::None;
    responder.expect(box);
    appMessageBox(StringTable::load(ids::DriverNotDisabled));
}

} // namespace
} // namespace velnet::cardcheck
