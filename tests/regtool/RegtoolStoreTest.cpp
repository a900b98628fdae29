// SPDX-License-Identifier: MIT
// regtool against what happens to a store on a shared machine: writers killed
// at any moment, neighbours planting names, stores and lock files it may not
// use. Every refusal names the file and the reason.
#include "regtool/RegCommand.h"
#include "tests/common/RegistryTestUtil.h"
#include "tests/support/RunInChild.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace velnet::test;

namespace {

const char* const kStoreText = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane]\n"
                               "\"Kept\"=\"yes\"\n";

struct ToolRun
{
    int code = -1;
    std::string out, err;
};

ToolRun regtool(const std::vector<std::string>& args, const std::string& store)
{
    std::ostringstream out, err;
    ToolRun r;
    r.code = velnet::regtool::runRegCommand(args, store, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

std::vector<std::string> addNew(const std::string& key)
{
    return {"add", "HKLM\\SOFTWARE\\Corvane\\" + key, "/v", "Value", "/d", "set", "/f"};
}

pid_t startAdd(const std::string& store, const std::string& key)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const ToolRun r = regtool(addNew(key), store);
        ::_exit(r.code);
    }
    return child;
}

int waitFor(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

} // namespace

// An add of a value to a new key killed at random moments: the store always
// reads, and never holds the key without its value.
TEST(RegtoolStore, AnAddKilledAtAnyMomentLeavesTheKeyWithItsValueOrNeither)
{
    TempDir dir;
    const std::string store = dir.file("registry.reg");
    writeFile(store, kStoreText);
    // How long an add takes here, so that the kills fall all over it.
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(waitFor(startAdd(store, "Timing" + std::to_string(i))), 0);
    const auto oneAdd = (std::chrono::steady_clock::now() - start) / 5;

    std::mt19937 random(20240);
    std::uniform_int_distribution<long> moment(
        0, std::chrono::duration_cast<std::chrono::microseconds>(oneAdd).count() * 3 / 2);
    int orphans = 0, whole = 0, none = 0;
    for (int round = 0; round < 200; ++round) {
        const std::string key = "Killed" + std::to_string(round);
        const pid_t child = startAdd(store, key);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(child, SIGKILL);
        waitFor(child);
        const FlatStore now = flattenFile(store); // throws when the file does not parse
        const auto found = now.find("hkey_local_machine\\software\\corvane\\" +
                                    velnet::registry::toLowerAscii(key));
        if (found == now.end())
            ++none;
        else if (found->second.count("value"))
            ++whole;
        else
            ++orphans;
    }
    EXPECT_EQ(orphans, 0) << "keys without their value";
    EXPECT_GT(whole, 0) << "no add was let finish: the kills missed the add";
    EXPECT_GT(none, 0) << "every add finished: the kills missed the add";
}

// Names of temporary files cannot be guessed: a neighbour who plants every
// name the next writer could use by its process id does not stop it.
TEST(RegtoolStore, PlantedTemporaryNamesDoNotStopAWriter)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root: the neighbour is another user";
    const char* program = std::getenv("REGTOOL");
    ASSERT_NE(program, nullptr);
    TempDir dir;
    const std::string shared = makeSharedFolder(dir.path(), "shared");
    const std::string store = shared + "/registry.reg";
    writeFile(store, kStoreText);
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(go[1]);
        char ignored;
        (void)::read(go[0], &ignored, 1);
        ::setenv("VELNET_REGISTRY", store.c_str(), 1);
        ::execl(program, program, "add", "HKLM\\SOFTWARE\\Corvane\\New", "/v", "Value", "/d", "set",
                "/f", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(go[0]);
    const bool planted = asNobody([&] {
        for (int n = 0; n < 1000; ++n)
            writeFile(store + ".tmp." + std::to_string(child) + "." + std::to_string(n), "");
        return true;
    });
    ::close(go[1]);
    const int status = waitFor(child);
    ASSERT_TRUE(planted);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(
        flattenFile(store).at("hkey_local_machine\\software\\corvane\\new").at("value").data.size(),
        4u);
}

// A user who may not do what was asked learns which file is in the way and
// why; one who may not read the store is not told that a key is missing.
TEST(RegtoolStore, RefusalsNameTheFileAndTheReason)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root: the refused user is another one";
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string shared = makeSharedFolder(dir.path(), "shared");
    const std::string mine = dir.file("mine"); // nobody's folder with nobody's store
    ASSERT_EQ(::mkdir(mine.c_str(), 0755), 0);
    ASSERT_EQ(::chown(mine.c_str(), kNobody, kNoGroup), 0);
    const std::string closed = dir.file("closed"); // a folder nobody cannot search
    ASSERT_EQ(::mkdir(closed.c_str(), 0700), 0);
    const std::string rootsFolder = dir.file("roots"); // nobody's store in root's folder
    ASSERT_EQ(::mkdir(rootsFolder.c_str(), 0755), 0);

    const auto store = [](const std::string& path, uid_t owner, mode_t mode) {
        writeFile(path, kStoreText);
        return ::chown(path.c_str(), owner, owner == 0 ? 0 : kNoGroup) == 0 &&
               ::chmod(path.c_str(), mode) == 0;
    };
    const std::string lockLeft = mine + "/left.reg";
    const std::string linkAtLock = shared + "/linked.reg";
    const std::string folderAtLock = shared + "/folder.reg";
    const std::string rootOwned = shared + "/root.reg";
    const std::string inRootsFolder = rootsFolder + "/registry.reg";
    const std::string unsearchable = closed + "/registry.reg";
    ASSERT_TRUE(store(lockLeft, kNobody, 0644));
    writeFile(lockLeft + ".lock", "");
    ASSERT_EQ(::chmod((lockLeft + ".lock").c_str(), 0600), 0); // left by root
    ASSERT_TRUE(store(linkAtLock, kNobody, 0644));
    ASSERT_EQ(::symlink("/etc/passwd", (linkAtLock + ".lock").c_str()), 0);
    ASSERT_TRUE(store(folderAtLock, kNobody, 0644));
    ASSERT_EQ(::mkdir((folderAtLock + ".lock").c_str(), 0755), 0);
    ASSERT_TRUE(store(rootOwned, 0, 0644));
    ASSERT_TRUE(store(inRootsFolder, kNobody, 0644));
    ASSERT_TRUE(store(unsearchable, kNobody, 0644));

    const std::vector<std::string> add{"add", "HKLM\\SOFTWARE\\Corvane", "/v", "x", "/d", "1",
                                       "/f"};
    const struct
    {
        std::string store;
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {lockLeft, add,
         "ERROR: " + lockLeft +
             ".lock: cannot be locked: Permission denied (left by user 0: remove it while no "
             "program uses the store)\n"},
        {linkAtLock, add,
         "ERROR: " + linkAtLock +
             ".lock: cannot be locked: it is a symbolic link, not a plain "
             "file\n"},
        {folderAtLock, add,
         "ERROR: " + folderAtLock + ".lock: cannot be locked: it is a folder, not a plain file\n"},
        {rootOwned, add, "ERROR: " + rootOwned + ": cannot be written: Permission denied\n"},
        {inRootsFolder, add,
         "ERROR: " + inRootsFolder + ": cannot be written: Permission denied\n"},
        {unsearchable,
         {"query", "HKLM\\SOFTWARE\\Corvane"},
         "ERROR: " + unsearchable + ": cannot be read: Permission denied\n"},
    };
    for (const auto& c : cases) {
        const ChildReport r = runInChild([&](std::string& report) {
            if (!dropRoot(kNobody, kNoGroup))
                return kChildCannotRun;
            const ToolRun run = regtool(c.args, c.store);
            report = run.err;
            return run.code;
        });
        EXPECT_EQ(r.exitCode, 1) << c.store;
        EXPECT_EQ(r.output, c.message);
        EXPECT_EQ(readFile(c.store), kStoreText);
    }
}

TEST(RegtoolStore, UsageAndVersionNameTheTool)
{
    const ToolRun usage = regtool({"/?"}, "/nonexistent/registry.reg");
    EXPECT_EQ(usage.code, 0);
    EXPECT_TRUE(usage.out.starts_with("regtool Operation [Parameter List]\n")) << usage.out;
    EXPECT_EQ(usage.out.find("REG "), std::string::npos) << usage.out;
    EXPECT_EQ(regtool({"query", "/?"}, "/nonexistent/registry.reg").out, usage.out);

    const ToolRun version = regtool({"--version"}, "/nonexistent/registry.reg");
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("regtool (velnet) ") + VELNET_VERSION + "\n");
    EXPECT_EQ(version.err, "");
}
