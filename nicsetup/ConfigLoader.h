// SPDX-License-Identifier: MIT
#pragma once

#include "common/registry/Registry.h"

#include <cstdint>
#include <optional>

namespace velnet::nicsetup {

struct CARD_INFO;

enum class LoadResult
{
    Loaded,            // the tables hold what the instance keys say (maybe nothing)
    ServiceKeyMissing, // the driver's service key could not be opened: end the program
};

// Fills the program-wide tables (Tables.h) from the server NIC driver's
// registry keys under HKEY_LOCAL_MACHINE, before any window exists:
//
//   - zero-fills ETHCard and RL_INFO;
//   - opens the service key SYSTEM\CurrentControlSet\Services\vxsrvnt with full
//     access; when that fails it shows "Could not find any Velnet NIC's or
//     registry corrupted!!!" and returns ServiceKeyMissing, and the program
//     must end without showing its dialog;
//   - scans the instance keys ...\Services\vxsrvnt<N>\Parameters, N = 0..799
//     ascending, into the record of each instance's ADAPTERNUMBER; an absent
//     instance key is passed over without a message.
//
// A missing ACD or failover value shows its message box (OK button, captioned
// PROGRAM_NAME) and the load goes on, so one damaged key can show several
// boxes in a row. Boxes go through velnet::ui::messageBox, so a program must
// have installed its presenter first.
//
// Instances that do not fit the tables are skipped, never stored out of
// bounds: an ADAPTERNUMBER outside 1..50, an instance without a readable
// ADAPTERNUMBER before any instance with one, and VLAN instances beyond the
// 16th of one adapter. Adapter-number fields outside 1..50 count as 255.
class ConfigLoader
{
public:
    explicit ConfigLoader(registry::Registry& registry);

    LoadResult load();

private:
    void loadInstance(std::uint32_t instance, const registry::Key& key);
    void readFailover(CARD_INFO& card, const registry::Key& key);
    void readVlan(CARD_INFO& card, std::uint32_t instance, const registry::Key& key);

    registry::Registry& registry_;
    // The adapter index that instances without a readable ADAPTERNUMBER belong to.
    std::optional<std::uint32_t> current_;
};

} // namespace velnet::nicsetup
