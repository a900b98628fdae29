#include "TempDir.h"
#include "registry/FileRegistry.h"

#include <gtest/gtest.h>

using namespace velnet::registry;
using velnet::test::TempDir;

TEST(FileRegistry, ReadLimit)
{
    TempDir dir;
    velnet::test::writeFile(dir.file("r.reg"), "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n"
                                               "\"s17\"=\"12345678901234567\"\n"
                                               "\"s18\"=\"123456789012345678\"\n");
    FileRegistry reg(dir.file("r.reg"));
    Key key = reg.open(Root::LocalMachine, "a", Access::Full);
    ASSERT_TRUE(key);
    EXPECT_EQ(key.queryString("S17", 18), "12345678901234567");
    EXPECT_FALSE(key.queryString("s18", 18));
}
