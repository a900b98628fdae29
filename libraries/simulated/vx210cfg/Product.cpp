// SPDX-License-Identifier: MIT
// VX210CFG: the card-type library of the Velnet XL desktop NICs.

#include "libraries/simulated/nicsim/Product.h"

namespace velnet::nicsim {

namespace {

constexpr const char* kDefaults = R"json({
  "name": "Corvane Velnet XL 10/100 PCI Desktop NIC",
  "address": "00-A0-CC-2B-77-00", "slot": 2, "irq": 9, "ioBase": "0xD800",
  "link": "100 Mbps, Half Duplex",
  "summary": [
    { "name": "Network Address", "value": "{address}" },
    { "name": "NIC Type", "value": "Velnet XL 10/100 PCI" },
    { "name": "Interrupt (IRQ)", "value": "{irq}" },
    { "name": "I/O Base Address", "value": "{ioBase}" },
    { "name": "Link Status", "value": "{link}" }
  ],
  "details": [
    { "name": "Network Address", "value": "{address}" },
    { "name": "Bus Type", "value": "PCI 2.0, bus master" },
    { "name": "PCI Device Number", "value": "{slot}" },
    { "name": "Interrupt (IRQ)", "value": "{irq}" },
    { "name": "I/O Base Address", "value": "{ioBase}" },
    { "name": "Controller", "value": "VX210 Velnet XL controller, revision A4" },
    { "name": "EEPROM Version", "value": "1.02" },
    { "name": "Driver File", "value": "vxwin.sys" },
    { "name": "Driver Version", "value": "2.40" }
  ],
  "config": [
    { "name": "Media Type", "value": "Auto Select",
      "options": [ "Auto Select", "10BASE-T", "100BASE-TX" ] },
    { "name": "Power Management", "value": "Disabled",
      "options": [ "Disabled", "Wake on LAN" ] },
    { "name": "Early Receive", "advanced": true, "value": "Off", "options": [ "Off", "On" ] }
  ],
  "statistics": [
    { "name": "Frames Transmitted OK", "rate": 41 },
    { "name": "Frames Received OK", "rate": 66 },
    { "name": "Transmit Errors" },
    { "name": "Receive CRC Errors" },
    { "name": "Collisions", "rate": 1.2 },
    { "name": "Echo Packets Sent", "source": "echoSent" },
    { "name": "Echo Packets Received", "source": "echoReceived" }
  ],
  "tests": [
    { "name": "Register Access Test", "durationMs": 250 },
    { "name": "EEPROM Checksum Test", "durationMs": 250 },
    { "name": "Internal Loopback Test", "durationMs": 400 }
  ]
})json";

} // namespace

const Product& thisProduct()
{
    static const Product product{"VX210", kDefaults, "DESKTOPXL", 0x23000};
    return product;
}

} // namespace velnet::nicsim
