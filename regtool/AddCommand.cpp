// SPDX-License-Identifier: MIT
#include "regtool/CommandLine.h"
#include "regtool/Commands.h"
#include "regtool/ValueText.h"

namespace velnet::regtool {

using namespace velnet::registry;

int add(const std::vector<std::string>& args, FileRegistry& reg, std::ostream& out)
{
    Options o(args, 1, {"v", "ve", "t", "d", "s", "f"}, {"v", "t", "d", "s"}, "ADD");
    if (o.positional().size() != 1 || (o.has("v") && o.has("ve")))
        o.syntax();
    const KeyName k = parseKeyName(o.positional()[0]);
    if (k.path.empty())
        throw Error{"ERROR: Invalid key name."};
    const bool setsValue = o.has("v") || o.has("ve") || o.has("t") || o.has("d");
    ValueType type = ValueType::Sz;
    if (auto t = o.value("t")) {
        auto parsed = typeFromName(*t);
        if (!parsed)
            throw Error{"ERROR: Invalid type \"" + *t + "\"."};
        type = *parsed;
    }
    const std::string name = o.has("v") ? *o.value("v") : std::string();
    const auto bytes = parseData(type, o.value("d").value_or(""), o.value("s").value_or("\\0"), o);

    // A new key and its value are one write: a reader, or a writer killed in
    // between, never sees the key without its value.
    WriteGroup group(reg);
    Status s;
    Key key = reg.create(k.root, k.path, Access::Full, &s);
    check(s, reg);
    if (setsValue) {
        if (!o.has("f") && key.query(name, kAnySize) &&
            !confirm(out, "Value " + (name.empty() ? std::string("(Default)") : name) +
                              " exists, overwrite")) {
            out << "The operation was canceled by the user.\n";
            return 0;
        }
        check(key.setValue(name, type, bytes), reg);
    }
    check(group.commit(), reg);
    out << kSuccess << "\n";
    return 0;
}

} // namespace velnet::regtool
