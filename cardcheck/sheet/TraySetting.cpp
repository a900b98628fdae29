// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/TraySetting.h"

#include "common/registry/Registry.h"

namespace velnet::cardcheck {

using velnet::registry::Access;
using velnet::registry::Root;
using velnet::registry::Status;

bool TraySetting::enabled() const
{
    const auto key = registry_.open(Root::LocalMachine, kRunKey, Access::Read);
    if (!key)
        return false;
    const auto text = key.queryString(kValueName, kReadLimit);
    return text && *text == kOn;
}

bool TraySetting::write(bool on)
{
    // A store without the Run key gets one: it always exists where the
    // setting comes from, and without it the setting could never be kept.
    auto key = registry_.create(Root::LocalMachine, kRunKey, Access::SetValue);
    if (!key)
        return false;
    return key.setString(kValueName, on ? kOn : kOff, false) == Status::Success;
}

} // namespace velnet::cardcheck
