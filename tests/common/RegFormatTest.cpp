// SPDX-License-Identifier: MIT
#include "common/registry/RegFormat.h"

#include "common/registry/FileRegistry.h"
#include "tests/common/RegistryTestUtil.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace velnet::registry;
using namespace velnet::test;

namespace {

std::vector<std::uint8_t> bytes(std::string_view s)
{
    return {s.begin(), s.end()};
}

// UTF-8 text to UTF-16LE with a byte-order mark, as regedit writes version 5 files.
std::string toUtf16File(const std::string& utf8)
{
    std::string out = "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char32_t cp = c;
        int extra = 0;
        if (c >= 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else if (c >= 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if (c >= 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        }
        for (int k = 1; k <= extra; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += 1 + extra;
        auto unit = [&](char16_t u) {
            out += static_cast<char>(u & 0xFF);
            out += static_cast<char>(u >> 8);
        };
        if (cp >= 0x10000) {
            cp -= 0x10000;
            unit(static_cast<char16_t>(0xD800 + (cp >> 10)));
            unit(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            unit(static_cast<char16_t>(cp));
        }
    }
    return out;
}

RegTree load(std::string_view text)
{
    RegParseResult parsed = parseRegFile(text);
    EXPECT_TRUE(parsed.ok) << parsed.errorLine << ": " << parsed.error;
    RegTree tree;
    applyActions(tree, parsed.actions);
    return tree;
}

const Value& at(const FlatStore& store, const std::string& key, const std::string& name)
{
    static const Value missing;
    auto k = store.find(toLowerAscii(key));
    if (k == store.end())
        return missing;
    auto v = k->second.find(toLowerAscii(name));
    return v == k->second.end() ? missing : v->second;
}

} // namespace

TEST(RegFormat, Regedit4FileSurvivesRoundTrip)
{
    const RegTree first = load(readFile(fixturePath("registry/regedit4.reg")));
    const FlatStore before = flatten(first);
    const FlatStore after = flatten(load(formatRegFile(first)));
    EXPECT_EQ(before, after);

    const std::string corvane = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane";
    EXPECT_EQ(at(before, corvane, ""),
              (Value{ValueType::Sz, bytes({"Corvane NIC utilities\0", 22})}));
    EXPECT_EQ(at(before, corvane, "Path").data, bytes({"C:\\Program Files\\Corvane\\\0", 26}));
    EXPECT_EQ(at(before, corvane, "Quoted").data, bytes({"say \"hello\"\0", 12}));
    EXPECT_TRUE(before.count(toLowerAscii(corvane + "\\Empty")));

    const std::string params =
        "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\vxsrvnt1\\Parameters";
    EXPECT_EQ(at(before, params, "SamplingWindow"), (Value{ValueType::Dword, {0xf4, 0x01, 0, 0}}));
    EXPECT_EQ(at(before, params, "Expand"),
              (Value{ValueType::ExpandSz, bytes({"%SystemRoot%\\system32\0", 22})}));
    EXPECT_EQ(at(before, params, "Multi"), (Value{ValueType::MultiSz, bytes({"one\0two\0\0", 9})}));
    EXPECT_EQ(at(before, params, "Big"), (Value{ValueType::Qword, {1, 2, 3, 4, 5, 6, 7, 8}}));
    EXPECT_EQ(at(before, params, "Blob"),
              (Value{ValueType::Binary, {0, 1, 2, 0x22, 0x5c, 0xff, 0, 0x7f}}));
    EXPECT_EQ(at(before, "HKEY_DYN_DATA\\Config Manager\\Enum\\C29A8C20", "HardWareKey").data,
              bytes({"Root\\*PNP0500\\0000\0", 19}));
}

TEST(RegFormat, Version5Utf16FileIsReadAsTheAnsiApiSeesIt)
{
    const std::string file = toUtf16File(readFile(fixturePath("registry/version5.txt")));
    const RegTree first = load(file);
    const FlatStore before = flatten(first);
    EXPECT_EQ(before, flatten(load(formatRegFile(first))));

    const std::string corvane = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane";
    EXPECT_EQ(at(before, corvane, "\xC3\x9Cmlaut").data, bytes({"na\xC3\xAFve caf\xC3\xA9\0", 13}));
    EXPECT_EQ(at(before, corvane + "\\Env", "Expand"),
              (Value{ValueType::ExpandSz, bytes({"%SystemRoot%\0", 13})}));
    EXPECT_EQ(at(before, corvane + "\\Env", "Multi").data, bytes({"one\0two\0\0", 9}));
    EXPECT_EQ(at(before, corvane + "\\Env", "Count").data,
              (std::vector<std::uint8_t>{10, 0, 0, 0}));
    EXPECT_EQ(at(before, corvane + "\\Env", "Qword").type, ValueType::Qword);
}

TEST(RegFormat, AnyNameAndDataSurviveAWriteAndAReRead)
{
    TempDir dir;
    const std::string path = dir.file("store.reg");
    const std::string longName(3000, 'n');
    std::vector<std::uint8_t> everyByte;
    for (int i = 0; i < 256; ++i)
        everyByte.push_back(static_cast<std::uint8_t>(i));
    const std::vector<std::pair<std::string, Value>> cases = {
        {"quote\"back\\slash", {ValueType::Sz, bytes({"a \"b\" \\c\\\\\0", 11})}},
        {"unicode \xE2\x82\xAC", {ValueType::Sz, bytes({"\xE2\x82\xAC 100\0", 8})}},
        {"no nul", {ValueType::Sz, bytes("TRAYMON")}},
        {"inner nul", {ValueType::Sz, bytes({"a\0b\0", 4})}},
        {"line break", {ValueType::Sz, bytes({"one\r\ntwo\0", 9})}},
        {"empty text", {ValueType::Sz, bytes({"\0", 1})}},
        {"empty", {ValueType::Sz, {}}},
        {"every byte", {ValueType::Binary, everyByte}},
        {"short dword", {ValueType::Dword, {1, 2}}},
        {"odd type", {static_cast<ValueType>(0x1234), {9}}},
        {longName, {ValueType::Sz, std::vector<std::uint8_t>(5000, 'x')}},
        {"", {ValueType::Sz, bytes({"default\0", 8})}},
    };
    {
        FileRegistry reg(path);
        Key key = reg.create(Root::CurrentUser, "Software\\Odd [keys]\\x", Access::Full);
        ASSERT_TRUE(key);
        for (const auto& [name, value] : cases)
            ASSERT_EQ(key.setValue(name, value.type, value.data), Status::Success) << name;
    }
    FileRegistry again(path);
    Key key = again.open(Root::CurrentUser, "software\\odd [KEYS]\\X", Access::Read);
    ASSERT_TRUE(key);
    for (const auto& [name, value] : cases)
        EXPECT_EQ(key.query(name, 1 << 20), value) << name;
}

TEST(RegFormat, MalformedFilesNameTheLine)
{
    struct Case
    {
        std::string text;
        int line;
        std::string words;
    };
    const std::vector<Case> cases = {
        {"REGEDIT5\n", 1, "first line"},
        {"", 0, "empty file"},
        {"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"a\\qb\"\n", 4, "bad escape"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:01,0g\n", 3, "bad hex byte"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:01,\\\n", 3, "continued"},
        {"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A\n\"v\"=\"x\"\n", 3, "unterminated key"},
        {"REGEDIT4\n[HKEY_NOWHERE\\A]\n", 2, "unknown root"},
        {"REGEDIT4\n\"v\"=\"x\"\n", 2, "outside"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=dword:1234567890\n", 3, "dword"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"open\n", 3, "unterminated quoted"},
    };
    for (const auto& c : cases) {
        const RegParseResult r = parseRegFile(c.text);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.errorLine, c.line) << c.text;
        EXPECT_NE(r.error.find(c.words), std::string::npos) << r.error;
    }
    std::string truncated =
        toUtf16File("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n");
    truncated.pop_back();
    const RegParseResult r = parseRegFile(truncated);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.errorLine, 3);
    EXPECT_NE(r.error.find("truncated UTF-16"), std::string::npos);
}

TEST(RegFormat, ImportAppliesDeletions)
{
    RegTree tree = load("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\B]\n\"x\"=\"1\"\n\"y\"=\"2\"\n"
                        "[HKEY_LOCAL_MACHINE\\C]\n");
    applyActions(tree, parseRegFile("REGEDIT4\n[-HKEY_LOCAL_MACHINE\\C]\n"
                                    "[HKEY_LOCAL_MACHINE\\A\\B]\n\"x\"=-\n")
                           .actions);
    EXPECT_EQ(tree.find(Root::LocalMachine, "C"), nullptr);
    const RegNode* b = tree.find(Root::LocalMachine, "a\\b");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->value("x"), nullptr);
    EXPECT_NE(b->value("Y"), nullptr);
}
