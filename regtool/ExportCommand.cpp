// SPDX-License-Identifier: MIT
#include "regtool/CommandLine.h"
#include "regtool/Commands.h"

#include <filesystem>

namespace velnet::regtool {

using namespace velnet::registry;

int exportKey(const std::vector<std::string>& args, FileRegistry& reg, std::ostream& out)
{
    Options o(args, 1, {"y"}, {}, "EXPORT");
    if (o.positional().size() != 2)
        o.syntax();
    const KeyName k = parseKeyName(o.positional()[0]);
    const std::string& file = o.positional()[1];
    std::error_code ec;
    if (!o.has("y") && std::filesystem::exists(file, ec) &&
        !confirm(out, "File " + file + " already exists. Overwrite")) {
        out << "The operation was canceled by the user.\n";
        return 0;
    }
    std::string error;
    const Status s = reg.exportKey(k.root, k.path, file, &error);
    if (s == Status::NotFound)
        throw Error{kNotFound};
    if (s != Status::Success)
        throw Error{"ERROR: " + error};
    out << kSuccess << "\n";
    return 0;
}

} // namespace velnet::regtool
