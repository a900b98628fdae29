#pragma once

#include "Registry.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velnet::registry {

// A key in memory: its values and subkeys in stored order, with an index by
// lower-cased name so that lookups stay cheap on keys with many children.
class RegNode
{
public:
    struct NamedValue
    {
        std::string name;
        Value value;
    };

    explicit RegNode(std::string name = {}) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }

    RegNode* child(std::string_view name) const;
    RegNode& childOrNew(std::string_view name);
    bool removeChild(std::string_view name);
    const std::vector<std::unique_ptr<RegNode>>& children() const { return children_; }

    const Value* value(std::string_view name) const;
    void setValue(std::string_view name, Value value);
    bool removeValue(std::string_view name);
    const std::vector<NamedValue>& values() const { return values_; }

private:
    std::string name_;
    std::vector<NamedValue> values_;
    std::vector<std::unique_ptr<RegNode>> children_;
    std::unordered_map<std::string, RegNode*> childIndex_;
};

// Every root of the store.
class RegTree
{
public:
    RegTree();

    RegNode& root(Root root) { return *roots_[static_cast<std::size_t>(root)]; }
    const RegNode& root(Root root) const { return *roots_[static_cast<std::size_t>(root)]; }

    RegNode* find(Root root, std::string_view path) const;
    RegNode& findOrCreate(Root root, std::string_view path);
    bool remove(Root root, std::string_view path);

    static constexpr std::array<Root, 6> kAllRoots{Root::ClassesRoot,   Root::CurrentUser,
                                                   Root::LocalMachine,  Root::Users,
                                                   Root::CurrentConfig, Root::DynData};

private:
    std::array<std::unique_ptr<RegNode>, 6> roots_;
};

// The parts of a backslash path; empty parts (doubled or edge backslashes) are dropped.
std::vector<std::string_view> splitKeyPath(std::string_view path);

} // namespace velnet::registry
