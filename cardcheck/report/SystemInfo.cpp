// SPDX-License-Identifier: MIT
#include "cardcheck/report/SystemInfo.h"

#include "cardcheck/report/FileVersion.h"
#include "cardcheck/report/LinuxSystemSummary.h"
#include "cardcheck/resources/StringTable.h"
#include "cardcheck/ui/ReportAnswers.h"
#include "common/platform/DynamicLibrary.h"
#include "common/platform/OsVersion.h"
#include "common/text/FormatMessage.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>

namespace velnet::cardcheck {

using velnet::formatMessage;
using velnet::registry::Access;
using velnet::registry::Key;
using velnet::registry::Registry;
using velnet::registry::Root;

namespace {

constexpr std::size_t kValueBuffer = 1024;
constexpr std::size_t kResourceNameBuffer = 1024;
constexpr std::size_t kResourceDataBuffer = 2048;
constexpr std::size_t kCopyBlock = 1000;
constexpr std::uint32_t kNoInterrupt = 0xFFFF;
constexpr std::uint32_t kSelectStatus = 255;
constexpr std::uint32_t kSelectProblem = 511;
constexpr int kStatusBits = 19;
constexpr std::uint32_t kLastProblem = 30;

const char* const kWindowsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

std::string printf3(const char* pattern, const char* text, int a, int b)
{
    const int size = std::snprintf(nullptr, 0, pattern, text, a, b);
    std::string out(static_cast<std::size_t>(std::max(size, 0)) + 1, '\0');
    std::snprintf(out.data(), out.size(), pattern, text, a, b);
    out.resize(static_cast<std::size_t>(std::max(size, 0)));
    return out;
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string hexName(std::uint32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%x", value);
    return buffer;
}

// The creation time of a file as the run-time library's locale writes "%c".
std::string creationTime(const std::string& path)
{
    struct statx info
    {
    };
    std::time_t when = 0;
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &info) != 0)
        return {};
    when = (info.stx_mask & STATX_BTIME) ? info.stx_btime.tv_sec : info.stx_mtime.tv_sec;
    std::tm local{};
    ::localtime_r(&when, &local);
    char buffer[128];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%c", &local);
    return std::string(buffer, n);
}

using Thunk = std::uint32_t (*)(std::uint32_t deviceNode, std::uint32_t selector);

} // namespace

SystemInfo::SystemInfo(Registry& registry, const velnet::platform::OsVersion& os)
    : SystemInfo(registry, os, Environment{})
{
}

SystemInfo::SystemInfo(Registry& registry, const velnet::platform::OsVersion& os,
                       Environment environment)
    : registry_(registry), os_(os), env_(std::move(environment))
{
}

std::string SystemInfo::readRegistryText(Registry& registry, Root root, std::string_view path,
                                         std::string_view valueName)
{
    // One key at a time, as the path walk opens and closes each level.
    std::string opened;
    std::string_view rest = path;
    while (true) {
        const std::size_t slash = rest.find('\\');
        const std::string_view head = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        const std::string next =
            opened.empty() ? std::string(head) : opened + "\\" + std::string(head);
        Key key = registry.open(root, next, Access::Read);
        if (!key)
            return {};
        if (rest.empty())
            return key.queryString(valueName, kValueBuffer).value_or(std::string());
        opened = next;
    }
}

std::string SystemInfo::text(Root root, std::string_view path, std::string_view value) const
{
    return readRegistryText(registry_, root, path, value);
}

void SystemInfo::writeSystemSection(std::string& out) const
{
    if (os_.info().majorVersion == 4) {
        const std::string version = text(Root::LocalMachine, kWindowsKey, "Version");
        if (version.find("95") != std::string::npos) {
            writeWindows95Summary(out);
            writeDriverVersionBlock(
                out, text(Root::LocalMachine,
                          "System\\CurrentControlSet\\Services\\Class\\Net\\0000", "DeviceVxDs"));
        } else {
            writeNtSystemReport(out);
            writeDriverVersionBlock(out, "vxwin.sys");
        }
        return;
    }
    writeResourceMapDump(out);
    writeDriverVersionBlock(out, "vxwin.sys");
    writeLinuxSummary(out);
}

std::vector<std::uint32_t> SystemInfo::deviceNodes(int* lastError) const
{
    std::vector<std::uint32_t> nodes;
    errno = 0;
    if (Key key = registry_.open(Root::DynData, "Config Manager\\Enum", Access::Read)) {
        for (std::size_t i = 0;; ++i) {
            const auto name = key.enumKey(i);
            if (!name)
                break;
            nodes.push_back(static_cast<std::uint32_t>(std::strtoul(name->c_str(), nullptr, 16)));
        }
    }
    *lastError = errno;
    return nodes;
}

std::vector<SystemInfo::DeviceRow> SystemInfo::collectDevices() const
{
    int lastError = 0;
    const std::vector<std::uint32_t> nodes = deviceNodes(&lastError);
    std::vector<DeviceRow> rows;
    velnet::platform::DynamicLibrary library;
    if (!library.load("VXTHNK32.DLL")) {
        appMessageBox(printf3("Error loading the library %s, GetLastError = %d :: %d",
                              "VXTHNK32.DLL", lastError, errno ? errno : ENOENT));
        return rows;
    }
    const auto thunk = library.resolve<Thunk>("MyThunk");
    if (!thunk) {
        appMessageBox(printf3("Error resolving the function address %s, GetLastError = %d :: %d",
                              "mythunk", lastError, errno));
        return rows;
    }
    for (std::uint32_t node : nodes) {
        for (std::uint32_t n = 0; n <= 6; ++n) {
            const std::uint32_t interrupt = thunk(node, n);
            if (interrupt == kNoInterrupt)
                break;
            rows.push_back(
                {interrupt, node, thunk(node, kSelectStatus), thunk(node, kSelectProblem)});
        }
    }
    return rows;
}

std::vector<SystemInfo::DeviceRow> SystemInfo::sortByInterrupt(std::vector<DeviceRow> rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const DeviceRow& a, const DeviceRow& b) {
        return a.interrupt < b.interrupt;
    });
    return rows;
}

void SystemInfo::writeDeviceRow(std::string& out, const DeviceRow& row) const
{
    const std::string hardwareKey =
        text(Root::DynData, "Config Manager\\Enum\\" + hexName(row.deviceNode), "HardWareKey");
    const std::string description = text(Root::LocalMachine, "Enum\\" + hardwareKey, "DeviceDesc");
    out += "\n";
    out += formatMessage(StringTable::load(ids::DeviceName), {description});
    out += "\n";
    out += formatMessage(StringTable::load(ids::Irq), {std::to_string(row.interrupt)});
    out += "\n";
    out += StringTable::load(ids::NodeStatus);
    out += "\n";
    for (int bit = 0; bit < kStatusBits; ++bit) {
        if (row.status & (1u << bit)) {
            out += StringTable::load(ids::StatusFlagFirst + bit);
            out += "\n";
        }
    }
    if (row.problem != 0) {
        out += StringTable::load(ids::Problem);
        if (row.problem <= kLastProblem)
            out += StringTable::load(ids::NodeStatus + static_cast<int>(row.problem));
        out += "\n";
    }
}

void SystemInfo::writeWindows95Summary(std::string& out) const
{
    const std::vector<DeviceRow> rows = sortByInterrupt(collectDevices());

    out += "\n\n\n";
    out += StringTable::load(ids::SystemSummary);
    out += "\n\n";
    out += formatMessage(StringTable::load(ids::WindowsVersion),
                         {text(Root::LocalMachine, kWindowsKey, "Version"),
                          text(Root::LocalMachine, kWindowsKey, "VersionNumber")});
    out += "\n";
    const char* const bios = "Enum\\Root\\*PNP0C01\\0000";
    out += formatMessage(StringTable::load(ids::BiosName),
                         {text(Root::LocalMachine, bios, "BIOSName")});
    out += "\n";
    out += formatMessage(StringTable::load(ids::BiosVersion),
                         {text(Root::LocalMachine, bios, "BIOSVersion")});
    out += "\n";
    out += formatMessage(StringTable::load(ids::BiosDate),
                         {text(Root::LocalMachine, bios, "BIOSDate")});
    out += "\n";
    for (const DeviceRow& row : rows)
        writeDeviceRow(out, row);
}

void SystemInfo::writeResourceMapDump(std::string& out) const
{
    const std::string top = "HARDWARE\\RESOURCEMAP";
    Key map = registry_.open(Root::LocalMachine, top, Access::Read);
    if (!map)
        return;
    for (std::size_t s = 0;; ++s) {
        const auto sName = map.enumKey(s);
        if (!sName)
            break;
        Key sKey = registry_.open(Root::LocalMachine, top + "\\" + *sName, Access::Read);
        for (std::size_t t = 0; sKey; ++t) {
            const auto tName = sKey.enumKey(t);
            if (!tName)
                break;
            Key tKey = registry_.open(Root::LocalMachine, top + "\\" + *sName + "\\" + *tName,
                                      Access::Read);
            for (std::size_t v = 0; tKey; ++v) {
                const auto valueName = tKey.enumValue(v);
                if (!valueName || valueName->size() > kResourceNameBuffer)
                    break;
                const auto value = tKey.query(*valueName, kResourceDataBuffer);
                if (!value)
                    break;
                if (valueName->find("Translated") == std::string::npos)
                    continue;
                out += "Key = " + *sName + "\n";
                out += "Value Name = " + *valueName + "\n";
                for (std::size_t j = 0; j < value->data.size(); ++j)
                    out += "data[" + std::to_string(j) + "] = " + std::to_string(value->data[j]) +
                           "\n";
            }
        }
    }
}

void SystemInfo::writeNtSystemReport(std::string& out) const
{
    const std::string name =
        text(Root::LocalMachine,
             "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName",
             "ComputerName") +
        ".TXT";
    if (env_.startProgram)
        env_.startProgram("winmsd.exe", {"/s", "/f"});
    std::ifstream in(joinPath(env_.currentDirectory, name), std::ios::binary);
    if (!in)
        return;
    out += "\n" + name + "\n";
    char block[kCopyBlock];
    while (true) {
        in.read(block, sizeof block);
        const auto got = static_cast<std::size_t>(in.gcount());
        out.append(block, got);
        if (got < sizeof block)
            break;
    }
}

void SystemInfo::writeDriverVersionBlock(std::string& out, const std::string& driverFile) const
{
    // Without a system folder (not Windows) there is no driver file to describe.
    if (env_.systemDirectory.empty())
        return;
    const std::string path = joinPath(env_.systemDirectory, driverFile);
    const auto version = FileVersion::query(path);
    if (!version)
        return;
    out += "\n\n";
    out += formatMessage(StringTable::load(ids::WindowsDriver),
                         {driverFile, *version, creationTime(path)});
}

void SystemInfo::writeLinuxSummary(std::string& out) const
{
    out += LinuxSystemSummary(env_.linuxRoot).text();
}

void SystemInfo::fillOwnerDefaults(ReportAnswers& answers) const
{
    const char* const setup = "SOFTWARE\\Microsoft\\Developer\\Setup";
    if (answers.value(ReportAnswers::CompanyName).empty())
        answers.setValue(ReportAnswers::CompanyName,
                         text(Root::LocalMachine, setup, "RegisteredOrganization"));
    if (answers.value(ReportAnswers::ContactName).empty())
        answers.setValue(ReportAnswers::ContactName,
                         text(Root::LocalMachine, setup, "RegisteredOwner"));
}

} // namespace velnet::cardcheck
