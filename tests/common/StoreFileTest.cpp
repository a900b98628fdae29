// SPDX-License-Identifier: MIT
// The store under files that are not what they should be: held locks, links,
// other owners, devices, pipes, folders, full disks and leftovers of killed
// writers.
#include "common/registry/FileRegistry.h"
#include "tests/common/RegistryTestUtil.h"
#include "tests/support/LockHolder.h"
#include "tests/support/RunInChild.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velnet::registry;
using namespace velnet::test;
using namespace std::chrono_literals;

namespace {

const char* const kKey = "SOFTWARE\\Corvane";
const char* const kStoreText = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane]\n"
                               "\"Kept\"=\"yes\"\n";

std::string valueIn(const std::string& file, const char* name)
{
    const auto store = flattenFile(file);
    const auto key = store.find("hkey_local_machine\\software\\corvane");
    if (key == store.end() || !key->second.count(name))
        return "<missing>";
    const auto& data = key->second.at(name).data;
    std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
}

Status setText(FileRegistry& reg, const char* name, const std::string& text)
{
    Status s;
    Key key = reg.create(Root::LocalMachine, kKey, Access::Full, &s);
    if (!key)
        return s;
    return key.setString(name, text, false);
}

class StoreFileTest : public ::testing::Test
{
protected:
    void SetUp() override { writeFile(path, kStoreText); }

    TempDir dir;
    std::string path = dir.file("registry.reg");
};

} // namespace

// A writer gives up after its wait and says who holds the store; once the
// holder is gone the same object writes again.
TEST_F(StoreFileTest, HeldLockFailsAfterTheWaitAndNamesTheHolder)
{
    for (const bool ofOurs : {true, false}) {
        SCOPED_TRACE(ofOurs ? "held by a program of ours" : "held by a foreign program");
        const std::string before = readFile(path);
        LockHolder holder(path, ofOurs);
        ASSERT_TRUE(holder.held());
        const std::string expected =
            path + ": the registry is in use by another program" +
            (ofOurs ? " (process " + std::to_string(holder.pid()) + ")" : std::string());

        // In a child, so that a writer that waits forever fails instead of hanging.
        const ChildReport blocked = runInChild(
            [&](std::string& report) {
                FileRegistry reg(path);
                reg.setLockWait(400ms);
                const auto start = std::chrono::steady_clock::now();
                const Status s = setText(reg, "New", "1");
                const auto waited = std::chrono::steady_clock::now() - start;
                report = reg.errorText();
                if (s != Status::Busy)
                    return 1;
                return waited >= 400ms && waited < 4s ? 0 : 2;
            },
            20);
        EXPECT_EQ(blocked.exitCode, 0) << "1: not Busy, 2: waited the wrong time";
        EXPECT_EQ(blocked.output, expected);
        EXPECT_EQ(readFile(path), before);

        holder.release();
        FileRegistry reg(path);
        reg.setLockWait(400ms);
        EXPECT_EQ(setText(reg, "New", "2"), Status::Success) << reg.errorText();
        EXPECT_EQ(valueIn(path, "new"), "2");
        EXPECT_EQ(reg.errorText(), "");
    }
}

// The lock file holds an id only while its writer holds the lock: one killed
// before it could clear it is not named.
TEST_F(StoreFileTest, IdOfAKilledHolderIsNotNamed)
{
    pid_t dead = ::fork();
    if (dead == 0)
        ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    writeFile(path + ".lock", std::to_string(dead) + "\n");
    LockHolder holder(path, false); // a foreign holder that leaves the file as it is
    ASSERT_TRUE(holder.held());
    FileRegistry reg(path);
    reg.setLockWait(100ms);
    EXPECT_EQ(setText(reg, "New", "1"), Status::Busy);
    EXPECT_EQ(reg.errorText(), path + ": the registry is in use by another program");
}

TEST_F(StoreFileTest, LinkedStoreWritesItsTargetAndStaysALink)
{
    ASSERT_EQ(::mkdir(dir.file("real").c_str(), 0755), 0);
    const std::string target = dir.file("real/registry.reg");
    writeFile(target, kStoreText);
    ::unlink(path.c_str());
    ASSERT_EQ(::symlink("real/registry.reg", path.c_str()), 0);
    // A link to nothing yet: the first write makes the file it names.
    const std::string dangling = dir.file("fresh.reg");
    ASSERT_EQ(::symlink("real/fresh.reg", dangling.c_str()), 0);

    for (const auto& [link, file] :
         {std::pair{path, target}, std::pair{dangling, dir.file("real/fresh.reg")}}) {
        FileRegistry reg(link);
        ASSERT_EQ(setText(reg, "Through", "link"), Status::Success) << reg.errorText();
        struct stat st
        {
        };
        ASSERT_EQ(::lstat(link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << link << " was replaced by a plain file";
        EXPECT_EQ(valueIn(file, "through"), "link");
        EXPECT_EQ(valueIn(link, "through"), "link");
    }
    EXPECT_EQ(valueIn(target, "kept"), "yes");
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"fresh.reg", "real", "registry.reg"}));
    EXPECT_EQ(filesIn(dir.file("real")),
              (std::vector<std::string>{"fresh.reg", "fresh.reg.lock", "registry.reg",
                                        "registry.reg.lock"}));
}

// Root rewriting a store another user owns hands it back with its owner,
// group and mode; a lock file root made, or left 0644 behind, still lets the
// owner write.
TEST_F(StoreFileTest, OwnerGroupAndModeSurviveRootAndTheOwnerKeepsWriting)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root: only root writes a store it does not own";
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string folder = dir.file("store");
    const std::string store = folder + "/registry.reg";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(::chown(folder.c_str(), kNobody, kNoGroup), 0);
    writeFile(store, kStoreText);
    ASSERT_EQ(::chown(store.c_str(), kNobody, kNoGroup), 0);
    ASSERT_EQ(::chmod(store.c_str(), 0640), 0);
    writeFile(store + ".lock", ""); // left by root, 0644
    ASSERT_EQ(::chmod((store + ".lock").c_str(), 0644), 0);

    const auto ownerWrites = [&](const char* value) {
        return runInChild([&](std::string& report) {
            if (!dropRoot(kNobody, kNoGroup))
                return kChildCannotRun;
            FileRegistry reg(store);
            const Status s = setText(reg, "Owner", value);
            report = reg.errorText();
            return s == Status::Success ? 0 : 1;
        });
    };
    const ChildReport first = ownerWrites("1");
    ASSERT_NE(first.exitCode, kChildCannotRun) << "cannot become nobody";
    EXPECT_EQ(first.exitCode, 0) << first.output;

    FileRegistry asRoot(store);
    ASSERT_EQ(setText(asRoot, "Root", "1"), Status::Success) << asRoot.errorText();
    struct stat st
    {
    };
    ASSERT_EQ(::stat(store.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, kNoGroup);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    const ChildReport second = ownerWrites("2");
    EXPECT_EQ(second.exitCode, 0) << second.output;
    EXPECT_EQ(valueIn(store, "owner"), "2");
    EXPECT_EQ(valueIn(store, "root"), "1");
}

// Nothing but a regular file is read, and such a store is never written:
// a pipe would block, a device never end, a folder is no "empty file".
TEST_F(StoreFileTest, OnlyRegularFilesAreReadAndNoneOtherIsWritten)
{
    const std::string fifo = dir.file("pipe.reg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string folder = dir.file("folder.reg");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const struct
    {
        std::string store;
        std::string error;
    } cases[] = {
        {fifo, fifo + ": cannot be read: not a regular file (a pipe)"},
        {folder, folder + ": cannot be read: not a regular file (a folder)"},
        {"/dev/full", "/dev/full: cannot be read: not a regular file (a device)"},
        // Reading a process's memory at address 0 fails: a read error is no empty store.
        {"/proc/self/mem", "/proc/self/mem: cannot be read: Input/output error"},
    };
    for (const auto& c : cases) {
        const ChildReport r = runInChild(
            [&](std::string& report) {
                FileRegistry reg(c.store);
                Status open, create;
                reg.open(Root::LocalMachine, kKey, Access::Read, &open);
                reg.create(Root::LocalMachine, kKey, Access::Full, &create);
                report = reg.errorText();
                return open == Status::Corrupt && create == Status::Corrupt ? 0 : 1;
            },
            10);
        EXPECT_EQ(r.exitCode, 0) << c.store << ": " << r.output;
        EXPECT_EQ(r.output, c.error);
    }
    struct stat st
    {
    };
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(filesIn(dir.path()),
              (std::vector<std::string>{"folder.reg", "pipe.reg", "registry.reg"}));
}

// A full file system: the write fails with the system's reason, the old
// store stays whole and no temporary file is left.
TEST_F(StoreFileTest, FullDiskGivesTheSystemsReasonAndKeepsTheOldStore)
{
    const std::string folder = dir.file("small");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string store = folder + "/registry.reg";
    const ChildReport r = runInChild([&](std::string& report) {
        if (auto why = mountPrivateTmpfs(folder, 64 * 1024)) {
            report = *why;
            return kChildCannotRun;
        }
        writeFile(store, kStoreText);
        FileRegistry reg(store);
        const std::string block(6000, 'x');
        Status s = Status::Success;
        int written = 0;
        for (; written < 100 && s == Status::Success; ++written)
            s = setText(reg, ("V" + std::to_string(written)).c_str(), block);
        const std::string error = reg.errorText();
        // The last value that failed is not in the file; the one before is.
        const bool whole =
            valueIn(store, ("v" + std::to_string(written - 2)).c_str()) == block &&
            valueIn(store, ("v" + std::to_string(written - 1)).c_str()) == "<missing>" &&
            valueIn(store, "kept") == "yes";
        report = error + "\n" + (whole ? "whole" : "damaged");
        for (const auto& name : filesIn(folder))
            report += "\n" + name;
        return s == Status::IoError ? 0 : 1;
    });
    if (r.exitCode == kChildCannotRun)
        GTEST_SKIP() << "no small file system to fill: " << r.output;
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output, store + ": cannot be written: No space left on device\nwhole\n"
                                "registry.reg\nregistry.reg.lock");
}

// Writers' temporary files carry their process id; what killed writers left
// is removed by the next write, what a live process has is not, and a link
// planted at a temporary name is neither followed nor removed.
TEST_F(StoreFileTest, LeftoversOfKilledWritersGoAndNothingIsWrittenThroughALink)
{
    pid_t dead = ::fork();
    if (dead == 0)
        ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string victim = dir.file("victim");
    writeFile(victim, "precious");
    const std::string deadTemp = path + ".tmp." + std::to_string(dead) + ".0";
    const std::string liveTemp = path + ".tmp." + std::to_string(::getppid()) + ".3";
    writeFile(path + ".tmp", "left by an older writer");
    writeFile(deadTemp, "left by a killed writer");
    writeFile(liveTemp, "another process's");
    ASSERT_EQ(::symlink(victim.c_str(), (path + ".tmp." + std::to_string(dead) + ".1").c_str()), 0);

    FileRegistry reg(path);
    ASSERT_EQ(setText(reg, "New", "1"), Status::Success) << reg.errorText();
    EXPECT_EQ(readFile(victim), "precious");
    std::vector<std::string> expected{
        "registry.reg", "registry.reg.lock", "registry.reg.tmp." + std::to_string(dead) + ".1",
        "registry.reg.tmp." + std::to_string(::getppid()) + ".3", "victim"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(filesIn(dir.path()), expected);
    EXPECT_EQ(valueIn(path, "new"), "1");
}

// Import and export carry the system's reason too.
TEST_F(StoreFileTest, ImportAndExportSayWhyAFileCannotBeUsed)
{
    FileRegistry reg(path);
    std::string error;
    EXPECT_NE(reg.importFile(dir.path(), &error), Status::Success);
    EXPECT_EQ(error, dir.path() + ": cannot be read: not a regular file (a folder)");
    EXPECT_EQ(reg.exportKey(Root::LocalMachine, kKey, dir.file("no/such/folder.reg"), &error),
              Status::IoError);
    EXPECT_EQ(error,
              dir.file("no/such/folder.reg") + ": cannot be written: No such file or directory");
    // A device that never ends is refused before it is read.
    const ChildReport r = runInChild(
        [&](std::string& report) {
            FileRegistry child(path);
            return child.importFile("/dev/zero", &report) == Status::Success ? 1 : 0;
        },
        10);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output, "/dev/zero: cannot be read: not a regular file (a device)");
    EXPECT_EQ(readFile(path), kStoreText);
}
