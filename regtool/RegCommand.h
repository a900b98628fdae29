// SPDX-License-Identifier: MIT
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace velnet::regtool {

// Runs one command line of the tool (arguments without the program name)
// on the store file `storePath`, printing what reg.exe prints. Returns the
// exit status: 0 on success, 1 on any error (after a one-line message on err).
int runRegCommand(const std::vector<std::string>& args, const std::string& storePath,
                  std::ostream& out, std::ostream& err);

} // namespace velnet::regtool
