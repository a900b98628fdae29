// SPDX-License-Identifier: MIT
#pragma once

#include "common/registry/Registry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velnet::platform {
class OsVersion;
}

namespace velnet::cardcheck {

class ReportAnswers;

// Describes the computer at the end of a problem report, from the registry,
// the maker's thunk library, the system-report tool and the file system, so
// that the user does not have to type it.
class SystemInfo
{
public:
    // Where the collector looks; every field has a default for the running system.
    struct Environment
    {
        // Folder of the system-report tool's output file.
        std::string currentDirectory = ".";
        // Folder that holds the Windows driver files; none on other systems.
        std::string systemDirectory;
        // Root of the Linux file system tree that the Linux summary reads.
        std::string linuxRoot = "/";
        // Starts an outside program without waiting; the default goes through the platform.
        std::function<void(const std::string& program, const std::vector<std::string>& arguments)>
            startProgram;
    };

    SystemInfo(velnet::registry::Registry& registry, const velnet::platform::OsVersion& os);
    SystemInfo(velnet::registry::Registry& registry, const velnet::platform::OsVersion& os,
               Environment environment);

    // The text of a value, opening the path one key at a time; empty when a
    // key or the value is missing.
    static std::string readRegistryText(velnet::registry::Registry& registry,
                                        velnet::registry::Root root, std::string_view path,
                                        std::string_view valueName);

    // Every section this system gets, appended to the report text.
    void writeSystemSection(std::string& out) const;

    void writeWindows95Summary(std::string& out) const;
    void writeResourceMapDump(std::string& out) const;
    void writeNtSystemReport(std::string& out) const;
    void writeDriverVersionBlock(std::string& out, const std::string& driverFile) const;
    void writeLinuxSummary(std::string& out) const;

    // Empty company and contact names become the registered organisation and owner.
    void fillOwnerDefaults(ReportAnswers& answers) const;

    // One row per (device node, interrupt line).
    struct DeviceRow
    {
        std::uint32_t interrupt = 0;
        std::uint32_t deviceNode = 0;
        std::uint32_t status = 0;
        std::uint32_t problem = 0;
    };
    // The rows by ascending interrupt, rows of one interrupt in collection order.
    static std::vector<DeviceRow> sortByInterrupt(std::vector<DeviceRow> rows);

private:
    std::string text(velnet::registry::Root root, std::string_view path,
                     std::string_view value) const;
    std::vector<std::uint32_t> deviceNodes(int* lastError) const;
    std::vector<DeviceRow> collectDevices() const;
    void writeDeviceRow(std::string& out, const DeviceRow& row) const;

    velnet::registry::Registry& registry_;
    const velnet::platform::OsVersion& os_;
    Environment env_;
};

} // namespace velnet::cardcheck
