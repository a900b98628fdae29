// SPDX-License-Identifier: MIT
#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/resources/StringTable.h"
#include "cardcheck/sheet/BaseAddressSync.h"
#include "cardcheck/sheet/RestartPrompt.h"
#include "cardcheck/sheet/StartupDiscovery.h"
#include "cardcheck/sheet/StartupSwitches.h"
#include "cardcheck/sheet/TraySetting.h"
#include "cardcheck/ui/ProgramState.h"
#include "common/platform/OsVersion.h"
#include "common/registry/FileRegistry.h"
#include "tests/support/GTestResponder.h"
#include "tests/support/SimulatedNics.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace velnet::cardcheck;
using namespace velnet::registry;
using velnet::test::GTestResponder;
using velnet::ui::Answer;

namespace {

const std::string kAskDisabled = StringTable::load(148);
const std::string kDriverStaysDisabled = StringTable::load(220);
const std::string kAskConfigChanged = StringTable::load(221);
const std::string kPrivilege = StringTable::load(222);

// A copy of a registry fixture in a temporary folder.
class StoreCopy
{
public:
    explicit StoreCopy(const std::string& fixture)
    {
        velnet::test::writeFile(
            path_, velnet::test::readFile(velnet::test::fixturePath("cardcheck/sheet/" + fixture)));
    }
    const std::string& path() const { return path_; }
    std::string text() const { return velnet::test::readFile(path_); }

private:
    velnet::test::TempDir dir_;
    std::string path_ = dir_.file("registry.reg");
};

std::optional<std::string> baseMac(FileRegistry& store, int instance)
{
    const auto key = store.open(Root::LocalMachine,
                                "SYSTEM\\CurrentControlSet\\Services\\vxsrvnt" +
                                    std::to_string(instance) + "\\Parameters",
                                Access::Read);
    return key ? key.queryString("Base_Mac_Address", 18) : std::nullopt;
}

} // namespace

TEST(StartupSwitchesTest, FindsBothSwitchesAnywhereAsPlainSubstrings)
{
    const StartupSwitches both = StartupSwitches::parse("-inf -a");
    EXPECT_TRUE(both.welcome);
    EXPECT_TRUE(both.advanced);

    // Inside a longer word, and glued to another switch.
    EXPECT_TRUE(StartupSwitches::parse("/setup-all").advanced);
    EXPECT_TRUE(StartupSwitches::parse("x-infinite").welcome);
    EXPECT_FALSE(StartupSwitches::parse("x-infinite").advanced);
    // Case counts; nothing is found in an empty command line.
    EXPECT_FALSE(StartupSwitches::parse("-A -INF").advanced);
    EXPECT_FALSE(StartupSwitches::parse("-A -INF").welcome);
    EXPECT_FALSE(StartupSwitches::parse("").advanced);
}

TEST(StartupSwitchesTest, CommandLineIsTheArgumentsAfterTheProgram)
{
    EXPECT_EQ(StartupSwitches::commandLine({"/usr/bin/cardcheck-a"}), "");
    EXPECT_EQ(StartupSwitches::commandLine({"cardcheck", "-", "a"}), "- a");
    EXPECT_FALSE(
        StartupSwitches::parse(StartupSwitches::commandLine({"cardcheck", "-", "a"})).advanced);
}

TEST(TraySettingTest, OnExactlyWhenTheValueReadsTraymonOn)
{
    velnet::test::TempDir dir;
    FileRegistry store(dir.file("registry.reg"));
    TraySetting setting(store);
    EXPECT_FALSE(setting.enabled()); // no Run key at all

    auto run = store.create(Root::LocalMachine, TraySetting::kRunKey, Access::Full);
    for (const auto& [text, on] :
         std::vector<std::pair<std::string, bool>>{{"traymon.exe -on", true},
                                                   {"traymon.exe -on ", false},
                                                   {"Traymon.exe -on", false},
                                                   {"traymon.exe -off", false}}) {
        ASSERT_EQ(run.setString(TraySetting::kValueName, text, false),
                  velnet::registry::Status::Success);
        EXPECT_EQ(setting.enabled(), on) << text;
    }
    // A value stored with its NUL reads the same.
    ASSERT_EQ(run.setString(TraySetting::kValueName, "traymon.exe -on", true),
              velnet::registry::Status::Success);
    EXPECT_TRUE(setting.enabled());
}

TEST(TraySettingTest, WritesTheTextWithoutItsNul)
{
    velnet::test::TempDir dir;
    FileRegistry store(dir.file("registry.reg"));
    TraySetting setting(store);
    ASSERT_TRUE(setting.write(false));
    auto run = store.open(Root::LocalMachine, TraySetting::kRunKey, Access::Read);
    auto value = run.query(TraySetting::kValueName, 1024);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, ValueType::Sz);
    EXPECT_EQ(std::string(value->data.begin(), value->data.end()), "traymon.exe -off");

    ASSERT_TRUE(setting.write(true));
    value = run.query(TraySetting::kValueName, 1024);
    EXPECT_EQ(std::string(value->data.begin(), value->data.end()), "traymon.exe -on");
    EXPECT_TRUE(setting.enabled());
}

TEST(RestartPromptTest, ClosingAsksAboutDisabledDriversBeforeAChangedConfiguration)
{
    {
        GTestResponder r; // nothing to ask
        EXPECT_FALSE(RestartPrompt::askOnClose(0, 0));
    }
    {
        GTestResponder r;
        r.expect(kAskDisabled, Answer::No).expect(kDriverStaysDisabled);
        EXPECT_FALSE(RestartPrompt::askOnClose(1, 1));
    }
    {
        GTestResponder r;
        r.expect(kAskDisabled, Answer::Yes).expect(kPrivilege);
        EXPECT_TRUE(RestartPrompt::askOnClose(1, 0));
    }
}

TEST(RestartPromptTest, ChangedConfigurationAsksOnceAndWarnsOnlyWhereRestartNeedsPrivileges)
{
    {
        GTestResponder r;
        r.expect(kAskConfigChanged, Answer::No); // and nothing after it
        EXPECT_FALSE(RestartPrompt::askOnClose(0, 1));
    }
    {
        GTestResponder r;
        r.expect(kAskConfigChanged, Answer::Yes).expect(kPrivilege);
        EXPECT_TRUE(RestartPrompt::askOnClose(0, 1));
    }
    {
        velnet::platform::FakeOsVersion windows95(velnet::platform::OsKind::Windows95);
        auto* previous = velnet::platform::setOsVersion(&windows95);
        GTestResponder r;
        r.expect(kAskConfigChanged, Answer::Yes);
        EXPECT_TRUE(RestartPrompt::askOnClose(0, 1));
        velnet::platform::setOsVersion(previous);
    }
}

TEST(RestartPromptTest, DisabledDriversAtStartUp)
{
    {
        GTestResponder r;
        r.expect(kAskDisabled, Answer::Yes);
        EXPECT_TRUE(RestartPrompt::askAfterDriversDisabled());
    }
    {
        GTestResponder r;
        r.expect(kAskDisabled, Answer::No).expect(kDriverStaysDisabled);
        EXPECT_FALSE(RestartPrompt::askAfterDriversDisabled());
    }
}

TEST(StartupDiscoveryTest, SkipsANicThatCannotBeSelected)
{
    test::SimulatedNics nics("first-not-selectable.json");
    GTestResponder r; // the worker shows nothing
    std::string error;
    EXPECT_EQ(StartupDiscovery::run(error, false), 2);
    ASSERT_NE(theAdapterLibrary(), nullptr);
    EXPECT_EQ(theAdapterLibrary()->selectedIndex(), 1);
    EXPECT_EQ(sheetState().selectionMessage, "The NIC is ready for diagnostics.");
    EXPECT_EQ(error, "This NIC is being used by another program.");
    EXPECT_EQ(nics.calls("VX410CFG SelectCard"),
              (std::vector<std::string>{"VX410CFG SelectCard 0 0", "VX410CFG SelectCard 1 0"}));
}

TEST(StartupDiscoveryTest, NoSelectableNicGivesZeroAndTheLastFailure)
{
    test::SimulatedNics nics("none-selectable.json");
    std::string error;
    EXPECT_EQ(StartupDiscovery::run(error, true), 0);
    EXPECT_EQ(error, "The second NIC does not answer.");
    EXPECT_EQ(bindingState().restartNeeded, 1); // the first driver went off line for good
    EXPECT_EQ(nics.calls("VX410CFG SelectCard"),
              (std::vector<std::string>{"VX410CFG SelectCard 0 1", "VX410CFG SelectCard 1 1"}));
}

TEST(StartupDiscoveryTest, DiscoveryFailureLeavesNoAdapterLibrary)
{
    test::SimulatedNics nics("no-such-scenario.json");
    std::string error;
    EXPECT_EQ(StartupDiscovery::run(error, false), 0);
    EXPECT_EQ(theAdapterLibrary(), nullptr);
    EXPECT_EQ(error, StringTable::format(104, {"NICPORT.DLL"}));
}

TEST(BaseAddressSyncTest, QualifyingNamesAndInstanceKeys)
{
    EXPECT_TRUE(BaseAddressSync::qualifies("Corvane Fast Velnet XL"));
    EXPECT_TRUE(BaseAddressSync::qualifies("Corvane Fast Velnet Server XL PCI NIC"));
    EXPECT_FALSE(BaseAddressSync::qualifies("Corvane Fast Velnet X"));
    EXPECT_FALSE(BaseAddressSync::qualifies("corvane Fast Velnet XL"));
    EXPECT_FALSE(BaseAddressSync::qualifies("Corvane Velnet XL 10/100 PCI Desktop NIC"));
    EXPECT_EQ(BaseAddressSync::instanceKeyPath(0),
              "SYSTEM\\CurrentControlSet\\Services\\Vxsrvnt0\\Parameters");
    EXPECT_EQ(BaseAddressSync::instanceKeyPath(0x63),
              "SYSTEM\\CurrentControlSet\\Services\\Vxsrvnt63\\Parameters");
    EXPECT_EQ(BaseAddressSync::instanceKeyPath(26),
              "SYSTEM\\CurrentControlSet\\Services\\Vxsrvnt1a\\Parameters");
}

TEST(BaseAddressSyncTest, TwoServerNicsGoToAdapterSeqOneAndTwo)
{
    test::SimulatedNics nics("two-servers.json");
    StoreCopy copy("servers.reg");
    FileRegistry store(copy.path());
    std::string error;
    ASSERT_EQ(StartupDiscovery::run(error, false), 2);
    GTestResponder r; // every key has its AdapterSeq: no message
    EXPECT_EQ(BaseAddressSync(*theAdapterLibrary(), store).run(), 3);

    EXPECT_EQ(baseMac(store, 0), "00-A0-CC-4E-1F-02");
    EXPECT_EQ(baseMac(store, 16), "00-A0-CC-4E-1F-02"); // reached as 0x16
    EXPECT_EQ(baseMac(store, 1), "00-A0-CC-4E-1F-03");
    EXPECT_EQ(baseMac(store, 64), std::nullopt); // beyond 0x63
    // Stored as text with its NUL.
    const auto key =
        store.open(Root::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\vxsrvnt1\\Parameters",
                   Access::Read);
    const auto value = key.query("Base_Mac_Address", 18);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, ValueType::Sz);
    EXPECT_EQ(value->data.size(), 18u);
    EXPECT_EQ(value->data.back(), 0);
}

TEST(BaseAddressSyncTest, DesktopNicsWriteNothing)
{
    test::SimulatedNics nics("desktop-only.json");
    StoreCopy copy("servers.reg");
    const std::string before = copy.text();
    {
        FileRegistry store(copy.path());
        std::string error;
        ASSERT_EQ(StartupDiscovery::run(error, false), 2);
        GTestResponder r;
        EXPECT_EQ(BaseAddressSync(*theAdapterLibrary(), store).run(), 0);
        EXPECT_EQ(store.rewriteCount(), 0);
    }
    EXPECT_EQ(copy.text(), before);
    EXPECT_TRUE(nics.calls("VX210CFG SelectCard").size() == 1); // only the start-up's
}

TEST(BaseAddressSyncTest, KeyWithoutAdapterSeqIsReportedOncePerServerNic)
{
    test::SimulatedNics nics("two-servers.json");
    StoreCopy copy("servers-no-sequence.reg");
    FileRegistry store(copy.path());
    std::string error;
    ASSERT_EQ(StartupDiscovery::run(error, false), 2);
    GTestResponder r;
    r.expect("R E G I S T R Y  C O R R U P T E D").expect("R E G I S T R Y  C O R R U P T E D");
    EXPECT_EQ(BaseAddressSync(*theAdapterLibrary(), store).run(), 3);
    EXPECT_EQ(baseMac(store, 2), std::nullopt);
    EXPECT_EQ(baseMac(store, 1), "00-A0-CC-4E-1F-03");
}
