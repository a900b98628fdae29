// SPDX-License-Identifier: MIT
#include "vxsrvnt/autocure/NicHealth.h"

namespace velnet::vxsrvnt::autocure {

const char* verdictName(WindowVerdict verdict)
{
    switch (verdict) {
    case WindowVerdict::Good:
        return "good";
    case WindowVerdict::Bad:
        return "bad";
    case WindowVerdict::Idle:
        return "idle";
    }
    return "?";
}

const char* stateName(NicState state)
{
    switch (state) {
    case NicState::Off:
        return "off";
    case NicState::Watching:
        return "watching";
    case NicState::Gone:
        return "gone";
    case NicState::AdminDown:
        return "down";
    }
    return "?";
}

} // namespace velnet::vxsrvnt::autocure
