// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace velnet::cardcheck {

// Describes the Linux computer the program runs on, from files that any
// user may read: the distribution, the kernel, the BIOS, each PCI network
// device with its interrupt and driver, and the interrupt lines in use. A
// file that is missing leaves its line out.
class LinuxSystemSummary
{
public:
    // The kernel's names as uname reports them.
    struct KernelNames
    {
        std::string sysname, release, version, machine;
    };

    // `root` is the top of the file system tree, "/" on the running system;
    // the kernel names come from uname there, and from `kernel` elsewhere.
    explicit LinuxSystemSummary(std::string root, std::function<KernelNames()> kernel = nullptr);

    std::string text() const;

private:
    std::string path(const std::string& relative) const;
    std::string firstLine(const std::string& relative) const;
    std::string distribution() const;
    std::string kernel() const;
    void writeBios(std::string& out) const;
    void writeNetworkDevices(std::string& out) const;
    // A PCI device's interrupt lines: its MSI vectors when it has any, else
    // its legacy line, where 0 means it has none.
    std::string interruptLines(const std::string& pciRelative) const;
    void writeInterrupts(std::string& out) const;

    std::string root_;
    std::function<KernelNames()> kernel_;
};

} // namespace velnet::cardcheck
