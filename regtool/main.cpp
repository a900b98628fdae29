// SPDX-License-Identifier: MIT
#include "common/registry/FileRegistry.h"
#include "regtool/RegCommand.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return velnet::regtool::runRegCommand(args, velnet::registry::FileRegistry::defaultPath(),
                                          std::cout, std::cerr);
}
