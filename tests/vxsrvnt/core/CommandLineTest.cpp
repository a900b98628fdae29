// SPDX-License-Identifier: MIT
#include "vxsrvnt/cli/CommandLine.h"

#include "tests/support/RunInChild.h"
#include "tests/vxsrvnt/core/CoreTestSupport.h"
#include "vxsrvnt/cli/Commands.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace velnet::vxsrvnt {
namespace {

using Command = CommandLine::Command;

struct Accepted
{
    std::vector<std::string> arguments;
    Command command;
    std::vector<std::string> operands;
    std::string store;
};

const Accepted kAccepted[] = {
    {{"run"}, Command::Run, {}, ""},
    {{"--store", "/s.reg", "status", "--json"}, Command::Status, {}, "/s.reg"},
    {{"install", "--store=/x.reg"}, Command::Install, {}, "/x.reg"},
    {{"apply", "--force"}, Command::Apply, {}, ""},
    {{"pair", "eth0", "2", "--failure-count", "3"}, Command::Pair, {"eth0", "2"}, ""},
    {{"unpair", "eth1"}, Command::Unpair, {"eth1"}, ""},
    {{"vlan", "add", "eth0", "10", "sales", "--address", "02:00:00:00:00:01"},
     Command::VlanAdd,
     {"eth0", "10", "sales"},
     ""},
    {{"vlan", "remove", "1", "sales"}, Command::VlanRemove, {"1", "sales"}, ""},
    {{"remove-links"}, Command::RemoveLinks, {}, ""},
    {{"status", "--help"}, Command::Help, {}, ""},
};

TEST(CommandLine, Accepts)
{
    for (const Accepted& c : kAccepted) {
        const auto line = parseCommandLine(c.arguments);
        ASSERT_TRUE(line.ok()) << c.arguments[0] << ": " << line.error();
        EXPECT_EQ(line->command, c.command) << c.arguments[0];
        if (c.command == Command::Help)
            continue;
        EXPECT_EQ(line->operands, c.operands) << c.arguments[0];
        EXPECT_EQ(line->store, c.store) << c.arguments[0];
    }
}

TEST(CommandLine, PairOptionsBecomeTheStoredTexts)
{
    const auto line = parseCommandLine({"pair", "1", "2", "--preferred-nic", "on",
                                        "--switch-forever=on", "--alternate-checking", "off",
                                        "--diagnostic-packets", "off", "--failure-count", "7"});
    ASSERT_TRUE(line.ok()) << line.error();
    EXPECT_EQ(line->failover.preferredNic, "Enabled");
    EXPECT_EQ(line->failover.nicSwitchForever, "Enabled");
    EXPECT_EQ(line->failover.alternateNicChecking, "Disabled");
    EXPECT_EQ(line->failover.nicDiagnosticPackets, "Disabled");
    EXPECT_EQ(line->failover.failureCount, 7u);
}

struct Refused
{
    std::vector<std::string> arguments;
    const char* message;
};

const Refused kRefused[] = {
    {{}, "no command given"},
    {{"start"}, "unknown command \"start\""},
    {{"vlan", "list"}, "unknown command \"vlan list\""},
    {{"pair", "eth0"}, "pair takes PRIMARY BACKUP"},
    {{"status", "eth0"}, "status takes no operands"},
    {{"vlan", "add", "eth0", "10"}, "vlan add takes NIC ID NAME"},
    {{"apply", "--json"}, "--json does not go with apply"},
    {{"status", "--force"}, "--force does not go with status"},
    {{"unpair", "1", "--address", "x"}, "--address does not go with unpair"},
    {{"status", "--colour"}, "unknown option --colour"},
    {{"pair", "1", "2", "--preferred-nic", "yes"}, "--preferred-nic takes on or off, not \"yes\""},
    {{"pair", "1", "2", "--failure-count", "3x"}, "--failure-count takes a number, not \"3x\""},
    {{"install", "--store"}, "--store needs a value"},
};

TEST(CommandLine, RefusesWithTheReason)
{
    for (const Refused& c : kRefused) {
        const auto line = parseCommandLine(c.arguments);
        ASSERT_FALSE(line.ok()) << c.message;
        EXPECT_EQ(line.error(), c.message);
    }
}

// An edit by a user who may read the store but not write it ends with the
// store's own status and message, and leaves the store as it was.
TEST(Commands, AnEditOfAStoreTheUserCannotWriteEndsWithTheStoresStatus)
{
    test::InstalledStore installed;
    const std::string path = installed.store.path();
    const std::string before = installed.store.text();
    const std::string folder = std::filesystem::path(path).parent_path().string();
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0); // readable by all, writable by root
    const auto child = velnet::test::runInChild([&](std::string& report) {
        if (!velnet::test::dropRoot(velnet::test::kNobody, velnet::test::kNoGroup))
            return velnet::test::kChildCannotRun;
        std::ostringstream out, err;
        const int status =
            Commands(*parseCommandLine({"--store", path, "unpair", "1"}), out, err).execute();
        report = err.str();
        return status;
    });
    if (child.exitCode == velnet::test::kChildCannotRun)
        GTEST_SKIP() << "only root can run this as another user";
    EXPECT_EQ(child.exitCode, kExitNoStore);
    EXPECT_EQ(child.output, "vxsrvnt: cannot write the store: " + path +
                                ": cannot be written: Permission denied\n");
    EXPECT_EQ(installed.store.text(), before);
}

} // namespace
} // namespace velnet::vxsrvnt
