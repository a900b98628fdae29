// SPDX-License-Identifier: MIT
// The store as root writes it beside users who plant links and lock files in
// a folder they share with it: nothing outside the store is read, written or
// given away, and each refusal says why.
#include "common/registry/FileRegistry.h"
#include "tests/common/RegistryTestUtil.h"
#include "tests/support/RunInChild.h"
#include "tests/support/TempDir.h"

#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

using namespace velnet::registry;
using namespace velnet::test;

namespace {

const char* const kKey = "SOFTWARE\\Corvane";
const char* const kPrecious = "precious\n";
const char* const kStoreText = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane]\n";

struct FileState
{
    std::string bytes;
    uid_t owner = 0;
    mode_t mode = 0;
    bool operator==(const FileState&) const = default;
};

void PrintTo(const FileState& s, std::ostream* out)
{
    *out << "owner " << s.owner << ", mode " << std::oct << s.mode << std::dec << ": " << s.bytes;
}

FileState stateOf(const std::string& path)
{
    struct stat st
    {
    };
    if (::lstat(path.c_str(), &st) != 0)
        return {"<gone>", 0, 0};
    return {readFile(path), st.st_uid, st.st_mode & 07777};
}

bool plantLinks(const std::vector<std::pair<std::string, std::string>>& links)
{
    for (const auto& [link, target] : links) {
        if (::symlink(target.c_str(), link.c_str()) != 0)
            return false;
    }
    return true;
}

class StoreNeighbourTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root: the neighbours are other users";
        shared = makeSharedFolder(dir.path(), "shared");
        ASSERT_EQ(::mkdir(privateFolder.c_str(), 0700), 0);
        writeFile(secret, kPrecious);
        ASSERT_EQ(::chmod(secret.c_str(), 0600), 0);
    }

    // What a writer running as root (regtool add, the driver service) does.
    Status rootAdds(const std::string& store)
    {
        FileRegistry reg(store);
        Status s;
        Key key = reg.create(Root::LocalMachine, kKey, Access::Full, &s);
        if (key)
            s = key.setString("Written", "yes");
        error = reg.errorText();
        return s;
    }

    TempDir dir;
    std::string shared;
    std::string privateFolder = dir.file("private");
    std::string secret = privateFolder + "/secret";
    std::string error;
};

// Links from `store` to `end` that the kernel counts as 41 (more than it
// follows) while they are only 21 names to read: each goes through the link
// "d" to its own folder.
std::vector<std::pair<std::string, std::string>> chainOf(const std::string& store,
                                                         const std::string& end)
{
    const std::string folder = store.substr(0, store.rfind('/'));
    std::vector<std::pair<std::string, std::string>> links{{folder + "/d", "."},
                                                           {store, "d/chain1"}};
    for (int i = 1; i < 20; ++i)
        links.emplace_back(folder + "/chain" + std::to_string(i),
                           "d/chain" + std::to_string(i + 1));
    links.emplace_back(folder + "/chain20", end);
    return links;
}

} // namespace

// A link planted by another user, one or a chain longer than the kernel
// follows, to root's own file or to a store not made yet in root's own
// folder: root neither writes nor reads through it, and says why.
TEST_F(StoreNeighbourTest, LinksPlantedByOthersAreNotFollowed)
{
    const std::string open = dir.file("open"); // writable by all, without the sticky bit
    ASSERT_EQ(::mkdir(open.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    struct Case
    {
        const char* what;
        std::string store;
        std::vector<std::pair<std::string, std::string>> links;
        bool byNobody;
        std::string reason;
    };
    std::vector<Case> cases;
    const auto planted = [](const std::string& store) {
        return store + ": cannot be used: " + store +
               " is a symbolic link of user 65534 in a folder that others may write";
    };
    const std::string one = shared + "/one.reg";
    cases.push_back({"one link to root's file", one, {{one, secret}}, true, planted(one)});
    const std::string fresh = shared + "/fresh.reg";
    cases.push_back({"a link to a store not made yet in root's folder",
                     fresh,
                     {{fresh, privateFolder + "/registry.reg"}},
                     true,
                     planted(fresh)});
    const std::string unsticky = open + "/store.reg";
    cases.push_back({"a link in a folder without the sticky bit",
                     unsticky,
                     {{unsticky, secret}},
                     true,
                     planted(unsticky)});
    const std::string chain = shared + "/chain.reg";
    cases.push_back({"a chain of links longer than the kernel follows", chain,
                     chainOf(chain, secret), true, planted(chain)});
    const std::string own = privateFolder + "/own.reg";
    cases.push_back({"a chain of root's own links, longer than the kernel follows", own,
                     chainOf(own, secret), false,
                     own + ": cannot be read: Too many levels of symbolic links"});

    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto plant = [&] { return plantLinks(c.links); };
        ASSERT_TRUE(c.byNobody ? asNobody(plant) : plant());
        EXPECT_NE(rootAdds(c.store), Status::Success);
        EXPECT_EQ(error, c.reason);
        // Nor is the file behind it taken for an empty store.
        FileRegistry reader(c.store);
        Status s;
        EXPECT_FALSE(reader.open(Root::LocalMachine, "", Access::Read, &s));
        EXPECT_EQ(s, Status::Corrupt);
        EXPECT_EQ(reader.errorText(), c.reason);
    }
    EXPECT_EQ(stateOf(secret), (FileState{kPrecious, 0, 0600}));
    EXPECT_EQ(filesIn(privateFolder).size(), 23u) << "the secret and root's 22 links, nothing new";
}

// A lock file is truncated, written and given the store's owner: one that is
// someone else's file under a second name, another user's own file, or a
// link is refused as it is.
TEST_F(StoreNeighbourTest, ALockFileThatIsNotTheStoresOwnIsLeftAlone)
{
    const std::string store = shared + "/registry.reg";
    const std::string lock = store + ".lock";
    const std::string victim = shared + "/victim"; // root's, open to all
    const struct
    {
        const char* what;
        std::function<bool()> plant;
        std::string reason;
    } cases[] = {
        {"a hard link to root's file", [&] { return ::link(victim.c_str(), lock.c_str()) == 0; },
         "it has 2 names (hard links), a lock file must have one"},
        {"another user's own file",
         [&] {
             writeFile(lock, kPrecious);
             return true;
         },
         "it belongs to user 65534, who is neither root nor the store's owner"},
        {"a symbolic link", [&] { return ::symlink(victim.c_str(), lock.c_str()) == 0; },
         "it is a symbolic link, not a plain file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(store, kStoreText);
        writeFile(victim, kPrecious);
        ASSERT_EQ(::chmod(victim.c_str(), 0666), 0);
        ::unlink(lock.c_str());
        ASSERT_TRUE(asNobody(c.plant));
        const FileState lockBefore = stateOf(lock);
        EXPECT_EQ(rootAdds(store), Status::AccessDenied);
        EXPECT_EQ(error, lock + ": cannot be locked: " + c.reason);
        EXPECT_EQ(stateOf(victim), (FileState{kPrecious, 0, 0666}));
        EXPECT_EQ(stateOf(lock), lockBefore);
        EXPECT_EQ(readFile(store), kStoreText);
    }
}
