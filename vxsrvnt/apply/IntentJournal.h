// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"

#include <string>
#include <vector>

namespace velnet::vxsrvnt {

// What an apply is about to do, written down before it does it, so that the
// next apply can undo what a crash left half made: "link NAME" before a link
// is created (it counts as whole once it carries the mark, which is set
// last), "member IFINDEX up|down" before a NIC is enslaved or its bond
// deleted (the state to give it back). Removed when an apply ends.
class IntentJournal
{
public:
    explicit IntentJournal(std::string runtimeDir);

    Outcome record(const std::string& line);
    std::vector<std::string> entries() const;
    void clear();

private:
    std::string directory_;
    std::string path_;
};

} // namespace velnet::vxsrvnt
