#pragma once

#include "RegTree.h"

#include <string>
#include <string_view>
#include <vector>

namespace velnet::registry {

// One line's worth of a .reg file: create a key, delete a key ([-...]),
// set a value, or delete a value ("name"=-).
struct RegAction
{
    enum class Kind
    {
        CreateKey,
        DeleteKey,
        SetValue,
        DeleteValue
    };
    Kind kind = Kind::CreateKey;
    Root root = Root::LocalMachine;
    std::string path;
    std::string name;
    Value value;
};

struct RegParseResult
{
    bool ok = false;
    std::vector<RegAction> actions;
    int errorLine = 0;
    std::string error;
};

// Reads the text regedit exports: "REGEDIT4" (8-bit text) or "Windows Registry
// Editor Version 5.00" (UTF-16LE with a byte-order mark, or 8-bit text).
// Strings of version 5 files are turned into the 8-bit text the ANSI API sees.
RegParseResult parseRegFile(std::string_view bytes);

void applyActions(RegTree& tree, const std::vector<RegAction>& actions);

// Writes the whole tree, or one key and everything under it, as REGEDIT4 text.
std::string formatRegFile(const RegTree& tree);
std::string formatRegFile(const RegTree& tree, Root root, std::string_view path);

} // namespace velnet::registry
