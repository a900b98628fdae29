// SPDX-License-Identifier: MIT
#pragma once

#include <set>
#include <string>

namespace velnet::vxsrvnt {

// One empty file per link the service makes, RUNTIME/links/NAME, written
// before the link exists: udev's rule (packaging/udev/70-vxsrvnt.rules)
// looks for it when the kernel announces the link, to keep other network
// managers off it. The alias mark, not these files, decides what is ours.
class LinkRecords
{
public:
    explicit LinkRecords(const std::string& runtimeDir);

    void add(const std::string& name);
    void remove(const std::string& name);
    // Exactly `names` afterwards.
    void keepOnly(const std::set<std::string>& names);

private:
    std::string directory_;
};

} // namespace velnet::vxsrvnt
