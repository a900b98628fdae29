// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"
#include "vxsrvnt/autocure/LinkCounters.h"

#include <vector>

namespace velnet::vxsrvnt::autocure {

// Where the monitor reads counters: every link of the service's network
// namespace in one go (one rtnetlink dump a tick, whatever the number of
// NICs). A link missing from the answer is gone. A failure means nothing
// could be read this tick; the monitor then waits for the next one.
class CounterSource
{
public:
    virtual ~CounterSource() = default;
    virtual velnet::Result<std::vector<LinkCounters>> readAll() = 0;
};

} // namespace velnet::vxsrvnt::autocure
