// SPDX-License-Identifier: MIT
#include "linux/nic/Sysfs.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

namespace velnet::linuxnic {

namespace fs = std::filesystem;

std::filesystem::path Sysfs::interfacePath(const std::string& interfaceName) const
{
    return root_ / "class" / "net" / interfaceName;
}

std::vector<std::string> Sysfs::interfaceNames() const
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(root_ / "class" / "net", error), end; !error && it != end;
         it.increment(error))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::string> Sysfs::readTrimmed(const fs::path& file)
{
    std::ifstream in(file);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    std::string value = text.str();
    while (!value.empty() && (value.back() == '\n' || value.back() == ' '))
        value.pop_back();
    return value;
}

std::optional<std::string> Sysfs::attribute(const std::string& interfaceName,
                                            const std::string& name) const
{
    return readTrimmed(interfacePath(interfaceName) / name);
}

std::optional<long long> Sysfs::number(const std::string& interfaceName,
                                       const std::string& name) const
{
    const auto text = attribute(interfaceName, name);
    if (!text || text->empty())
        return std::nullopt;
    long long value = 0;
    const int base = text->rfind("0x", 0) == 0 ? 16 : 10;
    const char* first = text->data() + (base == 16 ? 2 : 0);
    const auto [end, error] = std::from_chars(first, text->data() + text->size(), value, base);
    if (error != std::errc() || end != text->data() + text->size())
        return std::nullopt;
    return value;
}

std::optional<std::string> Sysfs::deviceAttribute(const std::string& interfaceName,
                                                  const std::string& name) const
{
    return readTrimmed(interfacePath(interfaceName) / "device" / name);
}

bool Sysfs::hasDevice(const std::string& interfaceName) const
{
    std::error_code error;
    return fs::exists(interfacePath(interfaceName) / "device", error);
}

std::optional<fs::path> Sysfs::pciDevice(const std::string& interfaceName) const
{
    std::error_code error;
    fs::path device = fs::canonical(interfacePath(interfaceName) / "device", error);
    // The network device, its parent and grandparent are enough for the
    // devices that sit on a PCI function (virtio, some USB-less SoC glue).
    for (int level = 0; !error && level < 3 && device.has_relative_path(); ++level) {
        const fs::path subsystem = fs::canonical(device / "subsystem", error);
        if (!error && subsystem.filename() == "pci")
            return device;
        error.clear();
        device = device.parent_path();
    }
    return std::nullopt;
}

std::optional<std::string> Sysfs::pciAttribute(const std::string& interfaceName,
                                               const std::string& name) const
{
    const auto device = pciDevice(interfaceName);
    if (!device)
        return std::nullopt;
    return readTrimmed(*device / name);
}

std::optional<std::string> Sysfs::busAddress(const std::string& interfaceName) const
{
    if (const auto device = pciDevice(interfaceName))
        return device->filename().string();
    std::error_code error;
    const fs::path target = fs::read_symlink(interfacePath(interfaceName) / "device", error);
    if (error)
        return std::nullopt;
    return target.filename().string();
}

std::vector<int> Sysfs::msiVectors(const std::string& interfaceName) const
{
    std::vector<int> vectors;
    const auto device = pciDevice(interfaceName);
    if (!device)
        return vectors;
    std::error_code error;
    for (fs::directory_iterator it(*device / "msi_irqs", error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        int vector = 0;
        if (std::from_chars(name.data(), name.data() + name.size(), vector).ec == std::errc())
            vectors.push_back(vector);
    }
    std::sort(vectors.begin(), vectors.end());
    return vectors;
}

} // namespace velnet::linuxnic
