// SPDX-License-Identifier: MIT
#include "nicsetup/ConfigLoader.h"
#include "nicsetup/ConfigSaver.h"
#include "nicsetup/Tables.h"
#include "tests/nicsetup/HiveTestSupport.h"
#include "tests/support/ExpectedBox.h"
#include "tests/support/GTestResponder.h"
#include "tests/support/RunInChild.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace velnet::nicsetup;
using namespace velnet::nicsetup::test;
using namespace velnet::registry;
using namespace velnet::test;
using namespace velnet::ui;
using Role = ConfigSaver::Role;

namespace {

const char* const kParametersMissing =
    "Registry is Corrupted.\n Remove all Velnet Resources and re-install";
const char* const kNetworkCardMissing =
    " Registry is Corrupted.\n Remove all Velnet Instances and re-install";

void load(TestStore& store)
{
    ASSERT_EQ(ConfigLoader(store.registry()).load(), LoadResult::Loaded);
}

void expectStoreEquals(const TestStore& store, const std::string& expectedFixture)
{
    const auto diff =
        differences(snapshotOf(fixtureText(expectedFixture)), snapshotOf(store.text()));
    for (const auto& line : diff)
        ADD_FAILURE() << line;
}

std::string valueText(TestStore& store, const std::string& path, const char* name)
{
    const auto key = store.registry().open(Root::LocalMachine, path, Access::Read);
    return key.queryString(name, 1000).value_or("<missing>");
}

std::string parameters(std::uint32_t n)
{
    return "SYSTEM\\CurrentControlSet\\Services\\vxsrvnt" + std::to_string(n) + "\\Parameters";
}

std::string networkCard(std::uint32_t n)
{
    return "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\" + std::to_string(n);
}

// A store whose group commit fails, as when the disk is full.
class FailingStore : public velnet::registry::FileRegistry
{
public:
    using FileRegistry::FileRegistry;
    Status commitGroup() override
    {
        FileRegistry::abandonGroup();
        return Status::IoError;
    }
};

} // namespace

// --- The three modes, whole stores compared --------------------------------------

TEST(SaveGolden, EachModeWritesAndDeletesItsValues)
{
    TestStore store(fixtureText("save-modes.reg"));
    GTestResponder responder;
    load(store);
    EXPECT_TRUE(ConfigSaver(store.registry()).save());
    expectStoreEquals(store, "save-modes.expected.reg");
    EXPECT_EQ(store.registry().rewriteCount(), 1);
}

TEST(SaveGolden, StandAloneAdaptersLoseTheirFailoverValues)
{
    TestStore store(fixtureText("save-standalone.reg"));
    GTestResponder responder;
    load(store);
    EXPECT_TRUE(ConfigSaver(store.registry()).save());
    expectStoreEquals(store, "save-standalone.expected.reg");
}

TEST(SaveGolden, MissingKeysSkipWhatTheirMessagesSay)
{
    TestStore store(fixtureText("save-failures.reg"));
    GTestResponder responder;
    load(store);
    ASSERT_EQ(store.registry().deleteKey(Root::LocalMachine, parameters(0)), Status::Success);
    const std::string before = store.text();
    // Nothing reaches the file while the save runs: a crash at any box
    // leaves the old configuration whole.
    for (const char* text : {kParametersMissing, kNetworkCardMissing, kNetworkCardMissing}) {
        auto box = nicsetupBox(text);
        box.onShow = [&] { EXPECT_EQ(store.text(), before); };
        responder.expect(box);
    }
    const int rewrites = store.registry().rewriteCount();
    EXPECT_TRUE(ConfigSaver(store.registry()).save());
    EXPECT_EQ(store.registry().rewriteCount(), rewrites + 1);
    expectStoreEquals(store, "save-failures.expected.reg");
}

// --- In memory ---------------------------------------------------------------------

TEST(SaveRecords, AdapterNumbersAreRecomputedAndVlanOffClearsIds)
{
    TestStore store(fixtureText("save-modes.reg"));
    GTestResponder responder;
    load(store);
    EXPECT_EQ(ETHCard[0].PRIMARYADAPTERNUMBER, 3u) << "as loaded";
    ASSERT_TRUE(ConfigSaver(store.registry()).save());
    EXPECT_EQ(ETHCard[0].PRIMARYADAPTERNUMBER, NO_ADAPTER);
    EXPECT_EQ(ETHCard[0].BACKUPADAPTERNUMBER, 2u);
    EXPECT_EQ(ETHCard[1].PRIMARYADAPTERNUMBER, 1u);
    EXPECT_EQ(ETHCard[1].BACKUPADAPTERNUMBER, NO_ADAPTER);
    EXPECT_EQ(ETHCard[3].VlanTable[0].VLANID, NO_ADAPTER);
    EXPECT_EQ(ETHCard[3].VlanTable[1].VLANID, NO_ADAPTER);
    EXPECT_EQ(ETHCard[2].VlanTable[0].VLANID, 1u) << "VLAN mode keeps its ids";
    EXPECT_EQ(ETHCard[2].VlanTable[1].VLANID, 2u);
}

TEST(SaveRecords, EditedValuesReachEveryInstanceOfTheAdapter)
{
    TestStore store(fixtureText("save-modes.reg"));
    GTestResponder responder;
    load(store);
    ETHCard[2].SamplingWindow = 1234;
    setText(ETHCard[2].SelfCheckLevel, "Maximum");
    setText(ETHCard[0].ErrorTolerance, "None");
    ASSERT_TRUE(ConfigSaver(store.registry()).save());
    for (const std::uint32_t n : {4u, 5u}) {
        const auto key = store.registry().open(Root::LocalMachine, parameters(n), Access::Read);
        EXPECT_EQ(key.queryDword("SamplingWindow"), 1234u) << n;
        EXPECT_EQ(key.queryString("SelfCheckLevel", 20), "Maximum") << n;
        // A text is stored with its NUL.
        EXPECT_EQ(key.query("SelfCheckLevel", 20)->data.size(), 8u);
    }
    EXPECT_EQ(valueText(store, parameters(0), "ErrorTolerance"), "None");
}

// --- Roles from the relation matrix ------------------------------------------------

class SaveRoles : public ::testing::Test
{
protected:
    void SetUp() override { clearTables(); }
};

TEST_F(SaveRoles, RowMeansBackupColumnMeansPrimary)
{
    RL_INFO[4][2] = 1;
    EXPECT_EQ(ConfigSaver::assignRole(2), Role::Primary);
    EXPECT_EQ(ETHCard[2].BACKUPADAPTERNUMBER, 5u);
    EXPECT_EQ(ETHCard[2].PRIMARYADAPTERNUMBER, NO_ADAPTER);
    EXPECT_EQ(ConfigSaver::assignRole(4), Role::Backup);
    EXPECT_EQ(ETHCard[4].PRIMARYADAPTERNUMBER, 3u);
    EXPECT_EQ(ETHCard[4].BACKUPADAPTERNUMBER, NO_ADAPTER);
    ETHCard[7].PRIMARYADAPTERNUMBER = 3;
    EXPECT_EQ(ConfigSaver::assignRole(7), Role::StandAlone);
    EXPECT_EQ(ETHCard[7].PRIMARYADAPTERNUMBER, NO_ADAPTER);
    EXPECT_EQ(ETHCard[7].BACKUPADAPTERNUMBER, NO_ADAPTER);
}

TEST_F(SaveRoles, LowestMarkWinsAndBackupOutranksALaterPrimaryMark)
{
    RL_INFO[3][9] = 1;
    RL_INFO[3][6] = 1;
    RL_INFO[8][3] = 1; // index 3 is also the primary of index 8
    EXPECT_EQ(ConfigSaver::assignRole(3), Role::Backup);
    EXPECT_EQ(ETHCard[3].PRIMARYADAPTERNUMBER, 7u);
    RL_INFO[0][3] = 1; // ... and of index 0, which is looked at first
    EXPECT_EQ(ConfigSaver::assignRole(3), Role::Primary);
    EXPECT_EQ(ETHCard[3].BACKUPADAPTERNUMBER, 1u);
}

// --- Failures ----------------------------------------------------------------------

TEST(SaveFailures, PlainAdapterWithoutParametersIsSkippedAlone)
{
    HiveBuilder hive;
    hive.key("SOFTWARE\\Corvane").key("SYSTEM\\CurrentControlSet\\Services\\vxsrvnt");
    hive.instance(0, 1).dword("Vlan_op", 0).networkCard(0);
    hive.instance(1, 2).dword("Vlan_op", 0).networkCard(1);
    TestStore store(hive.str());
    GTestResponder responder;
    load(store);
    ASSERT_EQ(store.registry().deleteKey(Root::LocalMachine, parameters(0)), Status::Success);
    responder.expect(nicsetupBox(kParametersMissing));
    EXPECT_TRUE(ConfigSaver(store.registry()).save());
    EXPECT_EQ(valueText(store, networkCard(0), "Title"), "<missing>");
    EXPECT_EQ(valueText(store, networkCard(1), "Title"), "[1] Corvane Velnet XL Server : VX410");
    EXPECT_EQ(valueText(store, "SOFTWARE\\Corvane", "PromptForReboot"), "YES");
}

TEST(SaveFailures, StoreThatCannotBeWrittenKeepsTheDialogOpen)
{
    velnet::test::TempDir dir;
    const std::string file = dir.file("registry.reg");
    const std::string original = fixtureText("save-modes.reg");
    velnet::test::writeFile(file, original);
    FailingStore store(file);
    GTestResponder responder;
    ASSERT_EQ(ConfigLoader(store).load(), LoadResult::Loaded);
    responder.expect(nicsetupBox("The configuration could not be saved; the registry is unchanged.",
                                 Buttons::Ok, Icon::Error));
    EXPECT_FALSE(ConfigSaver(store).save());
    EXPECT_EQ(velnet::test::readFile(file), original);
    EXPECT_EQ(store.rewriteCount(), 0);
    // What the store shows afterwards is the file, not the abandoned writes.
    const auto key = store.open(Root::LocalMachine, networkCard(0), Access::Read);
    EXPECT_EQ(key.queryString("Title", 100), "old title 0");
}

namespace {

const char* const kNotSaved = "The configuration could not be saved; the registry is unchanged.\n";

// In a child process: loads `file`, lets `between` spoil the store, saves,
// and reports what differs from one error box with `reason`.
int loadSpoilAndSave(const std::string& file, const std::function<void()>& between,
                     const std::string& reason, std::string& report)
{
    ScriptedResponder responder([&](const std::string& m) { report += m + "\n"; });
    velnet::registry::FileRegistry store(file);
    if (ConfigLoader(store).load() != LoadResult::Loaded)
        return 2;
    between();
    responder.expect(nicsetupBox(kNotSaved + reason, Buttons::Ok, Icon::Error));
    const bool saved = ConfigSaver(store).save();
    responder.verify();
    return saved ? 1 : 0;
}

} // namespace

// The store can no longer be written when the user saves: one box with the
// true reason instead of one "Registry is Corrupted" per key, nothing
// written, and the dialog stays open.
TEST(SaveFailures, StoreMadeUnwritableAfterTheLoadIsToldOnceWithItsReason)
{
    velnet::test::TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string folder = dir.file("store");
    const std::string file = folder + "/registry.reg";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string original = fixtureText("save-modes.reg");
    velnet::test::writeFile(file, original);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(folder.c_str(), kNobody, kNoGroup), 0);
        ASSERT_EQ(::chown(file.c_str(), kNobody, kNoGroup), 0);
    }
    const ChildReport r = runInChild([&](std::string& report) {
        // Root may write anything: the user of this check is an ordinary one.
        if (root && !dropRoot(kNobody, kNoGroup))
            return kChildCannotRun;
        return loadSpoilAndSave(
            file,
            [&] {
                ::chmod(file.c_str(), 0444);
                ::chmod(folder.c_str(), 0555);
            },
            file + ": cannot be written: Permission denied", report);
    });
    ::chmod(folder.c_str(), 0755);
    ASSERT_NE(r.exitCode, kChildCannotRun) << "cannot become nobody";
    EXPECT_EQ(r.exitCode, 0) << "2: the load failed, 1: the save said it saved";
    EXPECT_EQ(r.output, "");
    EXPECT_EQ(velnet::test::readFile(file), original);
}

// A full disk at the commit: the save's message carries the system's reason.
TEST(SaveFailures, FullDiskIsToldWithTheSystemsReason)
{
    velnet::test::TempDir dir;
    const std::string folder = dir.file("small");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string file = folder + "/registry.reg";
    const std::string original = fixtureText("save-modes.reg");
    const ChildReport r = runInChild([&](std::string& report) {
        if (auto why = mountPrivateTmpfs(folder, 64 * 1024)) {
            report = *why;
            return kChildCannotRun;
        }
        velnet::test::writeFile(file, original);
        // Fill what is left, so that the new file cannot be written beside the old.
        const int filler = ::open((folder + "/filler").c_str(), O_WRONLY | O_CREAT, 0644);
        const std::string block(4096, 'f');
        while (::write(filler, block.data(), block.size()) > 0) {
        }
        ::close(filler);
        const int code = loadSpoilAndSave(
            file, [] {}, file + ": cannot be written: No space left on device", report);
        report += velnet::test::readFile(file) == original ? "unchanged" : "changed";
        return code;
    });
    if (r.exitCode == kChildCannotRun)
        GTEST_SKIP() << "no small file system to fill: " << r.output;
    EXPECT_EQ(r.exitCode, 0) << "2: the load failed, 1: the save said it saved";
    EXPECT_EQ(r.output, "unchanged");
}
