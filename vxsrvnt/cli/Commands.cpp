// SPDX-License-Identifier: MIT
#include "vxsrvnt/cli/Commands.h"

#include "linux/netlink/Rtnl.h"
#include "vxsrvnt/apply/Applier.h"
#include "vxsrvnt/cli/StatusReport.h"
#include "vxsrvnt/nics/NicDiscovery.h"
#include "vxsrvnt/service/HealthFile.h"
#include "vxsrvnt/service/Service.h"
#include "vxsrvnt/store/ConfigEdit.h"
#include "vxsrvnt/store/Installer.h"
#include "vxsrvnt/store/PairEditor.h"
#include "vxsrvnt/store/StoreReader.h"
#include "vxsrvnt/store/VlanEditor.h"

#include <algorithm>
#include <charconv>

namespace velnet::vxsrvnt {

using Command = CommandLine::Command;

namespace {

std::string storePath(const CommandLine& line)
{
    return line.store.empty() ? registry::FileRegistry::defaultPath() : line.store;
}

// The health file is written every second; older means no service.
constexpr double kHealthMaxAge = 5.0;

// "adapter 2 (eth1)", or "adapter 2" when its NIC is not here.
std::string labelOf(const std::vector<NicBinding>& bindings, int number)
{
    const NicBinding* b = bindingOf(bindings, number);
    return b ? adapterLabel(number, b->ifname) : adapterLabel(number);
}

void printReport(const ApplyReport& report, std::ostream& out, std::ostream& err)
{
    for (const std::string& action : report.actions)
        out << action << "\n";
    for (const std::string& refusal : report.refusals)
        err << "vxsrvnt: not done: " << refusal << "\n";
    if (report.actions.empty() && report.refusals.empty())
        out << "The kernel already matches the store.\n";
}

} // namespace

Commands::Commands(CommandLine line, std::ostream& out, std::ostream& err)
    : line_(std::move(line)), out_(out), err_(err), registry_(storePath(line_))
{
}

int Commands::failed(const std::string& message, int status)
{
    err_ << "vxsrvnt: " << message << "\n";
    return status;
}

int Commands::execute()
{
    switch (line_.command) {
    case Command::Help:
        out_ << usageText();
        return kExitOk;
    case Command::Version:
        out_ << "vxsrvnt " << VELNET_VERSION << "\n";
        return kExitOk;
    case Command::Run:
        return Service(registry_.path(), runtime_).run();
    case Command::Status:
        return status();
    case Command::Install:
        return install();
    case Command::Apply:
        return apply(line_.force);
    case Command::Pair:
        return pair();
    case Command::Unpair:
        return unpair();
    case Command::VlanAdd:
        return vlanAdd();
    case Command::VlanRemove:
        return vlanRemove();
    case Command::RemoveLinks:
        return removeLinks();
    }
    return kExitUsage;
}

Result<Commands::Machine> Commands::machine()
{
    StoreReader reader(registry_);
    auto config = reader.read();
    if (!config)
        return fail(config.error());
    Machine m;
    m.config = std::move(*config);
    m.warnings = reader.warnings();
    m.nics = NicDiscovery().discover();
    const AdapterBinder binder(m.config, m.nics);
    m.bindings = binder.bindings();
    m.unbound = binder.unboundNics();
    return m;
}

Result<int> Commands::resolveNic(const Machine& m, const std::string& argument) const
{
    int number = 0;
    const auto [end, error] =
        std::from_chars(argument.data(), argument.data() + argument.size(), number);
    if (error == std::errc() && end == argument.data() + argument.size()) {
        if (!m.config.adapter(number))
            return fail("the store has no adapter " + argument +
                        " (vxsrvnt status lists the adapters)");
        return number;
    }
    for (const NicBinding& b : m.bindings)
        if (b.ifname == argument)
            return b.adapterNumber;
    for (const MachineNic& nic : m.unbound)
        if (nic.ifname == argument)
            return fail(argument + " has no adapter number yet: run vxsrvnt install first");
    return fail("no NIC named " + argument +
                " (an interface name or adapter number that vxsrvnt status lists)");
}

int Commands::install()
{
    auto report = Installer(registry_).install(NicDiscovery().discover());
    if (!report)
        return failed(report.error(), kExitNoStore);
    for (const InstallReport::Added& added : report->added)
        out_ << "adapter " << added.adapterNumber << ": " << added.ifname
             << " (instance key vxsrvnt" << added.instance << ")\n";
    if (report->valuesFilled > 0)
        out_ << report->valuesFilled << " missing values filled in\n";
    if (report->added.empty() && report->valuesFilled == 0)
        out_ << "Every NIC has its adapter number already.\n";
    for (const std::string& why : report->notAdded)
        err_ << "vxsrvnt: not installed: " << why << "\n";
    return report->notAdded.empty() ? kExitOk : kExitFailed;
}

int Commands::status()
{
    auto m = machine();
    if (!m)
        return failed(m.error(), kExitNoStore);
    StatusInput input;
    input.store = registry_.path();
    input.warnings = m->warnings;
    input.bindings = m->bindings;
    input.unbound = m->unbound;
    if (auto rtnl = netlink::Rtnl::open(); rtnl) {
        Applier applier(*rtnl);
        input.kernel = applier.observe(m->config, m->bindings);
    } else {
        input.kernel = fail(rtnl.error());
    }
    input.config = std::move(m->config);
    input.health = HealthFile(runtime_.healthFile()).read(kHealthMaxAge);
    const StatusReport report(std::move(input));
    if (line_.json)
        out_ << report.toJson().dump(2) << "\n";
    else
        report.printText(out_);
    return report.matches() ? kExitOk : kExitFailed;
}

int Commands::apply(bool force)
{
    const ApplyLock lock(runtime_);
    if (!lock.held())
        return failed(lock.error());
    auto m = machine();
    if (!m)
        return failed(m.error(), kExitNoStore);
    auto rtnl = netlink::Rtnl::open();
    if (!rtnl)
        return failed("cannot talk to the kernel: " + rtnl.error());
    ApplyOptions options;
    options.allowAddressed = force;
    options.runtimeDir = runtime_.dir();
    auto report = Applier(*rtnl).apply(m->config, m->bindings, options);
    if (!report)
        return failed("applying the store failed: " + report.error());
    printReport(*report, out_, err_);
    return report->ok() ? kExitOk : kExitFailed;
}

int Commands::edited(const Outcome& outcome, const std::string& done)
{
    if (!outcome) {
        // Read, but not written: a store this user may not write has the
        // status of its own, as one that cannot be read has.
        const bool writable = registry_.checkWritable() == registry::Status::Success;
        return failed(outcome.error(), writable ? kExitFailed : kExitNoStore);
    }
    out_ << done << "\n";
    return apply(line_.force);
}

int Commands::pair()
{
    auto m = machine();
    if (!m)
        return failed(m.error(), kExitNoStore);
    const auto primary = resolveNic(*m, line_.operands[0]);
    const auto backup = resolveNic(*m, line_.operands[1]);
    if (!primary || !backup)
        return failed(!primary ? primary.error() : backup.error());
    return edited(PairEditor(registry_).pair(*primary, *backup, line_.failover),
                  labelOf(m->bindings, *backup) + " is now the backup of " +
                      labelOf(m->bindings, *primary));
}

int Commands::onFirstNic(const std::function<int(const Machine&, int adapter)>& edit)
{
    auto m = machine();
    if (!m)
        return failed(m.error(), kExitNoStore);
    const auto adapter = resolveNic(*m, line_.operands[0]);
    if (!adapter)
        return failed(adapter.error());
    return edit(*m, *adapter);
}

int Commands::unpair()
{
    return onFirstNic([&](const Machine& m, int adapter) {
        return edited(PairEditor(registry_).unpair(adapter),
                      labelOf(m.bindings, adapter) + " and its partner are stand-alone now");
    });
}

int Commands::vlanAdd()
{
    return onFirstNic([&](const Machine& m, int adapter) {
        const std::string& idText = line_.operands[1];
        std::uint32_t id = 0;
        const auto [end, error] = std::from_chars(idText.data(), idText.data() + idText.size(), id);
        if (error != std::errc() || end != idText.data() + idText.size())
            return failed("the VLAN identifier must be a number, not \"" + idText + "\"",
                          kExitUsage);
        return edited(VlanEditor(registry_).add(adapter, id, line_.operands[2], line_.address),
                      labelOf(m.bindings, adapter) + " has VLAN " + idText + " \"" +
                          line_.operands[2] + "\" now");
    });
}

int Commands::vlanRemove()
{
    return onFirstNic([&](const Machine& m, int adapter) {
        return edited(VlanEditor(registry_).remove(adapter, line_.operands[1]),
                      labelOf(m.bindings, adapter) + " has no VLAN \"" + line_.operands[1] +
                          "\" any more");
    });
}

int Commands::removeLinks()
{
    const ApplyLock lock(runtime_);
    if (!lock.held())
        return failed(lock.error());
    auto rtnl = netlink::Rtnl::open();
    if (!rtnl)
        return failed("cannot talk to the kernel: " + rtnl.error());
    ApplyOptions options;
    options.runtimeDir = runtime_.dir();
    auto report = Applier(*rtnl).removeAll(options);
    if (!report)
        return failed("removing the links failed: " + report.error());
    for (const std::string& action : report->actions)
        out_ << action << "\n";
    for (const std::string& refusal : report->refusals)
        err_ << "vxsrvnt: not done: " << refusal << "\n";
    return report->ok() ? kExitOk : kExitFailed;
}

} // namespace velnet::vxsrvnt
