// SPDX-License-Identifier: MIT
#include "regtool/CommandLine.h"
#include "regtool/Commands.h"

#include <iostream>

namespace velnet::regtool {

using namespace velnet::registry;

bool confirm(std::ostream& out, const std::string& question)
{
    out << question << " (Yes/No)? " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    answer = toLowerAscii(answer);
    return answer == "y" || answer == "yes";
}

void check(Status s, const FileRegistry& reg)
{
    switch (s) {
    case Status::Success:
        return;
    case Status::NotFound:
        throw Error{kNotFound};
    case Status::AccessDenied:
        // The store's own reason names the file and what the system said.
        if (const std::string why = reg.errorText(); !why.empty())
            throw Error{"ERROR: " + why};
        throw Error{"ERROR: Access is denied."};
    case Status::Corrupt:
    case Status::IoError:
    case Status::Busy:
        throw Error{"ERROR: " + reg.errorText()};
    case Status::InvalidName:
        throw Error{
            "ERROR: A key or value name cannot hold a line break or be longer or deeper than the "
            "registry allows."};
    }
}

} // namespace velnet::regtool
