// SPDX-License-Identifier: MIT
#include "common/registry/FileRegistry.h"
#include "tests/common/RegistryTestUtil.h"
#include "tests/support/TempDir.h"

#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velnet::registry;
using namespace velnet::test;

namespace {

const char* kParams = "SYSTEM\\CurrentControlSet\\Services\\vxsrvnt1\\Parameters";

class FileRegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        writeFile(path, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\"
                        "vxsrvnt1\\Parameters]\n"
                        "\"s17\"=\"12345678901234567\"\n"
                        "\"s18\"=\"123456789012345678\"\n"
                        "\"dw\"=dword:0000000a\n"
                        "\"four\"=\"abc\"\n"
                        "\"b\"=hex:01,02\n"
                        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\vxsrvnt2]\n");
    }

    TempDir dir;
    std::string path = dir.file("registry.reg");
};

} // namespace

TEST_F(FileRegistryTest, ReadLimitDecidesWhatIsMissing)
{
    FileRegistry reg(path);
    Key key = reg.open(Root::LocalMachine, kParams, Access::Full);
    ASSERT_TRUE(key);
    // 17 characters and the NUL fit in 18 bytes; 18 characters do not.
    EXPECT_EQ(key.queryString("s17", 18), "12345678901234567");
    EXPECT_FALSE(key.queryString("s18", 18));
    EXPECT_EQ(key.queryString("s18", 19), "123456789012345678");
    EXPECT_EQ(key.queryDword("dw"), 10u);
    // The type is not checked: a text of at most 4 bytes reads as a number, a longer one is
    // missing.
    EXPECT_EQ(key.queryDword("four"), 0x00636261u);
    EXPECT_FALSE(key.queryDword("s17"));
    EXPECT_EQ(key.queryDword("b"), 0x0201u);
    EXPECT_FALSE(key.queryDword("absent"));
    auto v = key.query("DW", 4);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, ValueType::Dword);
}

TEST_F(FileRegistryTest, NamesIgnoreCaseAndEnumerationKeepsOrder)
{
    FileRegistry reg(path);
    Key services =
        reg.open(Root::LocalMachine, "system\\currentcontrolset\\SERVICES", Access::Read);
    ASSERT_TRUE(services);
    EXPECT_EQ(services.enumKey(0), "vxsrvnt1");
    EXPECT_EQ(services.enumKey(1), "vxsrvnt2");
    EXPECT_FALSE(services.enumKey(2));
    Key key = reg.open(Root::LocalMachine,
                       "System\\CurrentControlSet\\Services\\VXSRVNT1\\parameters", Access::Full);
    ASSERT_TRUE(key);
    EXPECT_EQ(key.enumValue(0), "s17");
    EXPECT_EQ(key.enumValue(4), "b");
    EXPECT_FALSE(key.enumValue(5));
    EXPECT_EQ(key.setDword("DW", 7), Status::Success);
    EXPECT_EQ(key.enumValue(2), "dw"); // replaced in place, name as first stored
    EXPECT_EQ(key.deleteValue("S17"), Status::Success);
    EXPECT_EQ(key.deleteValue("s17"), Status::NotFound);
    EXPECT_EQ(key.enumValue(0), "s18");
    EXPECT_FALSE(reg.open(Root::LocalMachine, "SYSTEM\\nothing", Access::Read));
    Status s;
    EXPECT_FALSE(reg.open(Root::CurrentUser, kParams, Access::Read, &s));
    EXPECT_EQ(s, Status::NotFound);
}

TEST_F(FileRegistryTest, NamesWithLineBreaksAreRefusedAndTheStoreStaysReadable)
{
    FileRegistry reg(path);
    Key key = reg.open(Root::LocalMachine, kParams, Access::Full);
    EXPECT_EQ(key.setDword("two\nlines", 1), Status::InvalidName);
    Status s;
    EXPECT_FALSE(reg.create(Root::LocalMachine, "SOFTWARE\bad\rkey", Access::Full, &s));
    EXPECT_EQ(s, Status::InvalidName);
    EXPECT_EQ(key.setDword("fine", 1), Status::Success);
    FileRegistry again(path);
    EXPECT_EQ(again.errorText(), "");
    EXPECT_EQ(again.open(Root::LocalMachine, kParams, Access::Read).queryDword("fine"), 1u);
}

TEST_F(FileRegistryTest, ReadHandleCannotWrite)
{
    FileRegistry reg(path);
    Key key = reg.open(Root::LocalMachine, kParams, Access::Read);
    EXPECT_EQ(key.setDword("x", 1), Status::AccessDenied);
    EXPECT_EQ(key.deleteValue("dw"), Status::AccessDenied);
}

TEST_F(FileRegistryTest, EveryWriteReachesTheFileAndOtherContentIsKept)
{
    {
        FileRegistry reg(path);
        Key key = reg.create(Root::LocalMachine, "SOFTWARE\\Corvane", Access::Full);
        ASSERT_TRUE(key);
        EXPECT_EQ(key.setString("PromptForReboot", "YES"), Status::Success);
        EXPECT_EQ(reg.rewriteCount(), 2); // the new key, then the value
    }
    const FlatStore store = flattenFile(path);
    EXPECT_EQ(store.at("hkey_local_machine\\software\\corvane").at("promptforreboot").data,
              (std::vector<std::uint8_t>{'Y', 'E', 'S', 0}));
    const auto& params = store.at(toLowerAscii(std::string("HKEY_LOCAL_MACHINE\\") + kParams));
    EXPECT_EQ(params.size(), 5u);
    EXPECT_EQ(params.at("b").type, ValueType::Binary);
}

TEST_F(FileRegistryTest, GroupIsOneRewriteOrNothing)
{
    FileRegistry reg(path);
    {
        WriteGroup group(reg);
        Key key = reg.open(Root::LocalMachine, kParams, Access::Full);
        for (int i = 0; i < 100; ++i)
            ASSERT_EQ(key.setDword("v" + std::to_string(i), static_cast<std::uint32_t>(i)),
                      Status::Success);
        EXPECT_EQ(key.queryDword("v42"), 42u); // the group's writes are visible to its reader
        EXPECT_EQ(reg.rewriteCount(), 0);
        EXPECT_EQ(group.commit(), Status::Success);
    }
    EXPECT_EQ(reg.rewriteCount(), 1);
    EXPECT_EQ(
        flattenFile(path).at(toLowerAscii(std::string("HKEY_LOCAL_MACHINE\\") + kParams)).size(),
        105u);
    {
        WriteGroup group(reg);
        Key key = reg.open(Root::LocalMachine, kParams, Access::Full);
        EXPECT_EQ(key.setDword("abandoned", 1), Status::Success);
        EXPECT_EQ(key.deleteValue("dw"), Status::Success);
    } // not committed
    Key key = reg.open(Root::LocalMachine, kParams, Access::Read);
    EXPECT_FALSE(key.queryDword("abandoned"));
    EXPECT_EQ(key.queryDword("dw"), 10u);
    EXPECT_EQ(reg.rewriteCount(), 1);
}

TEST_F(FileRegistryTest, ChangesOfAnotherWriterAreSeenAndKept)
{
    FileRegistry first(path);
    FileRegistry second(path);
    Key a = first.open(Root::LocalMachine, kParams, Access::Full);
    ASSERT_EQ(a.setString("fromFirst", "1"), Status::Success);
    Key b = second.open(Root::LocalMachine, kParams, Access::Full);
    EXPECT_EQ(b.queryString("fromFirst", 10), "1");
    {
        WriteGroup group(second);
        ASSERT_EQ(b.setString("fromSecond", "2"), Status::Success);
        // The first writes while the second's group is open: neither is lost.
        ASSERT_EQ(a.setString("alsoFirst", "3"), Status::Success);
        EXPECT_EQ(group.commit(), Status::Success);
    }
    const auto values =
        flattenFile(path).at(toLowerAscii(std::string("HKEY_LOCAL_MACHINE\\") + kParams));
    EXPECT_TRUE(values.count("fromfirst"));
    EXPECT_TRUE(values.count("fromsecond"));
    EXPECT_TRUE(values.count("alsofirst"));
}

TEST_F(FileRegistryTest, MalformedStoreIsReportedAndNeverOverwritten)
{
    const std::string bad = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:zz\n";
    writeFile(path, bad);
    FileRegistry reg(path);
    Status s;
    EXPECT_FALSE(reg.open(Root::LocalMachine, "A", Access::Read, &s));
    EXPECT_EQ(s, Status::Corrupt);
    EXPECT_EQ(reg.errorText(), path + ":4: bad hex byte \"zz\"");
    EXPECT_FALSE(reg.create(Root::LocalMachine, "B", Access::Full, &s));
    EXPECT_EQ(s, Status::Corrupt);
    EXPECT_EQ(reg.deleteKey(Root::LocalMachine, "A"), Status::Corrupt);
    EXPECT_EQ(readFile(path), bad);
}

// Checked in a child that gives up root, since root may write any file.
TEST_F(FileRegistryTest, UnwritableStoreRefusesFullAccessButReads)
{
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(10);
        FileRegistry reg(path);
        Status s;
        if (reg.open(Root::LocalMachine, kParams, Access::Full, &s) || s != Status::AccessDenied)
            ::_exit(11);
        if (reg.open(Root::LocalMachine, kParams, Access::SetValue, &s) ||
            s != Status::AccessDenied)
            ::_exit(12);
        Key key = reg.open(Root::LocalMachine, kParams, Access::Read, &s);
        if (!key || key.queryDword("dw") != 10u)
            ::_exit(13);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: cannot drop root, 11/12: a write access was "
                                         "granted, 13: reading failed";
}

TEST_F(FileRegistryTest, ReadOnlyFolderRefusesFullAccessEvenForRoot)
{
    // A store on a read-only medium: /proc is one every machine has.
    FileRegistry reg("/proc/velnet-registry.reg");
    Status s;
    EXPECT_FALSE(reg.create(Root::LocalMachine, "A", Access::Full, &s));
    EXPECT_EQ(s, Status::AccessDenied);
}

// A child commits groups that set ten values to the same number; it is
// killed at random moments. The file must always load, and never mix two groups.
TEST_F(FileRegistryTest, KilledWriterLeavesOldOrNewFileWhole)
{
    std::mt19937 random(12345);
    for (int round = 0; round < 25; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            FileRegistry reg(path);
            // Killed at any moment: what the file holds afterwards is checked
            // below, not the results of the writes.
            for (std::uint32_t n = 1;; ++n) {
                WriteGroup group(reg);
                Key key = reg.open(Root::LocalMachine, kParams, Access::Full);
                for (int i = 0; i < 10; ++i)
                    (void)key.setDword("g" + std::to_string(i), n);
                (void)group.commit();
            }
        }
        ::usleep(1000 + random() % 20000);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        FlatStore store;
        ASSERT_NO_THROW(store = flattenFile(path)) << "round " << round;
        const auto& values = store.at(toLowerAscii(std::string("HKEY_LOCAL_MACHINE\\") + kParams));
        if (!values.count("g0"))
            continue; // killed before the first commit
        for (int i = 1; i < 10; ++i)
            EXPECT_EQ(values.at("g" + std::to_string(i)).data, values.at("g0").data)
                << "round " << round;
    }
}

TEST_F(FileRegistryTest, TwoProcessesWritingAtOnceLoseNothing)
{
    constexpr int kWrites = 500;
    std::vector<pid_t> children;
    for (const char* prefix : {"a", "b"}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            FileRegistry reg(path);
            for (int i = 0; i < kWrites; ++i) {
                Key key = reg.open(Root::LocalMachine, kParams, Access::Full);
                if (!key || key.setDword(prefix + std::to_string(i),
                                         static_cast<std::uint32_t>(i)) != Status::Success)
                    ::_exit(1);
            }
            ::_exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const auto values =
        flattenFile(path).at(toLowerAscii(std::string("HKEY_LOCAL_MACHINE\\") + kParams));
    for (int i = 0; i < kWrites; ++i) {
        EXPECT_TRUE(values.count("a" + std::to_string(i))) << i;
        EXPECT_TRUE(values.count("b" + std::to_string(i))) << i;
    }
}

TEST(FileRegistryLocation, EnvironmentNamesTheStore)
{
    const char* saved = std::getenv("VELNET_REGISTRY");
    const std::string original = saved ? saved : "";
    ::setenv("VELNET_REGISTRY", "/tmp/somewhere.reg", 1);
    EXPECT_EQ(FileRegistry::defaultPath(), "/tmp/somewhere.reg");
    ::unsetenv("VELNET_REGISTRY");
    EXPECT_EQ(FileRegistry::defaultPath(), "/var/lib/velnet/registry.reg");
    if (saved)
        ::setenv("VELNET_REGISTRY", original.c_str(), 1);
}
