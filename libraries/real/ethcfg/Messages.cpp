// SPDX-License-Identifier: MIT
#include "libraries/real/ethcfg/Messages.h"

#include <cerrno>
#include <cstring>

namespace velnet::ethcfg {

std::string Messages::reason(int error)
{
    char buffer[128];
    // The GNU strerror_r answers a pointer that may not be the buffer.
    const char* text = ::strerror_r(error, buffer, sizeof buffer);
    return std::string(text) + ".";
}

std::string Messages::refused(const std::string& what, const std::string& interfaceName, int error)
{
    if (error == EPERM || error == EACCES)
        return std::string(kRights) + " " + reason(error);
    if (error == EOPNOTSUPP)
        return "The driver of " + interfaceName + " cannot change " + what + ": " + reason(error);
    return "The kernel did not change " + what + " of " + interfaceName + ": " + reason(error);
}

} // namespace velnet::ethcfg
