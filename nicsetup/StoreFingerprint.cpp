// SPDX-License-Identifier: MIT
#include "nicsetup/StoreFingerprint.h"

#include <vector>

namespace velnet::nicsetup {

using registry::Access;
using registry::Key;
using registry::Root;

namespace {

const char* const kServices = "SYSTEM\\CurrentControlSet\\Services";
const char* const kDriverPrefix = "vxsrvnt";
const char* const kNetworkCards = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
const char* const kMaker = "SOFTWARE\\Corvane";

// Larger than any value the store holds, so that every value is read whole.
constexpr std::size_t kValueLimit = 1 << 20;

bool isDriverKey(const std::string& name)
{
    return name.size() >= 7 &&
           registry::equalsIgnoreCase(std::string_view(name).substr(0, 7), kDriverPrefix);
}

} // namespace

StoreFingerprint StoreFingerprint::take(registry::Registry& registry)
{
    StoreFingerprint fingerprint;
    if (const Key services = registry.open(Root::LocalMachine, kServices, Access::Read)) {
        for (std::size_t i = 0; const auto name = services.enumKey(i); ++i) {
            if (isDriverKey(*name))
                fingerprint.addTree(registry, std::string(kServices) + "\\" + *name);
        }
    }
    fingerprint.addTree(registry, kNetworkCards);
    fingerprint.addTree(registry, kMaker);
    return fingerprint;
}

// Walks the key and everything under it with a list of keys still to visit
// rather than by recursion, so that a deep store costs memory, not stack.
void StoreFingerprint::addTree(registry::Registry& registry, const std::string& path)
{
    std::vector<std::string> pending{path};
    while (!pending.empty()) {
        const std::string current = std::move(pending.back());
        pending.pop_back();
        const Key key = registry.open(Root::LocalMachine, current, Access::Read);
        if (!key)
            continue;
        text_ += "[" + current + "]\n";
        for (std::size_t i = 0; const auto name = key.enumValue(i); ++i) {
            const auto value = key.query(*name, kValueLimit);
            if (!value) {
                text_ += *name + "=?\n";
                continue;
            }
            // The length first: the bytes may hold anything, even a line break.
            text_ += *name + "=" + std::to_string(unsigned(value->type)) + "/" +
                     std::to_string(value->data.size()) + ":";
            text_.append(value->data.begin(), value->data.end());
            text_ += "\n";
        }
        for (std::size_t i = 0; const auto name = key.enumKey(i); ++i)
            pending.push_back(current + "\\" + *name);
    }
}

} // namespace velnet::nicsetup
