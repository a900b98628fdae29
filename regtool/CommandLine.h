// SPDX-License-Identifier: MIT
#pragma once

#include "common/registry/Registry.h"

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velnet::regtool {

// A failure of a command: its one-line message, as reg.exe prints it.
struct Error
{
    std::string message;
};

// A key name of the command line, "HKLM\\Software\\..." and its parts.
struct KeyName
{
    registry::Root root;
    std::string path;
    std::string full; // as reg.exe prints it
};

// The key named by `text`; throws Error when the root is unknown or the
// name is a remote computer's.
KeyName parseKeyName(const std::string& text);

// The options of one command: switches such as /f and /v NAME, and the rest in order.
class Options
{
public:
    // `known` are the command's switches; anything else is an argument, so
    // that a file name such as /tmp/x.reg is not taken for a switch.
    Options(const std::vector<std::string>& args, std::size_t first,
            std::initializer_list<std::string_view> known,
            std::initializer_list<std::string_view> withValue, std::string_view command);

    bool has(const std::string& name) const { return switches_.count(name) > 0; }
    std::optional<std::string> value(const std::string& name) const
    {
        auto it = switches_.find(name);
        return it == switches_.end() ? std::nullopt : it->second;
    }
    const std::vector<std::string>& positional() const { return positional_; }
    [[noreturn]] void syntax() const
    {
        throw Error{"ERROR: Invalid syntax. Type \"regtool " + registry::toLowerAscii(command_) +
                    " /?\" for usage."};
    }

private:
    std::string_view command_;
    std::map<std::string, std::optional<std::string>> switches_;
    std::vector<std::string> positional_;
};

} // namespace velnet::regtool
