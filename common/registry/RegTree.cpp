#include "RegTree.h"

#include <algorithm>

namespace velnet::registry {

RegNode* RegNode::child(std::string_view name) const
{
    auto it = childIndex_.find(toLowerAscii(name));
    return it == childIndex_.end() ? nullptr : it->second;
}

RegNode& RegNode::childOrNew(std::string_view name)
{
    if (RegNode* existing = child(name))
        return *existing;
    children_.push_back(std::make_unique<RegNode>(std::string(name)));
    RegNode* node = children_.back().get();
    childIndex_.emplace(toLowerAscii(name), node);
    return *node;
}

bool RegNode::removeChild(std::string_view name)
{
    auto it = childIndex_.find(toLowerAscii(name));
    if (it == childIndex_.end())
        return false;
    RegNode* node = it->second;
    childIndex_.erase(it);
    std::erase_if(children_, [node](const auto& c) { return c.get() == node; });
    return true;
}

const Value* RegNode::value(std::string_view name) const
{
    for (const auto& v : values_) {
        if (equalsIgnoreCase(v.name, name))
            return &v.value;
    }
    return nullptr;
}

void RegNode::setValue(std::string_view name, Value value)
{
    for (auto& v : values_) {
        if (equalsIgnoreCase(v.name, name)) {
            v.value = std::move(value);
            return;
        }
    }
    values_.push_back({std::string(name), std::move(value)});
}

bool RegNode::removeValue(std::string_view name)
{
    return std::erase_if(values_,
                         [name](const auto& v) { return equalsIgnoreCase(v.name, name); }) > 0;
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
    std::string parent;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        parent += parts[i];
        parent += '\\';
    }
    RegNode* node = find(r, parent);
    return node && node->removeChild(parts.back());
}

} // namespace velnet::registry
