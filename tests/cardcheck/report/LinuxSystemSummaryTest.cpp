// SPDX-License-Identifier: MIT
#include "cardcheck/report/LinuxSystemSummary.h"

#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/utsname.h>

using velnet::cardcheck::LinuxSystemSummary;
using velnet::test::TempDir;
namespace fs = std::filesystem;

namespace {

// A small sysfs/procfs tree: an Intel-style NIC with a legacy interrupt and a
// versioned module driver, a virtio NIC below its PCI function with MSI
// interrupts, and the loopback device, which is not PCI.
class FakeTree
{
public:
    FakeTree()
    {
        put("etc/os-release", "NAME=\"Example Linux\"\nVERSION_ID=7\n"
                              "PRETTY_NAME=\"Example Linux 7 (test)\"\n");
        put("sys/class/dmi/id/bios_vendor", "Example BIOS Co.\n");
        put("sys/class/dmi/id/bios_date", "03/14/2024\n");

        const std::string intel = pciDevice("0000:00:19.0", "0x8086", "0x15b8", "16");
        link(intel + "/driver", "../../../bus/pci/drivers/e1000e");
        link("sys/bus/pci/drivers/e1000e/module", "../../../../module/e1000e");
        put("sys/module/e1000e/version", "3.2.6-k\n");
        put("sys/class/net/eth0/address", "02:00:00:00:00:19\n");
        link("sys/class/net/eth0/device", "../../../devices/pci0000:00/0000:00:19.0");

        const std::string virtio = pciDevice("0000:00:03.0", "0x1af4", "0x1041", "0");
        for (const char* n : {"38", "9", "37"})
            put(virtio + "/msi_irqs/" + n, "msix\n");
        put(virtio + "/virtio2/vendor", "0x1af4\n");
        link(virtio + "/virtio2/driver", "../../../../bus/virtio/drivers/virtio_net");
        fs::create_directories(dir.file("sys/bus/virtio/drivers/virtio_net"));
        put("sys/class/net/ens3/address", "02:00:00:00:00:03\n");
        link("sys/class/net/ens3/device", "../../../devices/pci0000:00/0000:00:03.0/virtio2");

        put("sys/class/net/lo/address", "00:00:00:00:00:00\n");

        put("proc/interrupts",
            "           CPU0       CPU1       \n"
            "  0:         46          0   IO-APIC   2-edge      timer\n"
            " 16:       1200         30   IO-APIC  16-fasteoi   eth0\n"
            " 37:          0          0 PCI-MSIX-0000:00:03.0   0-edge      virtio2-config\n"
            "NMI:          0          0   Non-maskable interrupts\n"
            "ERR:          0\n");
    }

    // A PCI device with its vendor, device and interrupt, listed on the bus:
    // the folder of its own under sys/devices.
    std::string pciDevice(const std::string& address, const char* vendor, const char* device,
                          const char* irq)
    {
        const std::string folder = "sys/devices/pci0000:00/" + address;
        put(folder + "/vendor", std::string(vendor) + "\n");
        put(folder + "/device", std::string(device) + "\n");
        put(folder + "/irq", std::string(irq) + "\n");
        link("sys/bus/pci/devices/" + address, "../../../devices/pci0000:00/" + address);
        return folder;
    }

    void put(const std::string& relative, const std::string& bytes)
    {
        fs::create_directories(fs::path(dir.file(relative)).parent_path());
        velnet::test::writeFile(dir.file(relative), bytes);
    }
    void link(const std::string& relative, const std::string& target)
    {
        fs::create_directories(fs::path(dir.file(relative)).parent_path());
        fs::create_directory_symlink(target, dir.file(relative));
    }

    TempDir dir;
};

LinuxSystemSummary::KernelNames testKernel()
{
    return {"Linux", "6.1.0-test", "#1 SMP PREEMPT_DYNAMIC", "x86_64"};
}

} // namespace

TEST(LinuxSystemSummary, DescribesDistributionKernelBiosNicsAndInterrupts)
{
    FakeTree tree;
    EXPECT_EQ(LinuxSystemSummary(tree.dir.path(), testKernel).text(),
              "\n\n\nLinux System Summary:\n\n"
              "Distribution:  Example Linux 7 (test)\n"
              "Kernel:  Linux 6.1.0-test #1 SMP PREEMPT_DYNAMIC x86_64\n"
              "BIOS Vendor:  Example BIOS Co.\n"
              "BIOS Date:  03/14/2024\n"
              "\nNetwork Device:  ens3\n"
              "  PCI Device:  0000:00:03.0 (0x1af4:0x1041)\n"
              "  Hardware Address:  02:00:00:00:00:03\n"
              "  MSI IRQs = 9 37 38\n"
              "  Driver:  virtio_net\n"
              "\nNetwork Device:  eth0\n"
              "  PCI Device:  0000:00:19.0 (0x8086:0x15b8)\n"
              "  Hardware Address:  02:00:00:00:00:19\n"
              "  IRQ = 16\n"
              "  Driver:  e1000e\n"
              "  Driver Version:  3.2.6-k\n"
              "\nInterrupt lines in use:\n"
              "  IRQ 0:  IO-APIC 2-edge timer\n"
              "  IRQ 16:  IO-APIC 16-fasteoi eth0\n"
              "  IRQ 37:  PCI-MSIX-0000:00:03.0 0-edge virtio2-config\n");
}

TEST(LinuxSystemSummary, MissingFilesLeaveTheirLinesOut)
{
    FakeTree tree;
    fs::remove(tree.dir.file("etc/os-release"));
    fs::remove_all(tree.dir.file("sys/class/dmi"));
    fs::remove(tree.dir.file("proc/interrupts"));
    fs::remove(tree.dir.file("sys/module/e1000e/version"));
    fs::remove(tree.dir.file("sys/devices/pci0000:00/0000:00:19.0/irq"));
    fs::remove(tree.dir.file("sys/devices/pci0000:00/0000:00:19.0/driver"));
    fs::remove_all(tree.dir.file("sys/class/net/ens3"));
    EXPECT_EQ(LinuxSystemSummary(tree.dir.path()).text(),
              "\n\n\nLinux System Summary:\n\n"
              "\nNetwork Device:  eth0\n"
              "  PCI Device:  0000:00:19.0 (0x8086:0x15b8)\n"
              "  Hardware Address:  02:00:00:00:00:19\n");
}

TEST(LinuxSystemSummary, ANicWithoutAnyInterruptLineSaysSo)
{
    // The legacy line reads 0 (the timer's number) when the NIC has none.
    FakeTree tree;
    fs::remove_all(tree.dir.file("sys/devices/pci0000:00/0000:00:03.0/msi_irqs"));
    tree.put("sys/devices/pci0000:00/0000:00:19.0/irq", "0\n");
    const std::string text = LinuxSystemSummary(tree.dir.path(), testKernel).text();
    EXPECT_NE(text.find("  Hardware Address:  02:00:00:00:00:03\n"
                        "  IRQ = none\n"
                        "  Driver:  virtio_net\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("  Hardware Address:  02:00:00:00:00:19\n"
                        "  IRQ = none\n"
                        "  Driver:  e1000e\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("IRQ = 0"), std::string::npos) << text;
}

TEST(LinuxSystemSummary, DescribesThisComputer)
{
    utsname names{};
    ASSERT_EQ(::uname(&names), 0);
    const std::string text = LinuxSystemSummary("/").text();
    EXPECT_TRUE(text.starts_with("\n\n\nLinux System Summary:\n\n")) << text;
    EXPECT_NE(text.find(std::string("Kernel:  ") + names.sysname + " " + names.release + " "),
              std::string::npos)
        << text;
    if (fs::exists("/etc/os-release")) {
        EXPECT_NE(text.find("Distribution:  "), std::string::npos) << text;
    }
    if (fs::exists("/proc/interrupts")) {
        EXPECT_NE(text.find("\nInterrupt lines in use:\n  IRQ "), std::string::npos) << text;
    }
}
