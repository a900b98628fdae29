// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velnet::linuxnic {

// The interface and device attributes of /sys as mounted for this process
// (a network namespace sees its own interfaces only where sysfs was mounted
// inside it). The root is a parameter so that tests can lay out a tree.
class Sysfs
{
public:
    explicit Sysfs(std::filesystem::path root = "/sys") : root_(std::move(root)) {}

    std::filesystem::path interfacePath(const std::string& interfaceName) const;
    std::vector<std::string> interfaceNames() const;
    // The attribute's text without its trailing newline; nothing when it is
    // absent or cannot be opened.
    std::optional<std::string> attribute(const std::string& interfaceName,
                                         const std::string& name) const;
    std::optional<long long> number(const std::string& interfaceName,
                                    const std::string& name) const;
    // device/NAME of the interface: the bus device behind it.
    std::optional<std::string> deviceAttribute(const std::string& interfaceName,
                                               const std::string& name) const;
    bool hasDevice(const std::string& interfaceName) const;
    // The PCI device behind the interface: the device itself, or the one it
    // sits on (a virtio network device is a child of its PCI function).
    std::optional<std::filesystem::path> pciDevice(const std::string& interfaceName) const;
    std::optional<std::string> pciAttribute(const std::string& interfaceName,
                                            const std::string& name) const;
    // The bus address of the device: the PCI address where there is one,
    // else the name of the device the interface links to.
    std::optional<std::string> busAddress(const std::string& interfaceName) const;
    // msi_irqs of the PCI device, ascending.
    std::vector<int> msiVectors(const std::string& interfaceName) const;

    static std::optional<std::string> readTrimmed(const std::filesystem::path& file);

private:
    std::filesystem::path root_;
};

} // namespace velnet::linuxnic
