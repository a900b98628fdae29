// SPDX-License-Identifier: MIT
#include "tests/common/RegistryTestUtil.h"

#include "tests/support/RunInChild.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <dirent.h>
#include <stdexcept>
#include <sys/stat.h>

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

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.emplace_back(e->d_name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string makeSharedFolder(const std::string& parent, const std::string& name)
{
    const std::string folder = parent + "/" + name;
    if (::chmod(parent.c_str(), 0755) != 0 || ::mkdir(folder.c_str(), 0777) != 0 ||
        ::chmod(folder.c_str(), 01777) != 0)
        throw std::runtime_error("cannot make the shared folder " + folder);
    return folder;
}

bool asNobody(const std::function<bool()>& deed)
{
    return runInChild([&](std::string&) {
               if (!dropRoot(kNobody, kNoGroup))
                   return kChildCannotRun;
               return deed() ? 0 : 1;
           }).exitCode == 0;
}

} // namespace velnet::test
