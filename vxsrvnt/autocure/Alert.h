// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace velnet::vxsrvnt::autocure {

// The three kinds of alert, as the AlertType bits name them.
enum class AlertKind
{
    Information = 1, // bit 0; journal priority info
    Warning = 2,     // bit 1; journal priority warning
    Error = 4,       // bit 2; journal priority err
};

const char* alertKindName(AlertKind kind);
int alertPriority(AlertKind kind); // syslog priority

// One message of the monitor: what happened to which NIC, with its figures
// as named fields (journal field names: upper case, digits, underscores).
struct Alert
{
    AlertKind kind = AlertKind::Information;
    std::string event;   // short code: "bad-window", "cure-worked", ...
    std::string message; // one line for a person
    std::string ifname;  // empty for messages about no one NIC
    int adapterNumber = 0;
    std::vector<std::pair<std::string, std::string>> fields;
};

} // namespace velnet::vxsrvnt::autocure
