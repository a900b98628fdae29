// SPDX-License-Identifier: MIT
#include "regtool/CommandLine.h"

namespace velnet::regtool {

using namespace velnet::registry;

KeyName parseKeyName(const std::string& text)
{
    if (text.starts_with("\\\\"))
        throw Error{"ERROR: Remote computers are not supported by this tool."};
    const auto slash = text.find('\\');
    const auto root = rootFromName(text.substr(0, slash));
    if (!root)
        throw Error{"ERROR: Invalid key name."};
    KeyName k{*root, slash == std::string::npos ? std::string() : text.substr(slash + 1), {}};
    while (!k.path.empty() && k.path.back() == '\\')
        k.path.pop_back();
    k.full = std::string(rootName(*root));
    if (!k.path.empty())
        k.full += "\\" + k.path;
    return k;
}

Options::Options(const std::vector<std::string>& args, std::size_t first,
                 std::initializer_list<std::string_view> known,
                 std::initializer_list<std::string_view> withValue, std::string_view command)
    : command_(command)
{
    for (std::size_t i = first; i < args.size(); ++i) {
        const std::string& a = args[i];
        const std::string name = a.size() >= 2 ? toLowerAscii(a.substr(1)) : std::string();
        bool isSwitch = false;
        if (!name.empty() && (a[0] == '/' || a[0] == '-')) {
            for (auto k : known)
                isSwitch = isSwitch || name == k;
        }
        if (isSwitch) {
            bool takesValue = false;
            for (auto w : withValue)
                takesValue = takesValue || name == w;
            if (switches_.count(name))
                syntax();
            if (takesValue) {
                if (i + 1 >= args.size())
                    syntax();
                switches_[name] = args[++i];
            } else {
                switches_[name] = std::nullopt;
            }
        } else {
            positional_.push_back(a);
        }
    }
}

} // namespace velnet::regtool
