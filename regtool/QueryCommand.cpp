// SPDX-License-Identifier: MIT
#include "regtool/CommandLine.h"
#include "regtool/Commands.h"
#include "regtool/ValueText.h"

namespace velnet::regtool {

using namespace velnet::registry;

namespace {

void printValue(std::ostream& out, const std::string& name, const Value& v)
{
    out << "    " << (name.empty() ? "(Default)" : name) << "    " << typeName(v.type) << "    "
        << dataText(v) << "\n";
}

void printValues(std::ostream& out, const KeyName& k, const Key& key)
{
    out << "\n" << k.full << "\n";
    for (std::size_t i = 0;; ++i) {
        auto name = key.enumValue(i);
        if (!name)
            break;
        if (auto v = key.query(*name, kAnySize))
            printValue(out, *name, *v);
    }
}

void printKey(std::ostream& out, const KeyName& k, const Key& key)
{
    printValues(out, k, key);
    bool any = false;
    for (std::size_t i = 0;; ++i) {
        auto sub = key.enumKey(i);
        if (!sub)
            break;
        if (!any)
            out << "\n";
        any = true;
        out << k.full << "\\" << *sub << "\n";
    }
}

// Every key under `k`, parents first, with an explicit stack: keys may nest deep.
void printTree(std::ostream& out, Registry& reg, const KeyName& k, const Key& key)
{
    printValues(out, k, key);
    struct Frame
    {
        KeyName name;
        Key key;
        std::size_t next = 0;
    };
    std::vector<Frame> stack;
    stack.push_back({k, reg.open(k.root, k.path, Access::Read), 0});
    while (!stack.empty()) {
        Frame& top = stack.back();
        auto sub = top.key.enumKey(top.next++);
        if (!sub) {
            stack.pop_back();
            continue;
        }
        KeyName child{top.name.root, top.name.path.empty() ? *sub : top.name.path + "\\" + *sub,
                      top.name.full + "\\" + *sub};
        if (Key ck = reg.open(child.root, child.path, Access::Read)) {
            printValues(out, child, ck);
            stack.push_back({std::move(child), std::move(ck), 0});
        }
    }
}

} // namespace

int query(const std::vector<std::string>& args, FileRegistry& reg, std::ostream& out)
{
    Options o(args, 1, {"v", "ve", "s"}, {"v"}, "QUERY");
    if (o.positional().size() != 1 || (o.has("v") && o.has("ve")))
        o.syntax();
    const KeyName k = parseKeyName(o.positional()[0]);
    Status s;
    Key key = reg.open(k.root, k.path, Access::Read, &s);
    check(s, reg);
    if (o.has("v") || o.has("ve")) {
        std::string name = o.has("v") ? *o.value("v") : std::string();
        auto v = key.query(name, kAnySize);
        if (!v)
            throw Error{kNotFound};
        for (std::size_t i = 0; auto stored = key.enumValue(i); ++i) {
            if (equalsIgnoreCase(*stored, name))
                name = *stored; // print the name as stored
        }
        out << "\n" << k.full << "\n";
        printValue(out, name, *v);
        out << "\n";
        return 0;
    }
    if (o.has("s"))
        printTree(out, reg, k, key);
    else
        printKey(out, k, key);
    out << "\n";
    return 0;
}

} // namespace velnet::regtool
