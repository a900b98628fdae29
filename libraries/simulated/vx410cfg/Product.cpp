// SPDX-License-Identifier: MIT
// VX410CFG: the card-type library of the Fast Velnet Server XL NICs.

#include "libraries/simulated/nicsim/Product.h"

namespace velnet::nicsim {

namespace {

constexpr const char* kDefaults = R"json({
  "name": "Corvane Fast Velnet Server XL PCI NIC",
  "address": "00-A0-CC-4E-1F-00", "slot": 1, "bus": 0, "irq": 11, "ioBase": "0xEC00",
  "memBase": "0xFEBFF000", "link": "100 Mbps, Full Duplex", "media": "Auto Select",
  "summary": [
    { "name": "Network Address", "value": "{address}" },
    { "name": "NIC Type", "value": "Fast Velnet Server XL 10/100 PCI" },
    { "name": "PCI Slot", "value": "{slot}" },
    { "name": "Interrupt (IRQ)", "value": "{irq}" },
    { "name": "I/O Base Address", "value": "{ioBase}" },
    { "name": "Link Status", "value": "{link}" },
    { "name": "Driver Version", "value": "3.11" }
  ],
  "details": [
    { "name": "Network Address", "value": "{address}" },
    { "name": "Bus Type", "value": "PCI 2.1, bus master" },
    { "name": "PCI Bus Number", "value": "{bus}" },
    { "name": "PCI Device Number", "value": "{slot}" },
    { "name": "Interrupt (IRQ)", "value": "{irq}" },
    { "name": "I/O Base Address", "value": "{ioBase}" },
    { "name": "Memory Base Address", "value": "{memBase}" },
    { "name": "Controller", "value": "VX410 Fast Velnet controller, revision B2" },
    { "name": "EEPROM Version", "value": "1.07" },
    { "name": "Transceiver", "value": "Integrated 10BASE-T/100BASE-TX" },
    { "name": "Media Type", "value": "{media}" },
    { "name": "Driver File", "value": "vxsrvnt.sys" },
    { "name": "Driver Version", "value": "3.11" }
  ],
  "config": [
    { "name": "Media Type", "value": "Auto Select",
      "options": [ "Auto Select", "10BASE-T Half Duplex", "10BASE-T Full Duplex",
                   "100BASE-TX Half Duplex", "100BASE-TX Full Duplex" ] },
    { "name": "Flow Control", "value": "On", "options": [ "Off", "On" ], "optimal": 1 },
    { "name": "Transmit Threshold", "advanced": true, "value": "128 Bytes",
      "options": [ "Store and Forward", "64 Bytes", "128 Bytes", "256 Bytes" ] },
    { "name": "Receive Buffers", "advanced": true, "value": "32",
      "options": [ "16", "32", "64", "128" ], "optimal": 2 },
    { "name": "Transmit Buffers", "advanced": true, "value": "16",
      "options": [ "8", "16", "32", "64" ], "optimal": 1 }
  ],
  "statistics": [
    { "name": "Frames Transmitted OK", "rate": 183 },
    { "name": "Frames Received OK", "rate": 251 },
    { "name": "Broadcast Frames Received", "rate": 4 },
    { "name": "Transmit Errors" },
    { "name": "Receive CRC Errors" },
    { "name": "Receive Alignment Errors" },
    { "name": "Collisions", "rate": 0.3 },
    { "name": "Echo Packets Sent", "source": "echoSent" },
    { "name": "Echo Packets Received", "source": "echoReceived" }
  ],
  "tests": [
    { "name": "Register Access Test", "durationMs": 300 },
    { "name": "EEPROM Checksum Test", "durationMs": 300 },
    { "name": "Interrupt Test", "durationMs": 400 },
    { "name": "Internal Loopback Test", "durationMs": 500 },
    { "name": "Link Integrity Test", "durationMs": 400 }
  ]
})json";

} // namespace

const Product& thisProduct()
{
    static const Product product{"VX410", kDefaults, "SERVERXL", 0x24000};
    return product;
}

} // namespace velnet::nicsim
