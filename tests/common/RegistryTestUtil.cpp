// SPDX-License-Identifier: MIT
#include "tests/common/RegistryTestUtil.h"

#include "tests/support/TempDir.h"

#include <stdexcept>

namespace velnet::test {

using namespace velnet::registry;

namespace {
void walk(const RegNode& node, const std::string& path, FlatStore& out)
{
    auto& values = out[toLowerAscii(path)];
    for (const auto& v : node.values())
        values[toLowerAscii(v.name)] = v.value;
    for (const auto& child : node.children())
        walk(*child, path + "\\" + child->name(), out);
}
} // namespace

FlatStore flatten(const RegTree& tree)
{
    FlatStore out;
    for (Root r : RegTree::kAllRoots)
        walk(tree.root(r), std::string(rootName(r)), out);
    return out;
}

FlatStore flattenFile(const std::string& path)
{
    const RegParseResult parsed = parseRegFile(readFile(path));
    if (!parsed.ok)
        throw std::runtime_error(path + ": " + parsed.error);
    RegTree tree;
    applyActions(tree, parsed.actions);
    return flatten(tree);
}

} // namespace velnet::test
