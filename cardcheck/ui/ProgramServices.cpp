// SPDX-License-Identifier: MIT
// ProgramState's services, apart from its state: the fallbacks are the
// platform's installed services, which need Qt, and the state is part of the
// window-free library, which does not link them.
#include "cardcheck/ui/ProgramState.h"
#include "common/platform/OsVersion.h"
#include "common/platform/Restart.h"

namespace velnet::cardcheck {

velnet::platform::Restart& ProgramState::restart() const
{
    return restart_ ? *restart_ : velnet::platform::restart();
}

const velnet::platform::OsVersion& ProgramState::os() const
{
    return os_ ? *os_ : velnet::platform::osVersion();
}

} // namespace velnet::cardcheck
