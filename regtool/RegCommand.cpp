// SPDX-License-Identifier: MIT
#include "regtool/RegCommand.h"

#include "regtool/CommandLine.h"
#include "regtool/Commands.h"

namespace velnet::regtool {

using namespace velnet::registry;

namespace {

constexpr const char* kUsage = "REG Operation [Parameter List]\n"
                               "\n"
                               "  Operation  [ QUERY | ADD | DELETE | IMPORT | EXPORT ]\n"
                               "\n"
                               "  REG QUERY KeyName [/v ValueName | /ve] [/s]\n"
                               "  REG ADD KeyName [/v ValueName | /ve] [/t Type] [/s Separator] "
                               "[/d Data] [/f]\n"
                               "  REG DELETE KeyName [/v ValueName | /ve | /va] [/f]\n"
                               "  REG IMPORT FileName\n"
                               "  REG EXPORT KeyName FileName [/y]\n"
                               "\n"
                               "  Type: REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, "
                               "REG_QWORD, REG_BINARY\n"
                               "  The store is the file named by VELNET_REGISTRY, or "
                               "/var/lib/velnet/registry.reg.\n";

} // namespace

int runRegCommand(const std::vector<std::string>& args, const std::string& storePath,
                  std::ostream& out, std::ostream& err)
{
    if (args.empty()) {
        err << "ERROR: Invalid syntax. Type \"REG /?\" for usage.\n";
        return 1;
    }
    const std::string op = toLowerAscii(args[0]);
    if (op == "/?" || op == "-?" || op == "--help" || op == "-h") {
        out << kUsage;
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
        err << "ERROR: Invalid syntax. Type \"REG /?\" for usage.\n";
        return 1;
    } catch (const Error& e) {
        err << e.message << "\n";
        return 1;
    }
}

} // namespace velnet::regtool
