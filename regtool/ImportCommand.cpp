// SPDX-License-Identifier: MIT
#include "regtool/CommandLine.h"
#include "regtool/Commands.h"

namespace velnet::regtool {

using namespace velnet::registry;

int import(const std::vector<std::string>& args, FileRegistry& reg, std::ostream& out)
{
    Options o(args, 1, {}, {}, "IMPORT");
    if (o.positional().size() != 1)
        o.syntax();
    std::string error;
    if (reg.importFile(o.positional()[0], &error) != Status::Success)
        throw Error{"ERROR: " + error};
    out << kSuccess << "\n";
    return 0;
}

} // namespace velnet::regtool
