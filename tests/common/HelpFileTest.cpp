// SPDX-License-Identifier: MIT
#include "common/platform/HelpFile.h"

#include "common/platform/HelpViewer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <utility>

using velnet::platform::HelpFile;

TEST(HelpFile, TopicsWithTitlesAndTrimmedText)
{
    const auto file = HelpFile::parse("# comment before anything\n"
                                      "[0x20066]  Main dialog  \n"
                                      "\n"
                                      "First line\n"
                                      "second line\n"
                                      "\n"
                                      "Second paragraph.\r\n"
                                      "\n\n"
                                      "[393318] Same id space, decimal\n"
                                      "# comments are dropped inside topics too\n"
                                      "[not a header] stays text\n"
                                      "[7]\n");
    ASSERT_TRUE(file) << file.error();
    EXPECT_EQ(file->size(), 3u);
    const auto* main = file->find(0x20066);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->title, "Main dialog");
    EXPECT_EQ(main->text, "First line\nsecond line\n\nSecond paragraph.");
    const auto* decimal = file->find(393318);
    ASSERT_NE(decimal, nullptr);
    EXPECT_EQ(decimal->text, "[not a header] stays text");
    const auto* untitled = file->find(7);
    ASSERT_NE(untitled, nullptr);
    EXPECT_EQ(untitled->title, "");
    EXPECT_EQ(untitled->text, "");
    EXPECT_EQ(file->find(8), nullptr);
}

TEST(HelpFile, MalformedFilesAreRefusedWithTheLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"[1] a\ntext\n[0xZZ] bad\n", "line 3: the topic id is not a number"},
        {"[1] a\n[12 b\n", "line 2: the topic id is not a number"},
        {"[99999999999] too big\n", "line 1: the topic id is not a number"},
        {"[1] a\n[0x1] b\n", "line 2: the topic id is used twice"},
        {"\nloose text\n[1] a\n", "line 2: text before the first topic"},
    };
    for (const auto& [content, error] : cases) {
        const auto file = HelpFile::parse(content);
        EXPECT_FALSE(file.ok()) << content;
        EXPECT_EQ(file.error(), error) << content;
    }
}

TEST(HelpFile, LoadReadsTheFileOrSaysWhy)
{
    velnet::test::TempDir dir;
    velnet::test::writeFile(dir.file("x.hlp"), "[0x20066] T\nbody\n");
    const auto file = HelpFile::load(dir.file("x.hlp"));
    ASSERT_TRUE(file);
    ASSERT_NE(file->find(0x20066), nullptr);
    EXPECT_EQ(file->find(0x20066)->text, "body");

    const auto absent = HelpFile::load(dir.file("absent.hlp"));
    EXPECT_FALSE(absent.ok());
    EXPECT_EQ(absent.error(), "cannot be read");
}

TEST(HelpFile, PathIsTheProgramsWithExtensionHlp)
{
    using velnet::platform::helpFilePathFor;
    EXPECT_EQ(helpFilePathFor("/opt/velnet/bin/nicsetup"), "/opt/velnet/bin/nicsetup.hlp");
    EXPECT_EQ(helpFilePathFor("C:\\Velnet\\NICSETUP.EXE"), "C:\\Velnet\\NICSETUP.hlp");
    EXPECT_EQ(helpFilePathFor("/home/a.b/prog"), "/home/a.b/prog.hlp");
    EXPECT_EQ(helpFilePathFor("/home/user/.hidden"), "/home/user/.hidden.hlp");
}
