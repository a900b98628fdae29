// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"
#include "vxsrvnt/config/DriverConfig.h"

#include <string>
#include <vector>

namespace velnet::vxsrvnt {

// Exit statuses of every command (vxsrvnt(8) lists them).
enum ExitStatus : int
{
    kExitOk = 0,
    kExitFailed = 1,  // refused or failed; status: the kernel does not match the store
    kExitUsage = 2,   // the command line is wrong
    kExitNoStore = 3, // the store cannot be read or written
};

// What the command line asks for. Options may stand anywhere after the
// command; `--store FILE` and `--store=FILE` alike.
struct CommandLine
{
    enum class Command
    {
        Help,
        Version,
        Run,
        Status,
        Install,
        Apply,
        Pair,
        Unpair,
        VlanAdd,
        VlanRemove,
        RemoveLinks,
    };
    Command command = Command::Help;
    std::string store; // empty: VELNET_REGISTRY or the machine's store
    bool json = false;
    bool force = false;
    std::vector<std::string> operands; // NICs, VLAN identifier and name
    FailoverSettings failover;
    std::string address; // vlan add --address
};

// Fails with a message for the user (exit status kExitUsage).
Result<CommandLine> parseCommandLine(const std::vector<std::string>& arguments);

// The synopsis printed by --help and after a usage error.
const char* usageText();

} // namespace velnet::vxsrvnt
