// SPDX-License-Identifier: MIT
#pragma once

#include "common/registry/Registry.h"

#include <cstdint>

namespace velnet::nicsetup {

struct CARD_INFO;
struct VlanEntry;

// Writes the program-wide tables (Tables.h) back to the registry, every
// record in use, changed or not:
//
//   - each adapter's PRIMARYADAPTERNUMBER / BACKUPADAPTERNUMBER are recomputed
//     from RL_INFO (the records are changed in place);
//   - the ACD, failover and VLAN values go to the adapter's instance keys, in
//     one of three modes: VLAN mode (Vlan_op on, every VlanTable entry to its
//     own instance), VLAN-off mode (Vlan_op off, every entry to its own
//     instance with VLANID removed; the entries' VLANID becomes 255 in memory)
//     or plain mode (VlanNameMissing set, the adapter once, to LastInstance);
//   - the network-card entry of each written instance N, that is
//     SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\<N>, gets
//     a Title and a Description naming the adapter's role;
//   - SOFTWARE\Corvane gets PromptForReboot = "YES" when that key exists.
//
// A Parameters key that cannot be opened shows "Registry is Corrupted.\n Remove
// all Velnet Resources and re-install" and skips that entry (plain mode: that
// adapter). A network-card key that cannot be opened shows " Registry is
// Corrupted.\n Remove all Velnet Instances and re-install" and skips the rest of
// the adapter (plain mode: every adapter after it too). Boxes have an OK button
// and the caption PROGRAM_NAME.
//
// Everything is committed to the store as one group: the store holds either
// the old configuration or the whole new one.
class ConfigSaver
{
public:
    explicit ConfigSaver(registry::Registry& registry);

    // True when the writes reached the store; the dialog then closes with the
    // OK result. False when the store could not be written (found before any
    // write, or at the commit): a message saying so with the store's reason
    // has been shown, nothing was written, and the dialog stays open.
    bool save();

    enum class Role
    {
        StandAlone,
        Primary,
        Backup
    };

    // Decides the role of adapter index `adapter` from RL_INFO and rewrites the
    // record's two adapter-number fields to match.
    static Role assignRole(std::uint32_t adapter);

private:
    enum class Outcome
    {
        Written,
        EndAdapterLoop
    };

    void writeEntries(CARD_INFO& card, Role role, bool vlanOn);
    Outcome writePlain(CARD_INFO& card, Role role);
    void setPromptForReboot();
    void tellNotSaved();

    registry::Registry& registry_;
};

} // namespace velnet::nicsetup
