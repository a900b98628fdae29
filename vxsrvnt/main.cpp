// SPDX-License-Identifier: MIT
// vxsrvnt: the server NIC driver's counterpart on Linux. Keeps an instance
// key per NIC in the store that nicsetup edits and realises its failover
// pairs and VLANs with the kernel's bonding and 802.1Q drivers.
#include "vxsrvnt/cli/CommandLine.h"
#include "vxsrvnt/cli/Commands.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    using namespace velnet::vxsrvnt;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    auto line = parseCommandLine(arguments);
    if (!line) {
        std::cerr << "vxsrvnt: " << line.error() << "\n" << usageText();
        return kExitUsage;
    }
    return Commands(std::move(*line), std::cout, std::cerr).execute();
}
