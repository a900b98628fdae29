// SPDX-License-Identifier: MIT
#include "vxsrvnt/cli/StatusReport.h"

#include "vxsrvnt/service/HealthFile.h"
#include "vxsrvnt/store/StoreLayout.h"

#include <algorithm>
#include <iomanip>

namespace velnet::vxsrvnt {

using nlohmann::json;

namespace {

std::string storedAddressAsColon(const std::string& stored)
{
    const auto mac = parseMac(stored);
    return mac ? colonMacText(*mac) : stored;
}

std::string vlanText(const json& vlans)
{
    std::string text;
    for (const json& v : vlans) {
        if (!text.empty())
            text += ",";
        text += v.value("name", "") + "/" + std::to_string(v.value("id", 0u));
    }
    return text.empty() ? "-" : text;
}

std::string orDash(const json& value)
{
    return value.is_string() && !value.get<std::string>().empty() ? value.get<std::string>() : "-";
}

} // namespace

StatusReport::StatusReport(StatusInput input) : in_(std::move(input)) {}

const NicBinding* StatusReport::binding(int adapterNumber) const
{
    return bindingOf(in_.bindings, adapterNumber);
}

const AdapterView* StatusReport::view(int adapterNumber) const
{
    if (!in_.kernel)
        return nullptr;
    for (const AdapterView& v : in_.kernel->adapters)
        if (v.adapterNumber == adapterNumber)
            return &v;
    return nullptr;
}

bool StatusReport::matches() const
{
    if (!in_.kernel)
        return false;
    return std::all_of(in_.config.adapters.begin(), in_.config.adapters.end(),
                       [&](const AdapterConfig& a) {
                           const AdapterView* v = view(a.adapterNumber);
                           return binding(a.adapterNumber) && v && v->matches;
                       });
}

json StatusReport::adapterJson(const AdapterConfig& a) const
{
    const NicBinding* b = binding(a.adapterNumber);
    const AdapterView* v = view(a.adapterNumber);
    json vlans = json::array();
    if (v) {
        for (const VlanView& vlan : v->vlans)
            vlans.push_back({{"name", vlan.name},
                             {"link", vlan.linkName},
                             {"id", vlan.id},
                             {"address", vlan.mac},
                             {"present", vlan.present},
                             {"matches", vlan.matches}});
    } else if (a.vlansOn()) {
        for (const VlanConfig& vlan : a.vlans)
            vlans.push_back(
                {{"name", vlan.name}, {"id", vlan.id}, {"present", false}, {"matches", false}});
    }
    json differences = v ? json(v->differences) : json::array();
    if (!b)
        differences.push_back("its NIC (" + storedAddressAsColon(a.baseMacAddress) +
                              ") is not in this machine");
    else if (!v)
        differences.push_back(in_.kernel ? "the kernel view has no entry for it"
                                         : "the kernel could not be asked: " + in_.kernel.error());
    json entry = {
        {"adapter", a.adapterNumber},
        {"interface", b ? json(b->ifname) : json(nullptr)},
        {"present", b != nullptr},
        {"address", b ? b->permanentMac : storedAddressAsColon(a.baseMacAddress)},
        {"instances", a.instances},
        {"role", layout::roleName(layout::roleOf(a))},
        {"partner", layout::roleOf(a) == layout::Role::Primary  ? json(a.backupAdapter)
                    : layout::roleOf(a) == layout::Role::Backup ? json(a.primaryAdapter)
                                                                : json(nullptr)},
        {"bond", v && !v->bond.empty() ? json(v->bond) : json(nullptr)},
        {"activeMember", v && !v->activeMember.empty() ? json(v->activeMember) : json(nullptr)},
        {"vlans", vlans},
        {"matches", b && v && v->matches},
        {"differences", differences},
        {"autocure", nullptr},
    };
    if (in_.health && in_.health->contains(std::to_string(a.adapterNumber)))
        entry["autocure"] = (*in_.health)[std::to_string(a.adapterNumber)];
    return entry;
}

json StatusReport::toJson() const
{
    nlohmann::json adapters = nlohmann::json::array();
    for (const AdapterConfig& a : in_.config.adapters)
        adapters.push_back(adapterJson(a));
    nlohmann::json unbound = nlohmann::json::array();
    for (const MachineNic& nic : in_.unbound)
        unbound.push_back({{"interface", nic.ifname}, {"address", colonMacText(nic.permanentMac)}});
    return {{"store", in_.store},
            {"matches", matches()},
            {"serviceRunning", in_.health.has_value()},
            {"adapters", adapters},
            {"notInstalled", unbound},
            {"warnings", in_.warnings}};
}

void StatusReport::printText(std::ostream& out) const
{
    const nlohmann::json whole = toJson();
    out << "Store: " << in_.store << "\n";
    out << std::left << std::setw(8) << "ADAPTER" << std::setw(12) << "INTERFACE" << std::setw(19)
        << "ADDRESS" << std::setw(14) << "ROLE" << std::setw(10) << "BOND" << std::setw(10)
        << "ACTIVE" << std::setw(16) << "VLANS"
        << "MATCHES\n";
    for (const nlohmann::json& a : whole["adapters"]) {
        const std::string role =
            a["role"].get<std::string>() +
            (a["partner"].is_number() ? " of " + std::to_string(a["partner"].get<int>()) : "");
        out << std::setw(8) << a["adapter"].get<int>() << std::setw(12)
            << (a["present"].get<bool>() ? a["interface"].get<std::string>() : "(gone)")
            << std::setw(19) << a["address"].get<std::string>() << std::setw(14) << role
            << std::setw(10) << orDash(a["bond"]) << std::setw(10) << orDash(a["activeMember"])
            << std::setw(16) << vlanText(a["vlans"]) << (a["matches"].get<bool>() ? "yes" : "no")
            << "\n";
        for (const nlohmann::json& d : a["differences"])
            out << "        " << d.get<std::string>() << "\n";
    }
    if (whole["adapters"].empty())
        out << "(no adapters: run vxsrvnt install)\n";
    for (const nlohmann::json& nic : whole["notInstalled"])
        out << "Not installed: " << nic["interface"].get<std::string>() << " ("
            << nic["address"].get<std::string>() << "): run vxsrvnt install\n";
    if (!in_.health) {
        out << "Autocure: the service is not running\n";
    } else {
        out << "Autocure:\n";
        for (const nlohmann::json& a : whole["adapters"])
            if (a["autocure"].is_object())
                out << "  " << a["adapter"].get<int>() << " "
                    << (a["present"].get<bool>() ? a["interface"].get<std::string>() : "(gone)")
                    << ": " << HealthFile::text(a["autocure"]) << "\n";
    }
    for (const nlohmann::json& w : whole["warnings"])
        out << "Warning: " << w.get<std::string>() << "\n";
    out << (matches() ? "The kernel matches the store.\n"
                      : "The kernel does not match the store.\n");
}

} // namespace velnet::vxsrvnt
