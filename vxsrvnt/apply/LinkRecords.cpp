// SPDX-License-Identifier: MIT
#include "vxsrvnt/apply/LinkRecords.h"

#include <filesystem>
#include <fstream>

namespace velnet::vxsrvnt {

// The records help other managers only: a record that cannot be written
// changes nothing the service decides, so failures here are not reported.

LinkRecords::LinkRecords(const std::string& runtimeDir) : directory_(runtimeDir + "/links") {}

void LinkRecords::add(const std::string& name)
{
    std::error_code error;
    std::filesystem::create_directories(directory_, error);
    std::ofstream(directory_ + "/" + name);
}

void LinkRecords::remove(const std::string& name)
{
    std::error_code error;
    std::filesystem::remove(directory_ + "/" + name, error);
}

void LinkRecords::keepOnly(const std::set<std::string>& names)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory_, error))
        if (!names.count(entry.path().filename().string()))
            remove(entry.path().filename().string());
    for (const std::string& name : names)
        if (!std::filesystem::exists(directory_ + "/" + name, error))
            add(name);
}

} // namespace velnet::vxsrvnt
