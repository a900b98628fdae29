// SPDX-License-Identifier: MIT
#include "regtool/RegCommand.h"

#include "regtool/CommandLine.h"
#include "regtool/Commands.h"

namespace velnet::regtool {

using namespace velnet::registry;

namespace {

constexpr const char* kUsage =
    "regtool Operation [Parameter List]\n"
    "\n"
    "  Operation  [ query | add | delete | import | export ]\n"
    "\n"
    "  regtool query KeyName [/v ValueName | /ve] [/s]\n"
    "  regtool add KeyName [/v ValueName | /ve] [/t Type] [/s Separator] "
    "[/d Data] [/f]\n"
    "  regtool delete KeyName [/v ValueName | /ve | /va] [/f]\n"
    "  regtool import FileName\n"
    "  regtool export KeyName FileName [/y]\n"
    "  regtool --version\n"
    "\n"
    "  Type: REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, "
    "REG_QWORD, REG_BINARY\n"
    "  The store is the file named by VELNET_REGISTRY, or "
    "/var/lib/velnet/registry.reg.\n";
constexpr const char* kSyntax = "ERROR: Invalid syntax. Type \"regtool /?\" for usage.\n";

bool asksForHelp(const std::string& arg)
{
    return arg == "/?" || arg == "-?" || arg == "--help" || arg == "-h";
}

} // namespace

int runRegCommand(const std::vector<std::string>& args, const std::string& storePath,
                  std::ostream& out, std::ostream& err)
{
    if (args.empty()) {
        err << kSyntax;
        return 1;
    }
    const std::string op = toLowerAscii(args[0]);
    if (asksForHelp(op) || (args.size() == 2 && asksForHelp(args[1]))) {
        out << kUsage;
        return 0;
    }
    if (op == "--version" && args.size() == 1) {
        out << "regtool (velnet) " << VELNET_VERSION << "\n";
        return 0;
    }
    try {
        FileRegistry reg(storePath);
        if (op == "query")
            return query(args, reg, out);
        if (op == "add")
            return add(args, reg, out);
        if (op == "delete")
            return remove(args, reg, out);
        if (op == "import")
            return import(args, reg, out);
        if (op == "export")
            return exportKey(args, reg, out);
        err << kSyntax;
        return 1;
    } catch (const Error& e) {
        err << e.message << "\n";
        return 1;
    }
}

} // namespace velnet::regtool
