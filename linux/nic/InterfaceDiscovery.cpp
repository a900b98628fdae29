// SPDX-License-Identifier: MIT
#include "linux/nic/InterfaceDiscovery.h"

#include <algorithm>
#include <cstdlib>
#include <linux/if_arp.h>

namespace velnet::linuxnic {

std::vector<Interface> discoverInterfaces(const Sysfs& sysfs, const std::vector<std::string>& named)
{
    std::vector<Interface> found;
    for (const auto& name : sysfs.interfaceNames()) {
        const auto type = sysfs.number(name, "type");
        const auto ifindex = sysfs.number(name, "ifindex");
        if (!type || *type != ARPHRD_ETHER || !ifindex)
            continue;
        const bool wanted = std::find(named.begin(), named.end(), name) != named.end();
        if (sysfs.hasDevice(name) || wanted)
            found.push_back({name, static_cast<int>(*ifindex)});
    }
    std::sort(found.begin(), found.end(),
              [](const Interface& a, const Interface& b) { return a.ifindex < b.ifindex; });
    return found;
}

std::vector<std::string> splitNames(const std::string& list)
{
    std::vector<std::string> names;
    std::string current;
    auto flush = [&] {
        if (!current.empty())
            names.push_back(current);
        current.clear();
    };
    for (const char c : list) {
        if (c == ',')
            flush();
        else if (c != ' ' && c != '\t')
            current += c;
    }
    flush();
    return names;
}

std::vector<std::string> namedInEnvironment()
{
    const char* list = std::getenv("VELNET_NICS");
    return list ? splitNames(list) : std::vector<std::string>{};
}

} // namespace velnet::linuxnic
