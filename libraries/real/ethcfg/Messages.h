// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace velnet::ethcfg {

// The texts that tests and users compare against; the kernel's reason is
// appended where the text ends with a colon.
struct Messages
{
    static constexpr const char* kRights =
        "This needs administrator rights (the CAP_NET_ADMIN capability). The kernel refused:";
    static constexpr const char* kNoSuchNic = "The selected NIC was not found on this computer.";
    static constexpr const char* kNoSuchTest = "There is no such test for this NIC.";
    static constexpr const char* kNoSuchSetting =
        "There is no such setting or option for this NIC.";
    static constexpr const char* kBadRole = "Unknown echo test role.";

    // "<kRights> Operation not permitted." for errno EPERM; other errors name
    // the setting and the kernel's reason.
    static std::string refused(const std::string& what, const std::string& interfaceName,
                               int error);
    static std::string reason(int error);
};

} // namespace velnet::ethcfg
