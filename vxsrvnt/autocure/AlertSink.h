// SPDX-License-Identifier: MIT
#pragma once

#include "vxsrvnt/autocure/Alert.h"

namespace velnet::vxsrvnt::autocure {

// Where alerts go. The monitor decides what is written (the AlertType
// bits); a sink writes everything it is given.
class AlertSink
{
public:
    virtual ~AlertSink() = default;
    virtual void write(const Alert& alert) = 0;
};

} // namespace velnet::vxsrvnt::autocure
