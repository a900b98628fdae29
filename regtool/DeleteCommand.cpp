// SPDX-License-Identifier: MIT
#include "regtool/CommandLine.h"
#include "regtool/Commands.h"

namespace velnet::regtool {

using namespace velnet::registry;

int remove(const std::vector<std::string>& args, FileRegistry& reg, std::ostream& out)
{
    Options o(args, 1, {"v", "ve", "va", "f"}, {"v"}, "DELETE");
    const int which = o.has("v") + o.has("ve") + o.has("va");
    if (o.positional().size() != 1 || which > 1)
        o.syntax();
    const KeyName k = parseKeyName(o.positional()[0]);
    Status s;
    Key key = reg.open(k.root, k.path, Access::Full, &s);
    check(s, reg);

    if (which == 0) {
        if (k.path.empty())
            throw Error{"ERROR: Invalid key name."};
        if (!o.has("f") && !confirm(out, "Permanently delete the registry key " + k.full)) {
            out << "The operation was canceled by the user.\n";
            return 0;
        }
        key = Key();
        check(reg.deleteKey(k.root, k.path), reg);
    } else if (o.has("va")) {
        if (!o.has("f") && !confirm(out, "Delete all values under the registry key " + k.full)) {
            out << "The operation was canceled by the user.\n";
            return 0;
        }
        std::vector<std::string> names;
        for (std::size_t i = 0;; ++i) {
            auto n = key.enumValue(i);
            if (!n)
                break;
            names.push_back(*n);
        }
        WriteGroup group(reg);
        for (const auto& n : names)
            check(key.deleteValue(n), reg);
        check(group.commit(), reg);
    } else {
        const std::string name = o.has("v") ? *o.value("v") : std::string();
        if (!key.query(name, kAnySize))
            throw Error{kNotFound};
        if (!o.has("f") &&
            !confirm(out, "Delete the registry value " + (name.empty() ? "(Default)" : name))) {
            out << "The operation was canceled by the user.\n";
            return 0;
        }
        check(key.deleteValue(name), reg);
    }
    out << kSuccess << "\n";
    return 0;
}

} // namespace velnet::regtool
