// SPDX-License-Identifier: MIT
#include "vxsrvnt/store/VlanEditor.h"

#include "vxsrvnt/nics/MacText.h"
#include "vxsrvnt/store/ConfigEdit.h"
#include "vxsrvnt/store/StoreLayout.h"

#include <algorithm>
#include <limits>

namespace velnet::vxsrvnt {

using registry::Access;
using registry::Key;
using registry::Root;

namespace {

Outcome checkName(const std::string& name, const DriverConfig& config)
{
    if (name.empty() || name.size() > VlanEditor::kMaxNameLength)
        return fail("a VLAN name has 1.." + std::to_string(VlanEditor::kMaxNameLength) +
                    " characters");
    for (const char c : name)
        if (c <= ' ' || c > '~' || c == '/' || c == ':')
            return fail("a VLAN name may not hold blanks, '/', ':' or control characters: \"" +
                        name + "\"");
    const auto linkName = name.substr(0, VlanEditor::kLinkNameLength);
    for (const AdapterConfig& a : config.adapters)
        for (const VlanConfig& v : a.vlans)
            if (v.name.substr(0, VlanEditor::kLinkNameLength) == linkName &&
                layout::modeOf(a) != layout::Mode::Plain)
                return fail("adapter " + std::to_string(a.adapterNumber) + " has a VLAN named \"" +
                            v.name + "\" already" +
                            (v.name == name ? "" : " (link names keep 15 characters)"));
    return {};
}

Result<std::string> storedAddress(const std::string& address)
{
    if (address.empty())
        return std::string();
    const auto mac = parseMac(address);
    if (!mac || !isUnicast(*mac))
        return fail("\"" + address + "\" is not a unicast MAC address (like 02:00:00:00:01:0a)");
    return storeMacText(*mac);
}

Outcome checkAdd(const AdapterConfig& a, std::uint32_t id)
{
    if (layout::roleOf(a) == layout::Role::Backup)
        return fail("adapter " + std::to_string(a.adapterNumber) + " is the backup of adapter " +
                    std::to_string(a.primaryAdapter) +
                    ", and a backup NIC keeps no VLANs: add the VLAN to adapter " +
                    std::to_string(a.primaryAdapter) + ", whose bond carries it");
    if (id < 1 || id > VlanEditor::kMaxVlanId)
        return fail("a VLAN identifier is 1.." + std::to_string(VlanEditor::kMaxVlanId));
    if (layout::modeOf(a) == layout::Mode::Plain) {
        if (a.instances.size() != 1)
            return fail("adapter " + std::to_string(a.adapterNumber) +
                        " has several instance keys but no VLAN; the store needs repair");
        return {};
    }
    if (static_cast<int>(a.vlans.size()) >= layout::kMaxVlans)
        return fail("adapter " + std::to_string(a.adapterNumber) + " has " +
                    std::to_string(layout::kMaxVlans) + " VLANs, the most it can have");
    for (const VlanConfig& v : a.vlans)
        if (v.id == id)
            return fail("adapter " + std::to_string(a.adapterNumber) + " has VLAN " +
                        std::to_string(id) + " already, named \"" + v.name + "\"");
    return {};
}

// The values that tie an instance to its NIC, copied from the NIC's first one.
void copyIdentity(registry::Registry& registry, int from, int to)
{
    const Key source =
        registry.open(Root::LocalMachine, layout::parametersPath(from), Access::Read);
    Key target = registry.create(Root::LocalMachine, layout::parametersPath(to), Access::Full);
    for (const char* name :
         {"ADAPTERNUMBER", "BusNumber", "SlotNumber", "Base_Mac_Address", "AdapterSeq"}) {
        if (const auto value = source.query(name, std::numeric_limits<std::size_t>::max()))
            (void)target.setValue(name, value->type, value->data); // shows at the commit
    }
}

std::string vlanList(const AdapterConfig& a)
{
    std::string list;
    for (const VlanConfig& v : a.vlans)
        list += (list.empty() ? "" : ", ") + ("\"" + v.name + "\"");
    return list.empty() ? "none" : list;
}

} // namespace

Outcome VlanEditor::add(int adapterNumber, std::uint32_t id, const std::string& name,
                        const std::string& address)
{
    const auto stored = storedAddress(address);
    if (!stored)
        return fail(stored.error());
    ConfigEdit edit(registry_);
    auto adapter = edit.beginWith(adapterNumber);
    if (!adapter)
        return fail(adapter.error());
    AdapterConfig& a = **adapter;
    if (Outcome ok = checkAdd(a, id); !ok)
        return ok;
    if (Outcome ok = checkName(name, edit.config()); !ok)
        return ok;
    VlanConfig vlan{0, name, id, *stored};
    if (layout::modeOf(a) == layout::Mode::Plain) {
        vlan.instance = a.instances.front();
        a.vlans.clear();
        a.vlanNameMissing = false;
    } else {
        const auto instance = edit.freeInstance();
        if (!instance)
            return fail(instance.error());
        copyIdentity(edit.registry(), a.instances.front(), *instance);
        vlan.instance = *instance;
        a.instances.push_back(*instance);
        std::sort(a.instances.begin(), a.instances.end());
    }
    a.vlanOp = 1;
    a.vlans.push_back(vlan);
    std::sort(a.vlans.begin(), a.vlans.end(),
              [](const VlanConfig& x, const VlanConfig& y) { return x.instance < y.instance; });
    if (Outcome written = edit.write(a); !written)
        return written;
    return edit.commit();
}

Outcome VlanEditor::remove(int adapterNumber, const std::string& name)
{
    ConfigEdit edit(registry_);
    auto adapter = edit.beginWith(adapterNumber);
    if (!adapter)
        return fail(adapter.error());
    AdapterConfig& a = **adapter;
    const auto vlan = std::find_if(a.vlans.begin(), a.vlans.end(),
                                   [&](const VlanConfig& v) { return v.name == name; });
    if (layout::modeOf(a) == layout::Mode::Plain || vlan == a.vlans.end())
        return fail("adapter " + std::to_string(adapterNumber) + " has no VLAN named \"" + name +
                    "\" (its VLANs: " +
                    (layout::modeOf(a) == layout::Mode::Plain ? "none" : vlanList(a)) + ")");
    const int instance = vlan->instance;
    if (a.vlans.size() == 1) {
        Key key = edit.registry().open(Root::LocalMachine, layout::parametersPath(instance),
                                       Access::Full);
        for (const char* value : {"VLAN_NAME", "VLANID", "Network_Address"})
            (void)key.deleteValue(value); // shows at the commit
        a.vlans.clear();
        a.vlanOp = 0;
        a.vlanNameMissing = true;
        a.instances = {instance};
    } else {
        (void)edit.registry().deleteKey(Root::LocalMachine, layout::instanceKeyPath(instance));
        (void)edit.registry().deleteKey(Root::LocalMachine, layout::networkCardPath(instance));
        a.vlans.erase(vlan);
        std::erase(a.instances, instance);
    }
    if (Outcome written = edit.write(a); !written)
        return written;
    return edit.commit();
}

} // namespace velnet::vxsrvnt
