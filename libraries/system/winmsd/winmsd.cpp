// SPDX-License-Identifier: MIT
// Writes a system report of the computer described by the registry store
// (VELNET_REGISTRY) to <ComputerName>.TXT in the current folder. "/s" asks
// for the report file, "/f" for the full detail; without "/s" it does nothing.

#include "common/registry/FileRegistry.h"

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace velnet::registry;

namespace {

const char* const kRule =
    "----------------------------------------------------------------------\n";

std::string text(Registry& registry, const std::string& path, const std::string& name)
{
    Key key = registry.open(Root::LocalMachine, path, Access::Read);
    return key ? key.queryString(name, 1024).value_or("") : "";
}

std::string computerName(Registry& registry)
{
    std::string name =
        text(registry, "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName",
             "ComputerName");
    if (name.empty()) {
        char host[256] = {};
        if (::gethostname(host, sizeof host - 1) == 0)
            name = host;
    }
    return name;
}

void section(std::string& out, const char* title)
{
    out += kRule;
    out += title;
    out += "\n";
    out += kRule;
}

void line(std::string& out, const char* label, const std::string& value)
{
    out += label;
    out += value;
    out += "\n";
}

std::string report(Registry& registry, const std::string& name, bool full)
{
    const std::string nt = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    std::string out;
    char date[64] = {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%m/%d/%Y %H:%M", &local);

    line(out, "System report for \\\\", name);
    line(out, "Date:  ", date);
    out += "\n";
    section(out, "Version");
    line(out, "Version:  ", text(registry, nt, "CurrentVersion"));
    line(out, "Build:  ", text(registry, nt, "CurrentBuildNumber"));
    line(out, "Service Pack:  ", text(registry, nt, "CSDVersion"));
    line(out, "Registered Owner:  ", text(registry, nt, "RegisteredOwner"));
    line(out, "Registered Organization:  ", text(registry, nt, "RegisteredOrganization"));
    out += "\n";
    section(out, "Network Cards");
    if (Key cards = registry.open(Root::LocalMachine, nt + "\\NetworkCards", Access::Read)) {
        for (std::size_t i = 0;; ++i) {
            const auto card = cards.enumKey(i);
            if (!card)
                break;
            const std::string path = nt + "\\NetworkCards\\" + *card;
            line(out, "Card ", *card + ":  " + text(registry, path, "Description"));
            if (full)
                line(out, "  Service:  ", text(registry, path, "ServiceName"));
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    bool toFile = false, full = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "/s" || arg == "/S")
            toFile = true;
        else if (arg == "/f" || arg == "/F")
            full = true;
    }
    if (!toFile)
        return 0;
    FileRegistry registry(FileRegistry::defaultPath());
    const std::string name = computerName(registry);
    const std::string body = report(registry, name, full);
    // Written under a temporary name and renamed, so that a reader never
    // sees half a report.
    const std::string file = name + ".TXT";
    const std::string partial = file + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << body;
        if (!out.flush())
            return 1;
    }
    return std::rename(partial.c_str(), file.c_str()) == 0 ? 0 : 1;
}
