// SPDX-License-Identifier: MIT
#include "regtool/RegCommand.h"
#include "tests/common/RegistryTestUtil.h"
#include "tests/support/LockHolder.h"
#include "tests/support/RunInChild.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace velnet::test;

namespace {

class RegtoolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        writeFile(store, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane]\n"
                         "@=\"default\"\n\"PromptForReboot\"=\"NO\"\n\"Count\"=dword:0000000a\n"
                         "\"Blob\"=hex:de,ad\n\"Multi\"=hex(7):61,00,62,00,00\n"
                         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Sub]\n\"x\"=\"1\"\n");
    }

    int run(std::vector<std::string> args)
    {
        out.str("");
        err.str("");
        return velnet::regtool::runRegCommand(args, store, out, err);
    }

    TempDir dir;
    std::string store = dir.file("registry.reg");
    std::ostringstream out, err;
};

} // namespace

TEST_F(RegtoolTest, QueryPrintsLikeReg)
{
    ASSERT_EQ(run({"query", "HKLM\\SOFTWARE\\Corvane"}), 0) << err.str();
    EXPECT_EQ(out.str(), "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\n"
                         "    (Default)    REG_SZ    default\n"
                         "    PromptForReboot    REG_SZ    NO\n"
                         "    Count    REG_DWORD    0xa\n"
                         "    Blob    REG_BINARY    DEAD\n"
                         "    Multi    REG_MULTI_SZ    a\\0b\n"
                         "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Sub\n\n");
    ASSERT_EQ(run({"QUERY", "hkey_local_machine\\software", "/s"}), 0);
    EXPECT_NE(
        out.str().find("\nHKEY_LOCAL_MACHINE\\software\\Corvane\\Sub\n    x    REG_SZ    1\n"),
        std::string::npos)
        << out.str();
    ASSERT_EQ(run({"query", "HKLM\\SOFTWARE\\Corvane", "/v", "count"}), 0);
    EXPECT_EQ(out.str(),
              "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\n    Count    REG_DWORD    0xa\n\n");
}

TEST_F(RegtoolTest, AddDeleteAndTheirTypes)
{
    EXPECT_EQ(
        run({"add", "HKLM\\SOFTWARE\\New\\Key", "/v", "n", "/t", "REG_DWORD", "/d", "0x10", "/f"}),
        0);
    EXPECT_EQ(out.str(), "The operation completed successfully.\n");
    EXPECT_EQ(run({"add", "HKLM\\SOFTWARE\\New\\Key", "/v", "b", "/t", "REG_BINARY", "/d", "0aff"}),
              0);
    EXPECT_EQ(run({"add", "HKLM\\SOFTWARE\\New\\Key", "/ve", "/d", "text"}), 0);
    EXPECT_EQ(run({"add", "HKLM\\SOFTWARE\\New\\Key", "/v", "e", "/t", "REG_EXPAND_SZ", "/d",
                   "%PATH%", "/f"}),
              0);
    EXPECT_EQ(run({"add", "HKLM\\SOFTWARE\\New\\Key", "/v", "m", "/t", "REG_MULTI_SZ", "/d",
                   "one\\0two", "/f"}),
              0);
    EXPECT_EQ(
        run({"add", "HKLM\\SOFTWARE\\New\\Key", "/v", "d", "/t", "REG_DWORD", "/d", "010", "/f"}),
        0);
    auto values = flattenFile(store).at("hkey_local_machine\\software\\new\\key");
    EXPECT_EQ(values.at("d").data, (std::vector<std::uint8_t>{10, 0, 0, 0})); // not octal
    EXPECT_EQ(values.at("n").data, (std::vector<std::uint8_t>{16, 0, 0, 0}));
    EXPECT_EQ(values.at("b").data, (std::vector<std::uint8_t>{0x0a, 0xff}));
    EXPECT_EQ(values.at("").data, (std::vector<std::uint8_t>{'t', 'e', 'x', 't', 0}));
    EXPECT_EQ(values.at("e").type, velnet::registry::ValueType::ExpandSz);
    EXPECT_EQ(values.at("m").data.size(), 9u);

    EXPECT_EQ(run({"delete", "HKLM\\SOFTWARE\\New\\Key", "/v", "n", "/f"}), 0);
    EXPECT_EQ(run({"delete", "HKLM\\SOFTWARE\\New\\Key", "/va", "/f"}), 0);
    EXPECT_TRUE(flattenFile(store).at("hkey_local_machine\\software\\new\\key").empty());
    EXPECT_EQ(run({"delete", "HKLM\\SOFTWARE\\New", "/f"}), 0);
    EXPECT_FALSE(flattenFile(store).count("hkey_local_machine\\software\\new"));
}

TEST_F(RegtoolTest, ImportAndExportMoveConfigurations)
{
    const std::string exported = dir.file("corvane.reg");
    ASSERT_EQ(run({"export", "hklm\\software\\CORVANE", exported}), 0) << err.str();
    EXPECT_NE(readFile(exported).find("\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Sub]\n"),
              std::string::npos);
    const auto before = flattenFile(store);

    writeFile(store, "REGEDIT4\n");
    ASSERT_EQ(run({"import", exported}), 0) << err.str();
    EXPECT_EQ(flattenFile(store).at("hkey_local_machine\\software\\corvane"),
              before.at("hkey_local_machine\\software\\corvane"));
    EXPECT_EQ(flattenFile(store).at("hkey_local_machine\\software\\corvane\\sub"),
              before.at("hkey_local_machine\\software\\corvane\\sub"));
}

TEST_F(RegtoolTest, ErrorsAreOneLineAndNonZero)
{
    struct Case
    {
        std::vector<std::string> args;
        std::string message;
    };
    writeFile(dir.file("bad.reg"), "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"\\x\"\n");
    const std::vector<Case> cases = {
        {{}, "ERROR: Invalid syntax. Type \"regtool /?\" for usage.\n"},
        {{"frobnicate"}, "ERROR: Invalid syntax. Type \"regtool /?\" for usage.\n"},
        {{"query"}, "ERROR: Invalid syntax. Type \"regtool query /?\" for usage.\n"},
        {{"query", "HKLM\\SOFTWARE\\Nothing"},
         "ERROR: The system was unable to find the specified registry key or value.\n"},
        {{"query", "HKLM\\SOFTWARE\\Corvane", "/v", "missing"},
         "ERROR: The system was unable to find the specified registry key or value.\n"},
        {{"query", "HKXX\\SOFTWARE"}, "ERROR: Invalid key name.\n"},
        {{"add", "HKLM\\SOFTWARE\\Corvane", "/v", "x", "/t", "REG_DWORD", "/d", "4294967296", "/f"},
         "ERROR: Invalid value for REG_DWORD: \"4294967296\".\n"},
        {{"add", "HKLM\\SOFTWARE\\Corvane", "/v", "x", "/t", "REG_DWORD", "/d", "-5", "/f"},
         "ERROR: Invalid value for REG_DWORD: \"-5\".\n"},
        {{"add", "HKLM\\SOFTWARE\\Corvane", "/v", "x", "/t", "REG_DWORD", "/d", "0x", "/f"},
         "ERROR: Invalid value for REG_DWORD: \"0x\".\n"},
        {{"add", "HKLM\\SOFTWARE\\Corvane", "/v", "x", "/t", "REG_FOO", "/d", "1"},
         "ERROR: Invalid type \"REG_FOO\".\n"},
        {{"add", "HKLM\\SOFTWARE\\Corvane", "/v"},
         "ERROR: Invalid syntax. Type \"regtool add /?\" for usage.\n"},
        {{"delete", "HKLM\\SOFTWARE\\Corvane", "/v", "nothing", "/f"},
         "ERROR: The system was unable to find the specified registry key or value.\n"},
        {{"import", dir.file("absent.reg")},
         "ERROR: " + dir.file("absent.reg") + ": cannot be read: No such file or directory\n"},
        {{"import", dir.file("bad.reg")},
         "ERROR: " + dir.file("bad.reg") + ":3: bad escape \"\\x\" in quoted text\n"},
        {{"export", "HKLM\\SOFTWARE\\Nothing", dir.file("x.reg")},
         "ERROR: The system was unable to find the specified registry key or value.\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.args), 1) << c.message;
        EXPECT_EQ(err.str(), c.message);
    }
}

TEST_F(RegtoolTest, ProgramUsesTheStoreOfTheEnvironment)
{
    const char* regtool = std::getenv("REGTOOL");
    ASSERT_NE(regtool, nullptr);
    const std::string command = "VELNET_REGISTRY='" + store + "' '" + regtool +
                                "' query 'HKLM\\SOFTWARE\\Corvane' /v Count > '" +
                                dir.file("out.txt") + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(readFile(dir.file("out.txt")),
              "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\n    Count    REG_DWORD    0xa\n\n");
    const std::string failing =
        "VELNET_REGISTRY='" + store + "' '" + regtool + "' query 'HKLM\\Nothing' > /dev/null 2>&1";
    EXPECT_NE(std::system(failing.c_str()), 0);
}

// What keeps the store from being used reaches the user with its reason: a
// store that is no file, and one another program keeps locked, which the tool
// waits for a few seconds only.
TEST_F(RegtoolTest, StoreProblemsAreReportedWithTheirReason)
{
    const std::string folder = dir.file("folder.reg");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    std::ostringstream o, e;
    EXPECT_EQ(velnet::regtool::runRegCommand({"query", "HKLM\\SOFTWARE"}, folder, o, e), 1);
    EXPECT_EQ(e.str(), "ERROR: " + folder + ": cannot be read: not a regular file (a folder)\n");

    LockHolder holder(store, true);
    ASSERT_TRUE(holder.held());
    const std::string before = readFile(store);
    const ChildReport r = runInChild(
        [&](std::string& report) {
            const auto start = std::chrono::steady_clock::now();
            const int code = run({"add", "HKLM\\SOFTWARE\\Corvane", "/v", "x", "/d", "1", "/f"});
            const auto waited = std::chrono::steady_clock::now() - start;
            report = err.str();
            if (code != 1)
                return 1;
            return waited >= std::chrono::seconds(2) && waited < std::chrono::seconds(15) ? 0 : 2;
        },
        40);
    EXPECT_EQ(r.exitCode, 0) << "1: the add did not fail, 2: it waited the wrong time";
    EXPECT_EQ(r.output, "ERROR: " + store +
                            ": the registry is in use by another program (process " +
                            std::to_string(holder.pid()) + ")\n");
    EXPECT_EQ(readFile(store), before);
    holder.release();
    EXPECT_EQ(run({"add", "HKLM\\SOFTWARE\\Corvane", "/v", "x", "/d", "1", "/f"}), 0) << err.str();
}

// 200,000 levels in 400 KB crashed every command, even a query.
TEST_F(RegtoolTest, AStoreNestedTooDeepIsReportedByEveryCommand)
{
    std::string text = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE";
    for (int i = 0; i < 200000; ++i)
        text += "\\k";
    text += "]\n";
    writeFile(store, text);
    const char* regtool = std::getenv("REGTOOL");
    ASSERT_NE(regtool, nullptr);
    for (const std::string& args : std::vector<std::string>{
             "query 'HKLM' /s", "add 'HKLM\\SOFTWARE' /v x /d 1 /f", "delete 'HKLM\\k' /f",
             "export 'HKLM\\k' '" + dir.file("x.reg") + "'"}) {
        const std::string command = "VELNET_REGISTRY='" + store + "' '" + regtool + "' " + args +
                                    " > /dev/null 2> '" + dir.file("err.txt") + "'";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << args;
        EXPECT_EQ(WEXITSTATUS(status), 1) << args;
        EXPECT_EQ(readFile(dir.file("err.txt")),
                  "ERROR: " + store + ":3: the key is nested more than 512 levels deep\n")
            << args;
    }
    EXPECT_EQ(readFile(store), text);
}
