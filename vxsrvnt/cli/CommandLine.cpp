// SPDX-License-Identifier: MIT
#include "vxsrvnt/cli/CommandLine.h"

#include <charconv>
#include <optional>
#include <span>

namespace velnet::vxsrvnt {

namespace {

using Command = CommandLine::Command;

struct CommandSpec
{
    const char* words; // "vlan add"
    Command command;
    std::size_t operands;
    const char* operandNames; // for the message when they are wrong
};

constexpr CommandSpec kCommands[] = {
    {"run", Command::Run, 0, ""},
    {"status", Command::Status, 0, ""},
    {"install", Command::Install, 0, ""},
    {"apply", Command::Apply, 0, ""},
    {"pair", Command::Pair, 2, "PRIMARY BACKUP"},
    {"unpair", Command::Unpair, 1, "NIC"},
    {"vlan add", Command::VlanAdd, 3, "NIC ID NAME"},
    {"vlan remove", Command::VlanRemove, 2, "NIC NAME"},
    {"remove-links", Command::RemoveLinks, 0, ""},
};

// Which options each command takes.
bool takes(Command command, std::string_view option)
{
    if (option == "--json")
        return command == Command::Status;
    if (option == "--force")
        return command == Command::Apply || command == Command::Pair;
    if (option == "--address")
        return command == Command::VlanAdd;
    return command == Command::Pair;
}

Result<std::string> enabledText(std::string_view option, std::string_view value)
{
    if (value == "on")
        return std::string("Enabled");
    if (value == "off")
        return std::string("Disabled");
    return fail(std::string(option) + " takes on or off, not \"" + std::string(value) + "\"");
}

Outcome setPairOption(CommandLine& line, std::string_view option, const std::string& value)
{
    if (option == "--failure-count") {
        std::uint32_t count = 0;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
        if (error != std::errc() || end != value.data() + value.size())
            return fail("--failure-count takes a number, not \"" + value + "\"");
        line.failover.failureCount = count;
        return {};
    }
    const std::pair<std::string_view, std::string FailoverSettings::*> texts[] = {
        {"--preferred-nic", &FailoverSettings::preferredNic},
        {"--switch-forever", &FailoverSettings::nicSwitchForever},
        {"--alternate-checking", &FailoverSettings::alternateNicChecking},
        {"--diagnostic-packets", &FailoverSettings::nicDiagnosticPackets},
    };
    for (const auto& [name, field] : texts) {
        if (option != name)
            continue;
        auto text = enabledText(option, value);
        if (!text)
            return fail(text.error());
        line.failover.*field = *text;
        return {};
    }
    return fail("unknown option " + std::string(option));
}

bool hasValue(std::string_view option)
{
    return option == "--store" || option == "--address" || option == "--failure-count" ||
           option == "--preferred-nic" || option == "--switch-forever" ||
           option == "--alternate-checking" || option == "--diagnostic-packets";
}

// The command's words at the front of `words`.
std::optional<CommandSpec> findCommand(std::span<const std::string> words)
{
    for (const CommandSpec& spec : kCommands) {
        const std::string_view name = spec.words;
        const auto blank = name.find(' ');
        if (blank == std::string_view::npos) {
            if (!words.empty() && words[0] == name)
                return spec;
        } else if (words.size() >= 2 && words[0] == name.substr(0, blank) &&
                   words[1] == name.substr(blank + 1)) {
            return spec;
        }
    }
    return std::nullopt;
}

Outcome setOption(CommandLine& line, std::string_view option, const std::string& value)
{
    if (option == "--store")
        line.store = value;
    else if (option == "--json")
        line.json = true;
    else if (option == "--force")
        line.force = true;
    else if (option == "--address")
        line.address = value;
    else
        return setPairOption(line, option, value);
    return {};
}

} // namespace

Result<CommandLine> parseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine line;
    std::vector<std::string> words;
    std::vector<std::pair<std::string, std::string>> options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (argument == "--help" || argument == "-h")
            return line;
        if (argument == "--version") {
            line.command = Command::Version;
            return line;
        }
        if (!argument.starts_with("--") || argument == "--") {
            words.push_back(argument);
            continue;
        }
        std::string value;
        if (const auto equals = argument.find('='); equals != std::string::npos) {
            value = argument.substr(equals + 1);
            argument.resize(equals);
        } else if (hasValue(argument)) {
            if (i + 1 == arguments.size())
                return fail(argument + " needs a value");
            value = arguments[++i];
        }
        options.emplace_back(argument, value);
    }
    if (words.empty())
        return fail("no command given");
    const auto spec = findCommand(words);
    if (!spec)
        return fail("unknown command \"" + words[0] +
                    (words[0] == "vlan" && words.size() > 1 ? " " + words[1] : "") + "\"");
    line.command = spec->command;
    const std::size_t commandWords =
        std::string_view(spec->words).find(' ') == std::string_view::npos ? 1 : 2;
    line.operands.assign(words.begin() + static_cast<std::ptrdiff_t>(commandWords), words.end());
    if (line.operands.size() != spec->operands)
        return fail(std::string(spec->words) + (spec->operands == 0
                                                    ? " takes no operands"
                                                    : " takes " + std::string(spec->operandNames)));
    for (const auto& [option, value] : options) {
        if (option != "--store" && !takes(line.command, option))
            return fail(hasValue(option) || option == "--json" || option == "--force"
                            ? option + " does not go with " + spec->words
                            : "unknown option " + option);
        if (Outcome set = setOption(line, option, value); !set)
            return fail(set.error());
    }
    return line;
}

const char* usageText()
{
    return "Usage: vxsrvnt [--store FILE] COMMAND\n"
           "  run                         the service in the foreground\n"
           "  status [--json]             what the kernel holds against the store\n"
           "  install                     give every NIC an adapter number and instance key\n"
           "  apply [--force]             realise the store's pairs and VLANs now\n"
           "  pair PRIMARY BACKUP [--failure-count N] [--preferred-nic on|off]\n"
           "       [--switch-forever on|off] [--alternate-checking on|off]\n"
           "       [--diagnostic-packets on|off] [--force]\n"
           "  unpair NIC\n"
           "  vlan add NIC ID NAME [--address MAC]\n"
           "  vlan remove NIC NAME\n"
           "  remove-links                remove every link the service made\n"
           "NIC is an interface name or an adapter number. See vxsrvnt(8).\n";
}

} // namespace velnet::vxsrvnt
