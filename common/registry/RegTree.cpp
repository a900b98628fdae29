// SPDX-License-Identifier: MIT
#include "common/registry/RegTree.h"

#include <algorithm>

namespace velnet::registry {

std::size_t nameLength(std::string_view name)
{
    return static_cast<std::size_t>(std::count_if(name.begin(), name.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::optional<std::string> keyPathProblem(std::string_view path)
{
    std::size_t depth = 0;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start) {
            if (++depth > kMaxKeyDepth)
                return "the key is nested more than " + std::to_string(kMaxKeyDepth) +
                       " levels deep";
            if (nameLength(path.substr(start, end - start)) > kMaxKeyNameLength)
                return "a key name is longer than " + std::to_string(kMaxKeyNameLength) +
                       " characters";
        }
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<std::string> valueNameProblem(std::string_view name)
{
    if (nameLength(name) > kMaxValueNameLength)
        return "the value name is longer than " + std::to_string(kMaxValueNameLength) +
               " characters";
    return std::nullopt;
}

std::string_view RegSource::newline() const
{
    const std::size_t lf = text.find('\n');
    if (lf != std::string::npos && lf > 0 && text[lf - 1] == '\r')
        return "\r\n";
    return "\n";
}

RegNode::~RegNode()
{
    std::vector<std::unique_ptr<RegNode>> pending = std::move(children_);
    while (!pending.empty()) {
        std::unique_ptr<RegNode> node = std::move(pending.back());
        pending.pop_back();
        if (!node)
            continue;
        for (auto& c : node->children_)
            pending.push_back(std::move(c));
        node->children_.clear();
    }
}

RegNode* RegNode::child(std::string_view name) const
{
    auto it = childIndex_.find(toLowerAscii(name));
    return it == childIndex_.end() ? nullptr : children_[it->second].get();
}

RegNode& RegNode::childOrNew(std::string_view name)
{
    if (RegNode* existing = child(name))
        return *existing;
    children_.push_back(std::make_unique<RegNode>(std::string(name)));
    childIndex_.emplace(toLowerAscii(name), children_.size() - 1);
    return *children_.back();
}

std::unique_ptr<RegNode> RegNode::takeChild(std::string_view name)
{
    auto it = childIndex_.find(toLowerAscii(name));
    if (it == childIndex_.end())
        return nullptr;
    std::unique_ptr<RegNode> taken = std::move(children_[it->second]);
    childIndex_.erase(it);
    ++childHoles_;
    return taken;
}

void RegNode::closeChildHoles() const
{
    if (childHoles_ == 0)
        return;
    std::erase(children_, nullptr);
    childHoles_ = 0;
    for (std::size_t i = 0; i < children_.size(); ++i)
        childIndex_[toLowerAscii(children_[i]->name())] = i;
}

const RegNode::NamedValue* RegNode::findValue(std::string_view name) const
{
    auto it = valueIndex_.find(toLowerAscii(name));
    return it == valueIndex_.end() ? nullptr : &values_[it->second];
}

const Value* RegNode::value(std::string_view name) const
{
    const NamedValue* v = findValue(name);
    return v ? &v->value : nullptr;
}

bool RegNode::setValue(std::string_view name, Value value)
{
    auto [it, added] = valueIndex_.try_emplace(toLowerAscii(name), values_.size());
    if (added) {
        values_.push_back({std::string(name), std::move(value), {}, false});
        return true;
    }
    NamedValue& v = values_[it->second];
    if (v.value == value)
        return false;
    v.value = std::move(value);
    v.changed = true;
    return true;
}

void RegNode::loadValue(std::string_view name, Value value, ChunkId origin)
{
    auto [it, added] = valueIndex_.try_emplace(toLowerAscii(name), values_.size());
    if (added) {
        values_.push_back({std::string(name), std::move(value), {origin}, false});
        return;
    }
    NamedValue& v = values_[it->second];
    v.value = std::move(value);
    v.origins.push_back(origin);
    v.changed = false;
}

bool RegNode::removeValue(std::string_view name, std::vector<ChunkId>& dropped)
{
    auto it = valueIndex_.find(toLowerAscii(name));
    if (it == valueIndex_.end())
        return false;
    NamedValue& gone = values_[it->second];
    valueIndex_.erase(it);
    dropped.insert(dropped.end(), gone.origins.begin(), gone.origins.end());
    gone = NamedValue{};
    gone.removed = true;
    ++valueHoles_;
    return true;
}

void RegNode::closeValueHoles() const
{
    if (valueHoles_ == 0)
        return;
    std::erase_if(values_, [](const NamedValue& v) { return v.removed; });
    valueHoles_ = 0;
    for (std::size_t i = 0; i < values_.size(); ++i)
        valueIndex_[toLowerAscii(values_[i].name)] = i;
}

RegTree::RegTree()
{
    for (Root r : kAllRoots)
        roots_[static_cast<std::size_t>(r)] = std::make_unique<RegNode>(std::string(rootName(r)));
}

std::vector<std::string_view> splitKeyPath(std::string_view path)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// Walks the path in place: lookups are the store's most frequent operation.
RegNode* RegTree::find(Root r, std::string_view path) const
{
    RegNode* node = roots_[static_cast<std::size_t>(r)].get();
    std::size_t start = 0;
    while (node && start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            node = node->child(path.substr(start, end - start));
        start = end + 1;
    }
    return node;
}

RegNode& RegTree::findOrCreate(Root r, std::string_view path)
{
    RegNode* node = roots_[static_cast<std::size_t>(r)].get();
    for (std::string_view part : splitKeyPath(path))
        node = &node->childOrNew(part);
    return *node;
}

bool RegTree::remove(Root r, std::string_view path)
{
    auto parts = splitKeyPath(path);
    if (parts.empty())
        return false;
    RegNode* parent = roots_[static_cast<std::size_t>(r)].get();
    for (std::size_t i = 0; parent && i + 1 < parts.size(); ++i)
        parent = parent->child(parts[i]);
    std::unique_ptr<RegNode> gone = parent ? parent->takeChild(parts.back()) : nullptr;
    if (!gone)
        return false;
    std::vector<const RegNode*> pending{gone.get()};
    while (!pending.empty()) {
        const RegNode* node = pending.back();
        pending.pop_back();
        dropped_.insert(dropped_.end(), node->sections().begin(), node->sections().end());
        for (const auto& c : node->children())
            pending.push_back(c.get());
    }
    return true;
}

} // namespace velnet::registry
