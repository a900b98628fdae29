#pragma once

#include <string>

namespace cardcheck {

// Ids of the program's own texts that the report subsystem uses.
enum ReportStringId : int
{
    IDS_FIELD_EMPTY = 111,
    IDS_FMT_COMPANY_NAME = 112,
    IDS_FMT_ADDRESS = 113,
    IDS_FMT_CONTACT_NAME = 114,
    IDS_FMT_CONTACT_PHONE = 115,
    IDS_FMT_CONTACT_EMAIL = 116,
    IDS_FMT_CASE_NUMBER = 117,
    IDS_FMT_PROBLEM_DESCRIPTION = 118,
    IDS_FMT_REPRODUCIBLE = 119,
    IDS_FMT_OPERATING_SYSTEM = 120,
    IDS_FMT_MACHINE_USAGE = 121,
    IDS_FMT_CPU_TYPE = 122,
    IDS_FMT_MODEL_TYPE = 123,
    IDS_FMT_NETWORK_OS = 124,
    IDS_FMT_PCI_SLOTS = 125,
    IDS_FMT_BUSMASTERING_SLOTS = 126,
    IDS_FMT_SPEED = 127,
    IDS_ERROR_OPENING_FILE = 139,
    IDS_TITLE = 154,
    IDS_STATUS_FIRST = 155, // bit k of the node status: 155 + k, k = 0 ... 18
    IDS_NODE_STATUS = 174,  // and problem k = 1 ... 30: 174 + k
    IDS_PROBLEM = 205,
    IDS_DEVICE_NAME = 206,
    IDS_IRQ = 207,
    IDS_SYSTEM_SUMMARY = 208,
    IDS_WINDOWS_VERSION = 209,
    IDS_BIOS_NAME = 210,
    IDS_BIOS_DATE = 211,
    IDS_BIOS_VERSION = 212,
    IDS_SUPPORT_ADDRESSES = 214,
    IDS_DRIVER_VERSION = 215,
};

// A text of the program's string table; empty for an id it lacks.
std::string reportString(int id);

} // namespace cardcheck
