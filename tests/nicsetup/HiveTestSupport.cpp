// SPDX-License-Identifier: MIT
#include "tests/nicsetup/HiveTestSupport.h"

#include "common/registry/RegFormat.h"

#include <cstdio>
#include <stdexcept>

namespace velnet::nicsetup::test {

namespace {

constexpr const char* kLocalMachine = "HKEY_LOCAL_MACHINE\\";

void collect(const registry::RegNode& node, const std::string& path, StoreSnapshot& out)
{
    auto& values = out[registry::toLowerAscii(path)];
    for (const auto& v : node.values())
        values[registry::toLowerAscii(v.name)] = v.value;
    for (const auto& child : node.children())
        collect(*child, path + "\\" + child->name(), out);
}

std::string show(const registry::Value& value)
{
    std::string out = "type " + std::to_string(static_cast<unsigned>(value.type)) + " [";
    if (value.type == registry::ValueType::Sz) {
        out += '"';
        for (auto b : value.data)
            out += b == 0 ? std::string("\\0") : std::string(1, static_cast<char>(b));
        out += '"';
    } else {
        char hex[4];
        for (auto b : value.data) {
            std::snprintf(hex, sizeof hex, "%02x ", b);
            out += hex;
        }
    }
    return out + "]";
}

std::string padded(std::uint32_t n, std::size_t width, char fill)
{
    std::string s = std::to_string(n);
    return std::string(width > s.size() ? width - s.size() : 0, fill) + s;
}

} // namespace

std::string fixtureText(const std::string& name)
{
    const std::string path = velnet::test::fixturePath("nicsetup/" + name);
    std::string text = velnet::test::readFile(path);
    if (text.empty())
        throw std::runtime_error("missing fixture " + path);
    return text;
}

TestStore::TestStore(const std::string& regText)
{
    const std::string file = dir_.file("registry.reg");
    velnet::test::writeFile(file, regText);
    registry_ = std::make_unique<registry::FileRegistry>(file);
}

std::string TestStore::text() const
{
    return velnet::test::readFile(path());
}

StoreSnapshot snapshotOf(const std::string& regText)
{
    const registry::RegParseResult parsed = registry::parseRegFile(regText);
    if (!parsed.ok)
        throw std::runtime_error("line " + std::to_string(parsed.errorLine) + ": " + parsed.error);
    registry::RegTree tree;
    registry::applyActions(tree, parsed.actions);
    StoreSnapshot out;
    for (const registry::Root root : registry::RegTree::kAllRoots) {
        const registry::RegNode& node = tree.root(root);
        if (!node.values().empty() || !node.children().empty())
            collect(node, std::string(registry::rootName(root)), out);
    }
    return out;
}

std::vector<std::string> differences(const StoreSnapshot& expected, const StoreSnapshot& actual)
{
    std::vector<std::string> out;
    for (const auto& [key, values] : expected) {
        const auto found = actual.find(key);
        if (found == actual.end()) {
            out.push_back("missing key " + key);
            continue;
        }
        for (const auto& [name, value] : values) {
            const auto v = found->second.find(name);
            if (v == found->second.end())
                out.push_back(key + " : missing value " + name + " = " + show(value));
            else if (!(v->second == value))
                out.push_back(key + " : " + name + " is " + show(v->second) + ", expected " +
                              show(value));
        }
        for (const auto& [name, value] : found->second) {
            if (!values.contains(name))
                out.push_back(key + " : unexpected value " + name + " = " + show(value));
        }
    }
    for (const auto& [key, values] : actual) {
        if (!expected.contains(key))
            out.push_back("unexpected key " + key);
    }
    return out;
}

HiveBuilder::HiveBuilder() : text_("REGEDIT4\n") {}

HiveBuilder& HiveBuilder::key(const std::string& path)
{
    text_ += "\n[" + std::string(kLocalMachine) + path + "]\n";
    return *this;
}

HiveBuilder& HiveBuilder::dword(const std::string& name, std::uint32_t value)
{
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", value);
    text_ += "\"" + name + "\"=dword:" + hex + "\n";
    return *this;
}

HiveBuilder& HiveBuilder::text(const std::string& name, const std::string& value)
{
    text_ += "\"" + name + "\"=\"" + value + "\"\n";
    return *this;
}

HiveBuilder& HiveBuilder::instance(std::uint32_t n, std::uint32_t adapterNumber)
{
    return key("SYSTEM\\CurrentControlSet\\Services\\vxsrvnt" + std::to_string(n) + "\\Parameters")
        .dword("ADAPTERNUMBER", adapterNumber)
        .dword("SamplingRatio", 5)
        .dword("SamplingWindow", 100)
        .dword("AlertType", 7)
        .text("SelfCheckLevel", "Normal")
        .text("ErrorTolerance", "Low");
}

HiveBuilder& HiveBuilder::networkCard(std::uint32_t n)
{
    return key("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\" +
               std::to_string(n))
        .text("ServiceName", "vxsrvnt" + std::to_string(n));
}

std::string maximalHive()
{
    HiveBuilder hive;
    hive.key("SOFTWARE\\Corvane").key("SYSTEM\\CurrentControlSet\\Services\\vxsrvnt");
    for (std::uint32_t n = 0; n < 800; ++n) {
        const std::uint32_t adapter = n / 16 + 1;
        const std::uint32_t vlan = n % 16 + 1;
        // Texts of 17 characters (18 bytes with the NUL) and 19 characters
        // (20 bytes): the longest each read limit lets through.
        const std::string tag = padded(n, 3, '0');
        hive.key("SYSTEM\\CurrentControlSet\\Services\\vxsrvnt" + std::to_string(n) +
                 "\\Parameters")
            .dword("ADAPTERNUMBER", adapter)
            .dword("BusNumber", adapter / 8)
            .dword("SlotNumber", adapter % 8)
            .text("Base_Mac_Address",
                  "00:A0:C9:00:" + padded(adapter, 2, '0') + ":" + padded(vlan, 2, '0'))
            .dword("SamplingRatio", adapter)
            .dword("SamplingWindow", 100 + n)
            .dword("AlertType", adapter % 8)
            .text("SelfCheckLevel", "Self Check Lvl " + padded(n, 4, '0'))
            .text("ErrorTolerance", "Error Toleranc " + padded(n, 4, '0'))
            .dword("Vlan_op", adapter % 2)
            .text("VLAN_NAME", "VLAN name ___ " + tag)
            .dword("VLANID", vlan)
            .text("Network_Address",
                  "02:00:00:00:" + padded(adapter, 2, '0') + ":" + padded(vlan, 2, '0'));
        if (adapter % 2 == 0) {
            hive.dword("PRIMARYADAPTERNUMBER", adapter - 1)
                .dword("FailureCount", 3)
                .text("PreferredNic", "Enabled_________1")
                .text("AlternateNicChecking", "Enabled_________2")
                .text("NicDiagnosticPackets", "Enabled_________3")
                .text("NicSwitchForever", "Enabled_________4");
        } else {
            hive.dword("BACKUPADAPTERNUMBER", adapter + 1);
        }
        hive.networkCard(n);
    }
    return hive.str();
}

} // namespace velnet::nicsetup::test
