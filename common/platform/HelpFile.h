// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace velnet::platform {

// A help file: topics with a numeric help id, a title and plain text.
//
//   # a comment line
//   [0x20066] Title of the topic
//   Text of the topic. A blank line starts a new paragraph.
//
// A header is a line that starts with '[' and a digit; a topic runs from
// its header to the next one. Ids are decimal or
// hexadecimal with 0x. Blank lines around a topic's text are dropped.
class HelpFile
{
public:
    struct Topic
    {
        std::string title;
        std::string text;
    };

    // Reads the file; the reason when it cannot be read or is malformed.
    static Result<HelpFile> load(const std::string& path);
    static Result<HelpFile> parse(std::string_view content);

    const Topic* find(std::uint32_t id) const;
    std::size_t size() const { return topics_.size(); }

private:
    std::map<std::uint32_t, Topic> topics_;
};

} // namespace velnet::platform
