// SPDX-License-Identifier: MIT
// A rewrite of the store touches the lines of what changed and nothing else.
#include "common/registry/FileRegistry.h"
#include "common/registry/RegFormat.h"
#include "tests/support/TempDir.h"

#include <functional>
#include <gtest/gtest.h>

using namespace velnet::registry;
using namespace velnet::test;

namespace {

// Kept by hand: comments, blank lines, keys out of order, one key in two
// sections, a continued hex value, CRLF line ends and no line end at the very end.
const std::string kHandKept =
    "REGEDIT4\r\n"
    "\r\n"
    "; Velnet adapters, kept by hand\r\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\Zeta]\r\n"
    "\"Name\"=\"first\"\r\n"
    "; the speed in Mbit/s\r\n"
    "\"Speed\"=dword:00000064\r\n"
    "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
    "  17,18\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\Alpha\\Deep\\Key]\r\n"
    "\"x\"=\"1\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\Zeta]\r\n"
    "\"Name\"=\"second\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software]";

std::string replaced(std::string text, std::string_view from, std::string_view to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// ASCII text as UTF-16LE with a byte-order mark.
std::string utf16(std::string_view ascii)
{
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

struct Change
{
    std::string what;
    std::function<void(FileRegistry&)> apply;
    std::string expected;
};

Key zeta(FileRegistry& reg)
{
    return reg.open(Root::LocalMachine, "SYSTEM\\Zeta", Access::Full);
}

std::vector<Change> changesOfTheHandKeptFile(const TempDir& dir)
{
    const std::string zetaEnd = "\"Name\"=\"second\"\r\n";
    writeFile(dir.file("import.reg"), "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SYSTEM\\Zeta]\n"
                                      "\"Speed\"=dword:000003e8\n\"Name\"=-\n");
    return {
        {"a value changed",
         [](FileRegistry& r) { EXPECT_EQ(zeta(r).setDword("speed", 200), Status::Success); },
         replaced(kHandKept, "dword:00000064", "dword:000000c8")},
        {"a value set twice changes where it was set last",
         [](FileRegistry& r) { EXPECT_EQ(zeta(r).setString("NAME", "third"), Status::Success); },
         replaced(kHandKept, "\"second\"", "\"third\"")},
        {"a continued value becomes one line",
         [](FileRegistry& r) {
             EXPECT_EQ(zeta(r).setValue("Blob", ValueType::Binary, {{0xaa, 0xbb}}),
                       Status::Success);
         },
         replaced(kHandKept,
                  "00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
                  "  17,18",
                  "aa,bb")},
        {"a new value follows the key's last value",
         [](FileRegistry& r) { EXPECT_EQ(zeta(r).setString("New", "v"), Status::Success); },
         replaced(kHandKept, zetaEnd, zetaEnd + "\"New\"=\"v\"\r\n")},
        {"a deleted value loses every line that set it",
         [](FileRegistry& r) { EXPECT_EQ(zeta(r).deleteValue("name"), Status::Success); },
         replaced(replaced(kHandKept, "\"Name\"=\"first\"\r\n", ""), zetaEnd, "")},
        {"a value removed and another added in its place",
         [](FileRegistry& r) {
             WriteGroup group(r);
             EXPECT_EQ(zeta(r).deleteValue("Name"), Status::Success);
             EXPECT_EQ(zeta(r).setDword("Added", 5), Status::Success);
             EXPECT_EQ(group.commit(), Status::Success);
         },
         replaced(replaced(kHandKept, "\"Name\"=\"first\"\r\n", ""), zetaEnd,
                  "\"Added\"=dword:00000005\r\n")},
        {"a new key goes at the end without sections for its parents",
         [](FileRegistry& r) {
             WriteGroup group(r);
             EXPECT_EQ(r.create(Root::CurrentUser, "Software\\Velnet\\Cards", Access::Full)
                           .setDword("n", 1),
                       Status::Success);
             EXPECT_EQ(group.commit(), Status::Success);
         },
         kHandKept + "\r\n\r\n[HKEY_CURRENT_USER\\Software\\Velnet\\Cards]\r\n\"n\"=dword:"
                     "00000001\r\n\r\n"},
        {"a new value in a key without values",
         [](FileRegistry& r) {
             EXPECT_EQ(r.open(Root::CurrentUser, "Software", Access::Full).setString("Owner", "me"),
                       Status::Success);
         },
         kHandKept + "\r\n\"Owner\"=\"me\"\r\n"},
        {"a deleted key loses its sections and those of its subkeys",
         [](FileRegistry& r) {
             EXPECT_EQ(r.deleteKey(Root::LocalMachine, "System\\Alpha"), Status::Success);
         },
         replaced(kHandKept,
                  "[HKEY_LOCAL_MACHINE\\SYSTEM\\Alpha\\Deep\\Key]\r\n\"x\"=\"1\"\r\n\r\n", "")},
        {"an import changes what it names",
         [&dir](FileRegistry& r) {
             EXPECT_EQ(r.importFile(dir.file("import.reg")), Status::Success);
         },
         replaced(replaced(replaced(kHandKept, "\"Name\"=\"first\"\r\n", ""), zetaEnd, ""),
                  "dword:00000064", "dword:000003e8")},
    };
}

} // namespace

TEST(RegRewrite, AStoreNobodyChangedStaysByteForByte)
{
    TempDir dir;
    const std::string path = dir.file("store.reg");
    for (const std::string& text : {kHandKept, utf16(kHandKept), "\xEF\xBB\xBF" + kHandKept}) {
        writeFile(path, text);
        FileRegistry reg(path);
        Key key = zeta(reg);
        ASSERT_TRUE(key);
        EXPECT_EQ(key.queryString("Name", 100), "second");
        // Setting what is already there, or deleting nothing, is no change.
        EXPECT_EQ(key.setDword("Speed", 100), Status::Success);
        EXPECT_EQ(key.setString("name", "second"), Status::Success);
        EXPECT_TRUE(reg.create(Root::LocalMachine, "System\\Alpha\\Deep", Access::Full));
        {
            WriteGroup group(reg);
            EXPECT_EQ(key.setDword("Speed", 100), Status::Success);
            EXPECT_EQ(group.commit(), Status::Success);
        }
        EXPECT_EQ(readFile(path), text);
        EXPECT_EQ(reg.rewriteCount(), 0);
    }
}

TEST(RegRewrite, AChangeTouchesOnlyItsOwnLines)
{
    TempDir dir;
    const std::string path = dir.file("store.reg");
    for (const Change& change : changesOfTheHandKeptFile(dir)) {
        writeFile(path, kHandKept);
        {
            FileRegistry reg(path);
            change.apply(reg);
            EXPECT_EQ(reg.rewriteCount(), 1) << change.what;
        }
        EXPECT_EQ(readFile(path), change.expected) << change.what;
        // The next process reads what this one wrote, and writes on from there.
        FileRegistry next(path);
        Key key = next.create(Root::LocalMachine, "SYSTEM\\Zeta", Access::Full);
        ASSERT_EQ(key.setString("Later", "x"), Status::Success) << change.what;
        EXPECT_NE(readFile(path).find("\"Later\"=\"x\"\r\n"), std::string::npos) << change.what;
    }
}

TEST(RegRewrite, AUtf16FileStaysUtf16WithItsLineEnds)
{
    TempDir dir;
    const std::string path = dir.file("store.reg");
    const std::string v5 = replaced(kHandKept, "REGEDIT4", "Windows Registry Editor Version 5.00");
    writeFile(path, utf16(v5));
    {
        FileRegistry reg(path);
        ASSERT_EQ(zeta(reg).setDword("Speed", 200), Status::Success);
        ASSERT_EQ(zeta(reg).setString("Town", "Zurich"), Status::Success);
    }
    EXPECT_EQ(readFile(path), utf16(replaced(replaced(v5, "dword:00000064", "dword:000000c8"),
                                             "\"Name\"=\"second\"\r\n",
                                             "\"Name\"=\"second\"\r\n\"Town\"=\"Zurich\"\r\n")));
}

// Version 5 text types in hex form are UTF-16LE whether the file itself is
// UTF-16 or 8-bit text, as regedit writes them; REGEDIT4 ones are the bytes.
TEST(RegRewrite, Version5HexTextIsUtf16InEitherEncoding)
{
    const std::string body = "\r\n[HKEY_LOCAL_MACHINE\\A]\r\n"
                             "\"e\"=hex(2):41,00,42,00,00,00\r\n"
                             "\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                             "\"odd\"=hex(2):41,00,42\r\n";
    const std::string v5 = "Windows Registry Editor Version 5.00\r\n" + body;
    struct Case
    {
        std::string file;
        std::vector<std::uint8_t> e, m;
    };
    const std::vector<std::uint8_t> ab{'A', 'B', 0}, multi{'a', 0, 'b', 0, 0};
    const std::vector<Case> cases = {
        {v5, ab, multi},
        {utf16(v5), ab, multi},
        {"REGEDIT4\r\n" + body, {0x41, 0, 0x42, 0, 0, 0}, {0x61, 0, 0, 0, 0x62, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        RegTree tree;
        ASSERT_TRUE(loadRegBytes(tree, c.file).ok) << c.file;
        const RegNode* a = tree.find(Root::LocalMachine, "A");
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(*a->value("e"), (Value{ValueType::ExpandSz, c.e})) << c.file;
        EXPECT_EQ(a->value("m")->data, c.m) << c.file;
        EXPECT_EQ(a->value("odd")->data, (std::vector<std::uint8_t>{0x41, 0, 0x42})) << c.file;
    }
}

TEST(RegRewrite, NewHexTextIsWrittenAsTheFileVersionReadsIt)
{
    TempDir dir;
    const std::string path = dir.file("store.reg");
    const Value expand{ValueType::ExpandSz, {'%', 'X', '%', 0}};
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n",
         "\"x\"=hex(2):25,00,58,00,25,00,00,00\n"},
        {"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n", "\"x\"=hex(2):25,58,25,00\n"},
    };
    for (const auto& [file, line] : cases) {
        writeFile(path, file);
        {
            FileRegistry reg(path);
            Key key = reg.open(Root::LocalMachine, "A", Access::Full);
            ASSERT_EQ(key.setValue("x", expand.type, expand.data), Status::Success);
        }
        EXPECT_EQ(readFile(path), file + line);
        FileRegistry again(path);
        EXPECT_EQ(again.open(Root::LocalMachine, "A", Access::Read).query("x", 100), expand);
    }
}

// Text values that are not UTF-8 came back as other bytes from UTF-16 stores
// ("caf\xe9" as "caf\xc3\xa9"; a NUL lost; a byte-order mark made up). Every
// value keeps its bytes whatever the file's encoding, and so do names.
TEST(RegRewrite, EveryValueKeepsItsBytesInEveryEncoding)
{
    TempDir dir;
    const std::string path = dir.file("store.reg");
    const std::string v5 =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n";
    const std::string v4 = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n";
    const struct
    {
        std::string name;
        Value value;
    } values[] = {
        {"latin1", {ValueType::Sz, {'c', 'a', 'f', 0xe9, 0}}},
        {"utf8", {ValueType::Sz, {'c', 'a', 'f', 0xc3, 0xa9, 0}}},
        {"lone", {ValueType::ExpandSz, {0xe9, 0}}},
        {"mark", {ValueType::ExpandSz, {0xff, 0xfe, 0x41, 0}}},
        {"halves", {ValueType::MultiSz, {0xc3, 0, 0xa9, 0, 0xed, 0xb2, 0x80, 0, 0}}},
        {"no nul", {ValueType::Sz, {0xe9}}},
        {"n\xe9\xc3", {ValueType::Sz, {'x', 0}}},
    };
    for (const std::string& file : {utf16(v5), v5, utf16(v4), v4}) {
        writeFile(path, file);
        {
            FileRegistry reg(path);
            WriteGroup group(reg);
            Key key = reg.open(Root::LocalMachine, "A", Access::Full);
            for (const auto& v : values)
                ASSERT_EQ(key.setValue(v.name, v.value.type, v.value.data), Status::Success);
            ASSERT_EQ(group.commit(), Status::Success);
        }
        FileRegistry again(path);
        ASSERT_EQ(again.errorText(), "");
        Key key = again.open(Root::LocalMachine, "A", Access::Read);
        for (const auto& v : values)
            EXPECT_EQ(key.query(v.name, 100), v.value) << v.name << " in " << file.substr(0, 8);
        EXPECT_EQ(key.enumValue(6), "n\xe9\xc3");
        // What was written is kept byte for byte when nothing changes.
        const std::string written = readFile(path);
        RegTree tree;
        ASSERT_TRUE(loadRegBytes(tree, written).ok);
        EXPECT_EQ(rewriteRegFile(tree).bytes, written);
    }
}
