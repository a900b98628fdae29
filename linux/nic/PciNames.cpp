// SPDX-License-Identifier: MIT
#include "linux/nic/PciNames.h"

extern "C" {
#include <pci/pci.h>
}

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace velnet::linuxnic {

namespace {

// libpci reports a missing or unreadable database as a warning on stderr;
// the caller then shows the driver's name instead. pci_init() would set
// these callbacks, but it also looks for a way to reach the bus, which names
// do not need and which exits the process where none is found.
void quiet(char*, ...) {}

[[noreturn]] void fatal(char* format, ...)
{
    std::va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::abort();
}

class Database
{
public:
    Database() : access_(pci_alloc())
    {
        if (access_) {
            access_->warning = quiet;
            access_->debug = quiet;
            access_->error = fatal;
        }
    }
    ~Database()
    {
        if (access_)
            pci_cleanup(access_);
    }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    template <typename... Ids> std::optional<std::string> lookup(int flags, Ids... ids)
    {
        std::lock_guard lock(mutex_);
        if (!access_)
            return std::nullopt;
        char buffer[512];
        const char* name = pci_lookup_name(access_, buffer, sizeof buffer,
                                           flags | PCI_LOOKUP_NO_NUMBERS, static_cast<int>(ids)...);
        if (!name)
            return std::nullopt;
        return std::string(name);
    }

private:
    std::mutex mutex_;
    pci_access* access_;
};

Database& database()
{
    static Database instance;
    return instance;
}

} // namespace

std::optional<std::string> PciNames::vendorAndDevice(std::uint16_t vendor, std::uint16_t device)
{
    return database().lookup(PCI_LOOKUP_VENDOR | PCI_LOOKUP_DEVICE, vendor, device);
}

std::optional<std::string> PciNames::subsystem(std::uint16_t vendor, std::uint16_t device,
                                               std::uint16_t subVendor, std::uint16_t subDevice)
{
    return database().lookup(PCI_LOOKUP_SUBSYSTEM | PCI_LOOKUP_VENDOR | PCI_LOOKUP_DEVICE, vendor,
                             device, subVendor, subDevice);
}

} // namespace velnet::linuxnic
