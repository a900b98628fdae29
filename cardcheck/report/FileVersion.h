// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace velnet::cardcheck {

// Reads the version resource (VS_VERSIONINFO) that a Windows driver or
// library file carries, wherever it sits in the file.
class FileVersion
{
public:
    // The text of "\StringFileInfo\<block>\<name>"; nothing when the file has
    // no version resource or the resource lacks that entry.
    static std::optional<std::string> query(const std::string& path,
                                            const std::string& block = "040904E4",
                                            const std::string& name = "FileVersion");

    // The same, over the bytes of a file already read.
    static std::optional<std::string> queryBytes(const std::string& bytes, const std::string& block,
                                                 const std::string& name);
};

} // namespace velnet::cardcheck
