// SPDX-License-Identifier: MIT
#include "cardcheck/report/LinuxSystemSummary.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/utsname.h>

namespace velnet::cardcheck {

namespace fs = std::filesystem;

namespace {

std::string trim(const std::string& text)
{
    const auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    const auto end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

// The value of KEY="value" or KEY=value in an os-release file.
std::string unquote(std::string value)
{
    value = trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

std::string linkName(const fs::path& link)
{
    std::error_code error;
    const fs::path target = fs::read_symlink(link, error);
    return error ? std::string() : target.filename().string();
}

std::vector<std::string> sortedEntries(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// MSI interrupt numbers sort by value, not by text.
std::vector<std::string> sortedNumbers(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

} // namespace

LinuxSystemSummary::LinuxSystemSummary(std::string root, std::function<KernelNames()> kernel)
    : root_(std::move(root)), kernel_(std::move(kernel))
{
    if (!kernel_ && fs::path(root_) == fs::path("/")) {
        kernel_ = [] {
            utsname names{};
            if (::uname(&names) != 0)
                return KernelNames{};
            return KernelNames{names.sysname, names.release, names.version, names.machine};
        };
    }
}

std::string LinuxSystemSummary::path(const std::string& relative) const
{
    return (fs::path(root_) / relative).string();
}

std::string LinuxSystemSummary::firstLine(const std::string& relative) const
{
    std::ifstream in(path(relative));
    std::string line;
    if (!in || !std::getline(in, line))
        return {};
    return trim(line);
}

std::string LinuxSystemSummary::distribution() const
{
    std::ifstream in(path("etc/os-release"));
    std::string line, name, pretty;
    while (std::getline(in, line)) {
        if (line.starts_with("PRETTY_NAME="))
            pretty = unquote(line.substr(12));
        else if (line.starts_with("NAME="))
            name = unquote(line.substr(5));
    }
    return pretty.empty() ? name : pretty;
}

std::string LinuxSystemSummary::kernel() const
{
    if (!kernel_)
        return {};
    const KernelNames k = kernel_();
    std::string text;
    for (const std::string* part : {&k.sysname, &k.release, &k.version, &k.machine}) {
        if (part->empty())
            continue;
        if (!text.empty())
            text += ' ';
        text += *part;
    }
    return text;
}

void LinuxSystemSummary::writeBios(std::string& out) const
{
    const std::pair<const char*, const char*> lines[] = {
        {"BIOS Vendor:  ", "sys/class/dmi/id/bios_vendor"},
        {"BIOS Version:  ", "sys/class/dmi/id/bios_version"},
        {"BIOS Date:  ", "sys/class/dmi/id/bios_date"},
    };
    for (const auto& [label, file] : lines) {
        const std::string value = firstLine(file);
        if (!value.empty())
            out += std::string(label) + value + "\n";
    }
}

void LinuxSystemSummary::writeNetworkDevices(std::string& out) const
{
    const fs::path pciDevices = path("sys/bus/pci/devices");
    for (const std::string& interface : sortedEntries(path("sys/class/net"))) {
        const fs::path net = fs::path(path("sys/class/net")) / interface;
        std::error_code error;
        fs::path device = fs::canonical(net / "device", error);
        if (error)
            continue;
        // The network device may hang below its PCI function (virtio does).
        std::string pci;
        for (fs::path p = device; p.has_relative_path() && p != p.parent_path();
             p = p.parent_path()) {
            if (fs::exists(pciDevices / p.filename(), error)) {
                pci = p.filename().string();
                break;
            }
        }
        if (pci.empty())
            continue;
        const std::string pciRelative = "sys/bus/pci/devices/" + pci;
        out += "\nNetwork Device:  " + interface + "\n";
        const std::string vendor = firstLine(pciRelative + "/vendor");
        const std::string id = firstLine(pciRelative + "/device");
        std::string pciLine = "  PCI Device:  " + pci;
        if (!vendor.empty() && !id.empty())
            pciLine += " (" + vendor + ":" + id + ")";
        out += pciLine + "\n";
        const std::string address = firstLine("sys/class/net/" + interface + "/address");
        if (!address.empty())
            out += "  Hardware Address:  " + address + "\n";
        out += interruptLines(pciRelative);
        const fs::path driverLink = net / "device" / "driver";
        const std::string driver = linkName(driverLink);
        if (driver.empty())
            continue;
        out += "  Driver:  " + driver + "\n";
        std::string module = linkName(driverLink / "module");
        if (module.empty()) {
            module = driver;
            std::replace(module.begin(), module.end(), '-', '_');
        }
        const std::string version = firstLine("sys/module/" + module + "/version");
        if (!version.empty())
            out += "  Driver Version:  " + version + "\n";
    }
}

std::string LinuxSystemSummary::interruptLines(const std::string& pciRelative) const
{
    const auto msi = sortedNumbers(sortedEntries(path(pciRelative + "/msi_irqs")));
    if (!msi.empty()) {
        // The legacy line of a device that uses MSI is unused; it reads 0.
        std::string line = "  MSI IRQs =";
        for (const std::string& n : msi)
            line += " " + n;
        return line + "\n";
    }
    const std::string irq = firstLine(pciRelative + "/irq");
    if (irq.empty())
        return {};
    return "  IRQ = " + (irq == "0" ? std::string("none") : irq) + "\n";
}

void LinuxSystemSummary::writeInterrupts(std::string& out) const
{
    std::ifstream in(path("proc/interrupts"));
    std::string header;
    if (!in || !std::getline(in, header))
        return;
    std::size_t cpus = 0;
    {
        std::istringstream names(header);
        std::string name;
        while (names >> name)
            ++cpus;
    }
    std::string lines;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string number;
        fields >> number;
        if (number.size() < 2 || number.back() != ':' ||
            !std::all_of(number.begin(), number.end() - 1,
                         [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        std::string field;
        for (std::size_t i = 0; i < cpus && fields >> field; ++i) {
        }
        std::string rest;
        while (fields >> field)
            rest += (rest.empty() ? "" : " ") + field;
        lines += "  IRQ " + number + (rest.empty() ? "" : "  " + rest) + "\n";
    }
    if (!lines.empty())
        out += "\nInterrupt lines in use:\n" + lines;
}

std::string LinuxSystemSummary::text() const
{
    std::string out = "\n\n\nLinux System Summary:\n\n";
    const std::string distro = distribution();
    if (!distro.empty())
        out += "Distribution:  " + distro + "\n";
    const std::string k = kernel();
    if (!k.empty())
        out += "Kernel:  " + k + "\n";
    writeBios(out);
    writeNetworkDevices(out);
    writeInterrupts(out);
    return out;
}

} // namespace velnet::cardcheck
