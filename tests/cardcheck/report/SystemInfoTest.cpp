// SPDX-License-Identifier: MIT
#include "cardcheck/report/SystemInfo.h"

#include "cardcheck/report/FileVersion.h"
#include "cardcheck/ui/ReportAnswers.h"
#include "common/platform/DynamicLibrary.h"
#include "common/platform/OsVersion.h"
#include "common/registry/FileRegistry.h"
#include "tests/support/GTestResponder.h"
#include "tests/support/TempDir.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <sys/utsname.h>

using velnet::cardcheck::FileVersion;
using velnet::cardcheck::ReportAnswers;
using velnet::cardcheck::SystemInfo;
using velnet::platform::FakeOsVersion;
using velnet::platform::OsKind;
using namespace velnet::registry;
using velnet::test::TempDir;

namespace {

// A store copied from a fixture, also named by VELNET_REGISTRY so that the
// thunk library and the system-report tool read the same computer.
class StoreFixture
{
public:
    explicit StoreFixture(const std::string& fixture)
    {
        std::filesystem::copy_file(velnet::test::fixturePath("report/" + fixture), store());
        previous_ = std::getenv("VELNET_REGISTRY") ? std::getenv("VELNET_REGISTRY") : "";
        ::setenv("VELNET_REGISTRY", store().c_str(), 1);
    }
    ~StoreFixture() { ::setenv("VELNET_REGISTRY", previous_.c_str(), 1); }
    std::string store() const { return dir.file("store.reg"); }
    TempDir dir;

private:
    std::string previous_;
};

class LibraryPath
{
public:
    explicit LibraryPath(const std::string& path)
    {
        previous_ = std::getenv("VELNET_LIBRARY_PATH") ? std::getenv("VELNET_LIBRARY_PATH") : "";
        ::setenv("VELNET_LIBRARY_PATH", path.c_str(), 1);
    }
    ~LibraryPath() { ::setenv("VELNET_LIBRARY_PATH", previous_.c_str(), 1); }

private:
    std::string previous_;
};

std::string utf16(const std::string& text)
{
    std::string out;
    for (char c : text) {
        out += c;
        out += '\0';
    }
    return out;
}

void pad4(std::string& bytes)
{
    while (bytes.size() % 4)
        bytes += '\0';
}

// One node of a version resource: header, key, value and children.
std::string versionBlock(const std::string& key, const std::string& value, int type,
                         int valueLength, const std::string& children)
{
    std::string block(6, '\0');
    block += utf16(key) + std::string(2, '\0');
    pad4(block);
    block += value;
    pad4(block);
    block += children;
    const auto length = static_cast<std::uint16_t>(block.size());
    block[0] = static_cast<char>(length & 0xFF);
    block[1] = static_cast<char>(length >> 8);
    block[2] = static_cast<char>(valueLength & 0xFF);
    block[3] = static_cast<char>(valueLength >> 8);
    block[4] = static_cast<char>(type);
    pad4(block);
    return block;
}

std::string stringEntry(const std::string& key, const std::string& text)
{
    return versionBlock(key, utf16(text) + std::string(2, '\0'), 1,
                        static_cast<int>(text.size() + 1), "");
}

// A driver file whose version resource sits among other bytes, as in a real file.
std::string driverFile(const std::string& table, const std::string& version)
{
    const std::string fixed(52, '\x01');
    const std::string strings = versionBlock(
        "StringFileInfo", "", 1, 0,
        versionBlock(table, "", 1, 0,
                     stringEntry("CompanyName", "Corvane") + stringEntry("FileVersion", version)));
    return std::string("MZ\x90\0", 4) + std::string(123, '\x7f') +
           versionBlock("VS_VERSION_INFO", fixed, 0, 52, strings) + "trailing";
}

} // namespace

TEST(ReadRegistryText, WalksThePathAndTreatsEveryFailureAsEmpty)
{
    StoreFixture store("win95.reg");
    FileRegistry registry(store.store());
    EXPECT_EQ(SystemInfo::readRegistryText(registry, Root::LocalMachine,
                                           "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                           "VersionNumber"),
              "4.00.950");
    EXPECT_EQ(SystemInfo::readRegistryText(registry, Root::LocalMachine,
                                           "Enum\\Root\\*PNP0C01\\0000", "BIOSVersion"),
              "");
    EXPECT_EQ(SystemInfo::readRegistryText(registry, Root::LocalMachine,
                                           "SOFTWARE\\Microsoft\\Nowhere\\CurrentVersion",
                                           "Version"),
              "");
    // A value read as text ends at its first NUL.
    ASSERT_EQ(registry.create(Root::LocalMachine, "A\\B", velnet::registry::Access::Full)
                  .setValue("v", velnet::registry::ValueType::Binary,
                            std::vector<std::uint8_t>{'a', 'b', 0, 'c'}),
              velnet::registry::Status::Success);
    EXPECT_EQ(SystemInfo::readRegistryText(registry, Root::LocalMachine, "A\\B", "v"), "ab");
    // More than the 1024-byte buffer is missing.
    ASSERT_EQ(registry.open(Root::LocalMachine, "A\\B", velnet::registry::Access::Full)
                  .setString("long", std::string(1024, 'x')),
              velnet::registry::Status::Success);
    EXPECT_EQ(SystemInfo::readRegistryText(registry, Root::LocalMachine, "A\\B", "long"), "");
}

TEST(SystemSection, Windows95SummarySortsDevicesByInterruptAndAddsTheDriverBlock)
{
    StoreFixture store("win95.reg");
    FileRegistry registry(store.store());
    FakeOsVersion os(OsKind::Windows95);
    SystemInfo::Environment env;
    env.systemDirectory = store.dir.path();
    velnet::test::writeFile(store.dir.file("vxwin95.vxd"), driverFile("040904E4", "4.10.0.1234"));
    SystemInfo info(registry, os, env);

    std::string out;
    info.writeSystemSection(out);

    const std::string summary = "\n\n\nSystem Summary:\n\n"
                                "Windows version:  Windows 95 4.00.950\n"
                                "BIOS Name:  Example Systems BIOS\n"
                                "BIOS Version:  \n"
                                "BIOS Date:  07/15/96\n"
                                "\nDevice Name:  Corvane Fast Velnet XL PCI Adapter\n"
                                "  IRQ = 3\n"
                                "  Node Status:\n"
                                "    Has Register_Device_Driver\n"
                                "    Is currently configured\n"
                                "\nDevice Name:  Communications Port (COM2) 100% compatible\n"
                                "  IRQ = 3\n"
                                "  Node Status:\n"
                                "    Is currently configured\n"
                                "  Problem:  Device is disabled\n"
                                "\nDevice Name:  Corvane Fast Velnet XL PCI Adapter\n"
                                "  IRQ = 5\n"
                                "  Node Status:\n"
                                "    Has Register_Device_Driver\n"
                                "    Is currently configured\n"
                                "\n\nWindows Driver: vxwin95.vxd\n"
                                "Windows Driver Version 4.10.0.1234.\n"
                                "Windows Driver Date: ";
    ASSERT_GT(out.size(), summary.size());
    EXPECT_EQ(out.substr(0, summary.size()), summary);
    EXPECT_EQ(out.find('\n', summary.size()), std::string::npos) << "the block ends with the date";
    EXPECT_GT(out.size(), summary.size() + 5) << "the file's date is written";
}

TEST(SystemSection, Windows95WithoutTheThunkLibraryShowsWhyAndListsNoDevices)
{
    StoreFixture store("win95.reg");
    FileRegistry registry(store.store());
    FakeOsVersion os(OsKind::Windows95);
    SystemInfo info(registry, os);
    const std::regex loading(
        "Error loading the library VXTHNK32.DLL, GetLastError = [0-9]+ :: [0-9]+");
    const std::regex resolving(
        "Error resolving the function address mythunk, GetLastError = [0-9]+ :: [0-9]+");

    // A file that is no library stands first in the search path.
    velnet::test::writeFile(store.dir.file("vxthnk32.so"), "not a shared object");
    for (const auto& [folder, pattern] : {std::pair{store.dir.path(), &loading},
                                          std::pair{std::string(VELNET_NOTHUNK_DIR), &resolving}}) {
        LibraryPath path(folder);
        velnet::ui::ScriptedResponder responder([](const std::string&) {});
        std::string out;
        info.writeWindows95Summary(out);
        ASSERT_EQ(responder.shown().size(), 1u);
        EXPECT_TRUE(std::regex_match(responder.shown()[0].text, *pattern))
            << responder.shown()[0].text;
        EXPECT_EQ(responder.shown()[0].buttons, velnet::ui::Buttons::Ok);
        EXPECT_EQ(out, "\n\n\nSystem Summary:\n\nWindows version:  Windows 95 4.00.950\n"
                       "BIOS Name:  Example Systems BIOS\nBIOS Version:  \nBIOS Date:  07/15/96\n");
    }
}

TEST(SystemSection, SortingKeepsCollectionOrderWithinOneInterrupt)
{
    const auto rows = SystemInfo::sortByInterrupt(
        {{5, 1, 0, 0}, {3, 1, 0, 0}, {9, 2, 0, 0}, {3, 2, 0, 0}, {0, 4, 0, 0}, {3, 3, 0, 0}});
    std::vector<std::pair<std::uint32_t, std::uint32_t>> order;
    for (const auto& row : rows)
        order.emplace_back(row.interrupt, row.deviceNode);
    EXPECT_EQ(order, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{
                         {0, 4}, {3, 1}, {3, 2}, {3, 3}, {5, 1}, {9, 2}}));
}

TEST(SystemSection, WindowsNtCopiesTheSystemReportAfterStartingTheTool)
{
    StoreFixture store("nt4.reg");
    FileRegistry registry(store.store());
    FakeOsVersion os(OsKind::WindowsNT4);
    std::vector<std::string> started;
    SystemInfo::Environment env;
    env.currentDirectory = store.dir.path();
    env.startProgram = [&](const std::string& program, const std::vector<std::string>& args) {
        started.push_back(program);
        for (const auto& a : args)
            started.push_back(a);
    };
    SystemInfo info(registry, os, env);

    // Before the tool ever ran there is nothing to copy.
    std::string none;
    info.writeSystemSection(none);
    EXPECT_EQ(none, "");
    EXPECT_EQ(started, (std::vector<std::string>{"winmsd.exe", "/s", "/f"}));

    // Copied whole and unchanged, across block boundaries; exactly 2000 bytes
    // ends with an empty block.
    for (std::size_t size : {std::size_t{2000}, std::size_t{2345}}) {
        std::string report;
        for (std::size_t i = 0; i < size; ++i)
            report += static_cast<char>(i % 7 == 6 ? '\n' : 'a' + i % 26);
        report[10] = '\0';
        velnet::test::writeFile(store.dir.file("SUPPORT-PC.TXT"), report);
        std::string out;
        info.writeSystemSection(out);
        EXPECT_EQ(out, "\nSUPPORT-PC.TXT\n" + report);
    }
}

TEST(SystemSection, TheSystemReportToolWritesTheFileTheCollectorReads)
{
    StoreFixture store("nt4.reg");
    FileRegistry registry(store.store());
    FakeOsVersion os(OsKind::WindowsNT4);
    SystemInfo::Environment env;
    env.currentDirectory = store.dir.path();
    env.startProgram = [&](const std::string& program, const std::vector<std::string>& args) {
        EXPECT_EQ(program, "winmsd.exe");
        QProcess tool;
        tool.setWorkingDirectory(QString::fromStdString(store.dir.path()));
        QStringList arguments;
        for (const auto& a : args)
            arguments << QString::fromStdString(a);
        tool.start(QString(VELNET_BINARY_DIR) + "/bin/winmsd", arguments);
        ASSERT_TRUE(tool.waitForFinished(20000));
        EXPECT_EQ(tool.exitCode(), 0);
    };
    std::string out;
    SystemInfo(registry, os, env).writeNtSystemReport(out);
    EXPECT_TRUE(out.starts_with("\nSUPPORT-PC.TXT\nSystem report for \\\\SUPPORT-PC\n")) << out;
    EXPECT_NE(out.find("Build:  1381\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Card 1:  Corvane Fast Velnet Server XL\n  Service:  Vxsrvnt1\n"),
              std::string::npos)
        << out;
}

TEST(SystemSection, OtherSystemsDumpTheTranslatedResourceMapThenDescribeLinux)
{
    StoreFixture store("resourcemap.reg");
    FileRegistry registry(store.store());
    FakeOsVersion os(OsKind::Linux);
    SystemInfo::Environment env;
    env.systemDirectory = store.dir.path();
    env.linuxRoot = store.dir.file("empty-root");
    SystemInfo info(registry, os, env);

    std::string dump;
    info.writeResourceMapDump(dump);
    EXPECT_EQ(dump, "Key = System Resources\n"
                    "Value Name = .Translated\n"
                    "data[0] = 1\n"
                    "data[1] = 2\n"
                    "data[2] = 3\n"
                    "Key = Velnet\n"
                    "Value Name = \\Device\\VxNet0.Translated\n"
                    "data[0] = 16\n"
                    "data[1] = 255\n"
                    "data[2] = 0\n");

    // No driver file: no driver block; an empty tree: only the heading.
    std::string section;
    info.writeSystemSection(section);
    EXPECT_EQ(section, dump + "\n\n\nLinux System Summary:\n\n");
}

TEST(SystemSection, ResourceMapValueTooLargeEndsThatKeysValues)
{
    TempDir dir;
    FileRegistry registry(dir.file("r.reg"));
    auto key = registry.create(Root::LocalMachine, "HARDWARE\\RESOURCEMAP\\Big\\One",
                               velnet::registry::Access::Full);
    using velnet::registry::Status;
    using velnet::registry::ValueType;
    ASSERT_EQ(key.setValue("A.Translated", ValueType::ResourceList, std::vector<std::uint8_t>{7}),
              Status::Success);
    ASSERT_EQ(
        key.setValue("B.Translated", ValueType::ResourceList, std::vector<std::uint8_t>(2049, 1)),
        Status::Success);
    ASSERT_EQ(key.setValue("C.Translated", ValueType::ResourceList, std::vector<std::uint8_t>{9}),
              Status::Success);
    FakeOsVersion os(OsKind::Linux);
    std::string out;
    SystemInfo(registry, os).writeResourceMapDump(out);
    EXPECT_EQ(out, "Key = Big\nValue Name = A.Translated\ndata[0] = 7\n");
}

TEST(SystemSection, DriverBlockNeedsAVersionResourceWithTheUsEnglishTable)
{
    TempDir dir;
    FileRegistry registry(dir.file("r.reg"));
    FakeOsVersion os(OsKind::WindowsNT4);
    SystemInfo::Environment env;
    env.systemDirectory = dir.path();
    SystemInfo info(registry, os, env);

    velnet::test::writeFile(dir.file("plain.sys"), std::string(4000, 'z'));
    velnet::test::writeFile(dir.file("german.sys"), driverFile("040704B0", "1.0"));
    velnet::test::writeFile(dir.file("vxwin.sys"), driverFile("040904e4", "3.51.7"));
    std::string out;
    info.writeDriverVersionBlock(out, "missing.sys");
    info.writeDriverVersionBlock(out, "plain.sys");
    info.writeDriverVersionBlock(out, "german.sys");
    EXPECT_EQ(out, "");
    info.writeDriverVersionBlock(out, "vxwin.sys");
    EXPECT_TRUE(out.starts_with("\n\nWindows Driver: vxwin.sys\nWindows Driver Version 3.51.7.\n"
                                "Windows Driver Date: "))
        << out;
    EXPECT_EQ(FileVersion::query(dir.file("vxwin.sys"), "040904E4", "CompanyName"), "Corvane");
    // A resource cut short is no resource.
    const std::string whole = driverFile("040904E4", "3.51.7");
    EXPECT_FALSE(
        FileVersion::queryBytes(whole.substr(0, whole.size() - 40), "040904E4", "FileVersion"));
}

TEST(OwnerDefaults, FillOnlyEmptyCompanyAndContactNames)
{
    StoreFixture store("win95.reg");
    FileRegistry registry(store.store());
    FakeOsVersion os(OsKind::Windows95);
    SystemInfo info(registry, os);

    ReportAnswers empty;
    info.fillOwnerDefaults(empty);
    EXPECT_EQ(empty.value(ReportAnswers::CompanyName), "Example Freight Ltd.");
    EXPECT_EQ(empty.value(ReportAnswers::ContactName), "Dana Whitfield");
    EXPECT_EQ(empty.value(ReportAnswers::Address), "");

    ReportAnswers typed;
    typed.store(ReportAnswers::CompanyName, "Typed Inc.");
    info.fillOwnerDefaults(typed);
    EXPECT_EQ(typed.value(ReportAnswers::CompanyName), "Typed Inc.");
    EXPECT_EQ(typed.value(ReportAnswers::ContactName), "Dana Whitfield");

    TempDir dir;
    FileRegistry bare(dir.file("bare.reg"));
    ReportAnswers none;
    SystemInfo(bare, os).fillOwnerDefaults(none);
    EXPECT_EQ(none.value(ReportAnswers::CompanyName), "");
}

TEST(ThunkLibrary, AnswersFromTheDeviceNodeValuesOfTheStore)
{
    StoreFixture store("win95.reg");
    velnet::platform::DynamicLibrary library;
    const auto loaded = library.load("VXTHNK32.DLL");
    ASSERT_TRUE(loaded.ok()) << loaded.error();
    using Thunk = std::uint32_t (*)(std::uint32_t, std::uint32_t);
    const auto thunk = library.resolve<Thunk>("MyThunk");
    ASSERT_NE(thunk, nullptr);
    EXPECT_EQ(thunk(0xC29A1000, 0), 3u);
    EXPECT_EQ(thunk(0xC29A1000, 1), 5u);
    EXPECT_EQ(thunk(0xC29A1000, 2), 0xFFFFu);
    EXPECT_EQ(thunk(0xC29A1000, 255), 10u);
    EXPECT_EQ(thunk(0xC29A2000, 511), 22u);
    EXPECT_EQ(thunk(0xC29A3000, 0), 0xFFFFu) << "a node without interrupts";
    EXPECT_EQ(thunk(0xC29A1000, 7), 0xFFFFu) << "no such selector";
    EXPECT_EQ(thunk(0xDEAD, 0), 0xFFFFu) << "no such node";
}

TEST(OsVersion, TheRunningSystemIsLinuxAndTestsCanPlayAnother)
{
    utsname names{};
    ASSERT_EQ(::uname(&names), 0);
    const auto real = velnet::platform::SystemOsVersion().info();
    EXPECT_EQ(real.kind, OsKind::Linux);
    EXPECT_EQ(real.majorVersion, 0u) << "no Windows-only branch on Linux";
    EXPECT_EQ(real.release, names.release);
    EXPECT_TRUE(velnet::platform::SystemOsVersion().restartNeedsPrivileges());

    FakeOsVersion nt(OsKind::WindowsNT4);
    velnet::platform::OsVersion* previous = velnet::platform::setOsVersion(&nt);
    EXPECT_EQ(velnet::platform::osVersion().info().majorVersion, 4u);
    EXPECT_EQ(velnet::platform::osVersion().info().platformId, velnet::platform::kPlatformWin32Nt);
    velnet::platform::setOsVersion(previous);
    EXPECT_EQ(velnet::platform::osVersion().info().kind, OsKind::Linux);
    EXPECT_FALSE(FakeOsVersion(OsKind::Windows95).restartNeedsPrivileges());
}
