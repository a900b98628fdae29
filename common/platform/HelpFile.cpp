// SPDX-License-Identifier: MIT
#include "common/platform/HelpFile.h"

#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace velnet::platform {

namespace {

std::string_view trimmed(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::optional<std::uint32_t> parseId(std::string_view s)
{
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        base = 16;
    }
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty())
        return std::nullopt;
    return value;
}

// "[id] title": the id and the title, or nothing when the line is no header.
// Only a bracket followed by a digit starts a header.
std::optional<std::pair<std::uint32_t, std::string>> parseHeader(std::string_view line,
                                                                 bool* malformed)
{
    *malformed = false;
    if (line.size() < 2 || line[0] != '[' || line[1] < '0' || line[1] > '9')
        return std::nullopt;
    const auto close = line.find(']');
    const auto id =
        close == std::string_view::npos ? std::nullopt : parseId(line.substr(1, close - 1));
    if (!id) {
        *malformed = true;
        return std::nullopt;
    }
    return std::make_pair(*id, std::string(trimmed(line.substr(close + 1))));
}

std::string joinBody(const std::vector<std::string_view>& lines)
{
    std::size_t first = 0;
    std::size_t last = lines.size();
    while (first < last && trimmed(lines[first]).empty())
        ++first;
    while (last > first && trimmed(lines[last - 1]).empty())
        --last;
    std::string text;
    for (std::size_t i = first; i < last; ++i) {
        if (i > first)
            text += '\n';
        std::string_view line = lines[i];
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        text += line;
    }
    return text;
}

} // namespace

Result<HelpFile> HelpFile::parse(std::string_view content)
{
    HelpFile file;
    std::optional<std::uint32_t> current;
    std::vector<std::string_view> body;
    auto finish = [&] {
        if (current)
            file.topics_[*current].text = joinBody(body);
        body.clear();
    };

    std::size_t lineNumber = 0;
    while (!content.empty()) {
        const auto end = content.find('\n');
        const std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line[0] == '#')
            continue;
        bool malformed = false;
        const auto header = parseHeader(line, &malformed);
        if (malformed)
            return fail("line " + std::to_string(lineNumber) + ": the topic id is not a number");
        if (!header) {
            if (!current && !trimmed(line).empty())
                return fail("line " + std::to_string(lineNumber) + ": text before the first topic");
            body.push_back(line);
            continue;
        }
        finish();
        if (file.topics_.count(header->first))
            return fail("line " + std::to_string(lineNumber) + ": the topic id is used twice");
        current = header->first;
        file.topics_[header->first].title = header->second;
    }
    finish();
    return file;
}

Result<HelpFile> HelpFile::load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail("cannot be read");
    std::ostringstream content;
    content << in.rdbuf();
    return parse(content.str());
}

const HelpFile::Topic* HelpFile::find(std::uint32_t id) const
{
    const auto it = topics_.find(id);
    return it == topics_.end() ? nullptr : &it->second;
}

} // namespace velnet::platform
