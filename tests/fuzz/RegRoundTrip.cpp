// SPDX-License-Identifier: MIT
#include "tests/fuzz/RegRoundTrip.h"

#include "common/registry/RegFormat.h"

#include <algorithm>

namespace velnet::test {

using namespace velnet::registry;

namespace {

bool sameValues(const RegNode& a, const RegNode& b)
{
    const auto& va = a.values();
    const auto& vb = b.values();
    return std::equal(va.begin(), va.end(), vb.begin(), vb.end(), [](const auto& x, const auto& y) {
        return x.name == y.name && x.value == y.value;
    });
}

// Compares two trees without recursion. `exactKeys`: subkeys in the same order
// with the same spelling; otherwise matched by name whatever their order and case.
std::string treeDifference(const RegTree& a, const RegTree& b, bool exactKeys)
{
    std::vector<std::pair<const RegNode*, const RegNode*>> pending;
    for (Root r : RegTree::kAllRoots)
        pending.emplace_back(&a.root(r), &b.root(r));
    while (!pending.empty()) {
        auto [x, y] = pending.back();
        pending.pop_back();
        if (!sameValues(*x, *y))
            return "the values of \"" + x->name() + "\" differ";
        if (x->children().size() != y->children().size())
            return "the subkeys of \"" + x->name() + "\" differ in number";
        for (std::size_t i = 0; i < x->children().size(); ++i) {
            const RegNode* cx = x->children()[i].get();
            const RegNode* cy = exactKeys ? y->children()[i].get() : y->child(cx->name());
            if (!cy || (exactKeys && cx->name() != cy->name()))
                return "the subkey \"" + cx->name() + "\" is missing or renamed";
            pending.emplace_back(cx, cy);
        }
    }
    return {};
}

bool load(std::string_view bytes, RegTree& tree, std::string& problem, const char* what)
{
    const RegParseResult loaded = loadRegBytes(tree, std::string(bytes));
    if (!loaded.ok)
        problem = std::string(what) + " does not parse: line " + std::to_string(loaded.errorLine) +
                  ": " + loaded.error;
    return loaded.ok;
}

struct KeyRef
{
    Root root;
    std::string path; // without the root
    RegNode* node;
};

std::vector<KeyRef> someKeys(RegTree& tree, std::size_t limit)
{
    std::vector<KeyRef> keys;
    for (Root r : RegTree::kAllRoots)
        keys.push_back({r, {}, &tree.root(r)});
    for (std::size_t i = 0; i < keys.size() && keys.size() < limit; ++i) {
        for (const auto& child : keys[i].node->children()) {
            if (keys.size() >= limit)
                break;
            const std::string& parent = keys[i].path;
            keys.push_back({keys[i].root,
                            parent.empty() ? child->name() : parent + "\\" + child->name(),
                            child.get()});
        }
    }
    return keys;
}

// Changes made the same way for every input: values set, changed and
// removed, subkeys removed, a key added.
void change(RegTree& tree)
{
    std::vector<KeyRef> keys = someKeys(tree, 64);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        RegNode& node = *keys[i].node;
        if (i % 4 == 0)
            node.setValue("fuzz", {ValueType::Dword, {static_cast<std::uint8_t>(i), 0, 0, 0}});
        else if (i % 4 == 1 && !node.values().empty())
            node.setValue(node.values().front().name, {ValueType::Sz, {'c', 0}});
        else if (i % 4 == 2 && !node.values().empty()) {
            tree.removeValue(node, std::string(node.values().back().name));
            node.setValue("added", {ValueType::Binary, {static_cast<std::uint8_t>(i)}});
        }
    }
    // Deeper keys first, so that no key is used after an ancestor went.
    for (std::size_t i = keys.size(); i-- > 0;) {
        const RegNode& node = *keys[i].node;
        if (i % 4 == 3 && !node.children().empty())
            tree.remove(keys[i].root, keys[i].path + "\\" + node.children().back()->name());
    }
    RegNode& added = tree.findOrCreate(Root::CurrentUser, "Fuzz\\New");
    added.setValue("x", {ValueType::ExpandSz, {'%', 'A', '%', 0}});
    // Text that is not ASCII, and bytes that are not UTF-8 at all, in every
    // text type: what the file's encoding cannot spell must still come back.
    added.setValue("caf\xc3\xa9", {ValueType::Sz, {'c', 'a', 'f', 0xc3, 0xa9, 0}});
    added.setValue("caf\xe9", {ValueType::Sz, {'c', 'a', 'f', 0xe9, 0}});
    added.setValue("lone", {ValueType::ExpandSz, {0xe9, 0}});
    added.setValue("mark", {ValueType::MultiSz, {0xff, 0xfe, 0x41, 0, 0xc3, 0, 0xa9, 0, 0}});
    added.setValue("odd", {ValueType::Sz, {0xed, 0xb2, 0x80}});
}

} // namespace

std::string roundTripProblem(std::string_view bytes)
{
    RegTree tree;
    std::string problem;
    if (!load(bytes, tree, problem, "the input"))
        return {};

    const RegRewrite same = rewriteRegFile(tree);
    if (same.changed || same.bytes != bytes)
        return "an unchanged tree is not written back byte for byte";

    const std::string fresh = formatRegFile(tree);
    RegTree reread;
    if (!load(fresh, reread, problem, "the fresh text"))
        return problem;
    if (auto d = treeDifference(tree, reread, true); !d.empty())
        return "the fresh text reads back differently: " + d;
    if (formatRegFile(reread) != fresh)
        return "the fresh text is not written the same way twice";

    change(tree);
    const RegRewrite changed = rewriteRegFile(tree);
    RegTree after;
    if (!load(changed.bytes, after, problem, "the rewrite"))
        return problem;
    if (auto d = treeDifference(tree, after, false); !d.empty())
        return "the rewrite reads back differently: " + d;
    const RegRewrite again = rewriteRegFile(after);
    if (again.changed || again.bytes != changed.bytes)
        return "the rewrite is not kept byte for byte";
    return {};
}

} // namespace velnet::test
