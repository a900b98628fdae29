// SPDX-License-Identifier: MIT
// What the store costs in memory on files of many lines, and the size beyond
// which it refuses a file.
#include "common/registry/FileRegistry.h"
#include "tests/common/AllocationMeter.h"
#include "tests/support/TempDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

using namespace velnet::registry;
using namespace velnet::test;

// 50 MB of blank lines took 1.6 GB: a record of 24 bytes for each line, and
// the text held more than once.
TEST(StoreMemory, AStoreOfBlankLinesCostsASmallMultipleOfItsSize)
{
    TempDir dir;
    const std::string path = dir.file("blank.reg");
    const std::string text = "REGEDIT4\n" + std::string(4000000, '\n') +
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane]\n\"Kept\"=\"yes\"\n";
    writeFile(path, text);
    AllocationMeter::reset();
    {
        FileRegistry reg(path);
        ASSERT_EQ(reg.errorText(), "");
        EXPECT_LE(AllocationMeter::peak(), 3 * text.size()) << "loading";
        AllocationMeter::reset();
        Key key = reg.open(Root::LocalMachine, "SOFTWARE\\Corvane", Access::Full);
        ASSERT_EQ(key.setDword("Added", 1), Status::Success) << reg.errorText();
        EXPECT_LE(AllocationMeter::peak(), 3 * text.size()) << "adding a value";
    }
    EXPECT_EQ(readFile(path), text + "\"Added\"=dword:00000001\n");
}

// A file beyond the documented size is refused with its reason, read or
// written; neither is tried.
TEST(StoreMemory, AStoreBeyondItsLimitIsRefusedWithItsReason)
{
    TempDir dir;
    const std::string path = dir.file("huge.reg");
    writeFile(path, "REGEDIT4\n");
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kMaxStoreBytes + 1)), 0); // sparse
    FileRegistry reg(path);
    Status s;
    EXPECT_FALSE(reg.open(Root::LocalMachine, "", Access::Read, &s));
    EXPECT_EQ(s, Status::Corrupt);
    EXPECT_EQ(reg.errorText(),
              path + ": cannot be read: larger than 128 MiB, the most a store may hold");

    const std::string small = dir.file("small.reg");
    writeFile(small, "REGEDIT4\n");
    // Untouched pages of an anonymous mapping cost nothing: the write is
    // refused before it reads them.
    const std::size_t size = kMaxStoreBytes + 1;
    void* bytes = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(bytes, MAP_FAILED);
    const StoreFile file(small);
    const auto place = file.locate();
    ASSERT_TRUE(place.ok()) << place.error();
    const FileResult written = file.replace(*place, {static_cast<const char*>(bytes), size});
    ::munmap(bytes, size);
    EXPECT_EQ(written.status, Status::IoError);
    EXPECT_EQ(written.error,
              small + ": cannot be written: larger than 128 MiB, the most a store may hold");
    EXPECT_EQ(readFile(small), "REGEDIT4\n");
}
