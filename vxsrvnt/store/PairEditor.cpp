// SPDX-License-Identifier: MIT
#include "vxsrvnt/store/PairEditor.h"

#include "vxsrvnt/store/ConfigEdit.h"
#include "vxsrvnt/store/StoreLayout.h"

namespace velnet::vxsrvnt {

namespace {

std::string partnerText(const AdapterConfig& a)
{
    if (a.backupAdapter != kNoAdapter)
        return "the primary of adapter " + std::to_string(a.backupAdapter);
    return "the backup of adapter " + std::to_string(a.primaryAdapter);
}

Outcome checkFree(const AdapterConfig& a)
{
    if (layout::roleOf(a) == layout::Role::StandAlone)
        return {};
    return fail("adapter " + std::to_string(a.adapterNumber) + " is already " + partnerText(a) +
                "; unpair it first (vxsrvnt unpair " + std::to_string(a.adapterNumber) + ")");
}

} // namespace

Outcome PairEditor::pair(int primaryNumber, int backupNumber, const FailoverSettings& failover)
{
    if (primaryNumber == backupNumber)
        return fail("a NIC cannot be its own backup");
    if (failover.failureCount < 1 || failover.failureCount > kMaxFailureCount)
        return fail("the failure count must be 1.." + std::to_string(kMaxFailureCount));
    ConfigEdit edit(registry_);
    if (Outcome begun = edit.begin(); !begun)
        return begun;
    auto primary = edit.adapter(primaryNumber);
    auto backup = edit.adapter(backupNumber);
    if (!primary)
        return fail(primary.error());
    if (!backup)
        return fail(backup.error());
    for (const AdapterConfig* a : {*primary, *backup})
        if (Outcome free = checkFree(*a); !free)
            return free;
    if (layout::modeOf(**backup) != layout::Mode::Plain)
        return fail("adapter " + std::to_string(backupNumber) +
                    " has VLANs, and a backup NIC keeps none: nicsetup's save drops the backup "
                    "settings of a NIC with VLANs. Put the VLANs on the primary (its bond "
                    "carries them): remove them from adapter " +
                    std::to_string(backupNumber) + " first");
    (*primary)->backupAdapter = static_cast<std::uint32_t>(backupNumber);
    (*backup)->primaryAdapter = static_cast<std::uint32_t>(primaryNumber);
    (*backup)->failover = failover;
    for (const AdapterConfig* a : {*primary, *backup})
        if (Outcome written = edit.write(*a); !written)
            return written;
    return edit.commit();
}

Outcome PairEditor::unpair(int adapterNumber)
{
    ConfigEdit edit(registry_);
    auto adapter = edit.beginWith(adapterNumber);
    if (!adapter)
        return fail(adapter.error());
    AdapterConfig& a = **adapter;
    if (layout::roleOf(a) == layout::Role::StandAlone)
        return fail("adapter " + std::to_string(adapterNumber) + " is in no pair");
    const int partnerNumber =
        static_cast<int>(a.backupAdapter != kNoAdapter ? a.backupAdapter : a.primaryAdapter);
    auto partner = edit.adapter(partnerNumber);
    a.backupAdapter = a.primaryAdapter = kNoAdapter;
    if (Outcome written = edit.write(a); !written)
        return written;
    if (partner) {
        AdapterConfig& p = **partner;
        // A partner that names a third NIC keeps that relation.
        if (p.backupAdapter == static_cast<std::uint32_t>(adapterNumber))
            p.backupAdapter = kNoAdapter;
        if (p.primaryAdapter == static_cast<std::uint32_t>(adapterNumber))
            p.primaryAdapter = kNoAdapter;
        if (Outcome written = edit.write(p); !written)
            return written;
    }
    return edit.commit();
}

} // namespace velnet::vxsrvnt
