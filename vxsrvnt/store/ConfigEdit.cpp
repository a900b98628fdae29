// SPDX-License-Identifier: MIT
#include "vxsrvnt/store/ConfigEdit.h"

#include "vxsrvnt/store/AdapterWriter.h"
#include "vxsrvnt/store/StoreLayout.h"
#include "vxsrvnt/store/StoreReader.h"

namespace velnet::vxsrvnt {

using registry::Access;
using registry::Root;
using registry::Status;

ConfigEdit::~ConfigEdit() = default;

Outcome storeWriteFailure(const registry::Registry& registry)
{
    const std::string why = registry.errorText();
    return fail("cannot write the store: " + (why.empty() ? std::string("unknown reason") : why));
}

Outcome ConfigEdit::begin()
{
    if (registry_.checkWritable() != Status::Success)
        return storeWriteFailure(registry_);
    group_ = std::make_unique<registry::WriteGroup>(registry_);
    StoreReader reader(registry_);
    auto config = reader.read();
    if (!config)
        return fail(config.error());
    config_ = std::move(*config);
    return {};
}

Result<AdapterConfig*> ConfigEdit::beginWith(int adapterNumber)
{
    if (Outcome begun = begin(); !begun)
        return fail(begun.error());
    return adapter(adapterNumber);
}

Result<AdapterConfig*> ConfigEdit::adapter(int number)
{
    if (AdapterConfig* a = config_.adapter(number))
        return a;
    return fail("the store has no adapter " + std::to_string(number) +
                " (vxsrvnt status lists the adapters)");
}

Outcome ConfigEdit::write(const AdapterConfig& adapter)
{
    return AdapterWriter(registry_).write(adapter);
}

Outcome ConfigEdit::commit()
{
    if (!group_ || group_->commit() != Status::Success)
        return storeWriteFailure(registry_);
    return {};
}

Result<int> ConfigEdit::freeInstance() const
{
    for (int n = 0; n < kMaxInstances; ++n)
        if (!registry_.open(Root::LocalMachine, layout::instanceKeyPath(n), Access::Read))
            return n;
    return fail("every instance number 0.." + std::to_string(kMaxInstances - 1) + " is taken");
}

std::string adapterLabel(int number, const std::string& ifname)
{
    std::string label = "adapter " + std::to_string(number);
    return ifname.empty() ? label : label + " (" + ifname + ")";
}

} // namespace velnet::vxsrvnt
