// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"
#include "common/registry/FileRegistry.h"
#include "vxsrvnt/cli/CommandLine.h"
#include "vxsrvnt/nics/AdapterBinder.h"
#include "vxsrvnt/service/RuntimeFiles.h"

#include <functional>
#include <ostream>
#include <string>

namespace velnet::vxsrvnt {

// Runs one command of the command line and gives its exit status. Commands
// that change the store (pair, unpair, vlan add, vlan remove) write it in one
// commit and then apply it themselves, under the apply lock that the service
// also takes; a running service sees the store change and finds nothing left
// to do. `install` only writes the store.
class Commands
{
public:
    Commands(CommandLine line, std::ostream& out, std::ostream& err);

    int execute();

private:
    // The store and the machine's NICs bound to it.
    struct Machine
    {
        DriverConfig config;
        std::vector<std::string> warnings;
        std::vector<MachineNic> nics;
        std::vector<NicBinding> bindings;
        std::vector<MachineNic> unbound;
    };

    int install();
    int status();
    int apply(bool force);
    int pair();
    int unpair();
    int vlanAdd();
    int vlanRemove();
    int removeLinks();

    Result<Machine> machine();
    Result<int> resolveNic(const Machine& machine, const std::string& argument) const;
    // Runs `edit` with the machine and the adapter the first operand names;
    // the exit status of whichever failed first otherwise.
    int onFirstNic(const std::function<int(const Machine&, int adapter)>& edit);
    // After a change of the store: what it now asks for, applied.
    int edited(const Outcome& outcome, const std::string& done);
    int failed(const std::string& message, int status = kExitFailed);

    CommandLine line_;
    std::ostream& out_;
    std::ostream& err_;
    registry::FileRegistry registry_;
    RuntimeFiles runtime_;
};

} // namespace velnet::vxsrvnt
