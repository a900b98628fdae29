// SPDX-License-Identifier: MIT
#pragma once

#include "common/registry/RegTree.h"

#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace velnet::registry {

constexpr ChunkId kNoChunk = std::numeric_limits<ChunkId>::max();

// One line's worth of a .reg file: create a key, delete a key ([-...]),
// set a value, or delete a value ("name"=-). Value actions act on the key of
// the CreateKey before them; `path` is given for key actions only.
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
    ChunkId chunk = kNoChunk; // where in the parsed text the action stands
};

struct RegParseResult
{
    bool ok = false;
    std::vector<RegAction> actions;
    int errorLine = 0;
    std::string error;
    RegSource source;
};

// Reads the text regedit exports: "REGEDIT4" (8-bit text) or "Windows Registry
// Editor Version 5.00" (UTF-16LE with a byte-order mark, or 8-bit text).
// Strings of version 5 files are turned into the 8-bit text the ANSI API sees;
// hex(1), hex(2) and hex(7) data of version 5 files is UTF-16LE whatever the
// file's own encoding, as regedit writes it.
// Keys deeper than kMaxKeyDepth or names longer than the limits are errors.
RegParseResult parseRegFile(std::string_view bytes);
// The same, taking over the bytes: the text of an 8-bit file is kept without
// a copy, so that a big store costs its size once.
RegParseResult parseRegBytes(std::string bytes);

// Makes `tree` (a fresh one) what the file's bytes say, remembering where
// each key and value stands in it so that a rewrite keeps everything else;
// the lines are applied as they are parsed, not held all at once. On failure
// the tree is half made: throw it away.
RegParseResult loadRegBytes(RegTree& tree, std::string bytes);

// Applies actions as changes to a tree (an import, the store's own writes).
void applyActions(RegTree& tree, const std::vector<RegAction>& actions);

// The tree's source text with only what changed since it was read rewritten:
// comments, blank lines, order, line ends and encoding stay. New keys go at
// the end; a key that only holds subkeys gets no section of its own.
struct RegRewrite
{
    std::string bytes;
    bool changed = false; // false: `bytes` are the source's own
};
RegRewrite rewriteRegFile(const RegTree& tree);

// The whole tree as fresh REGEDIT4 text, a section for each key that holds
// values or no subkeys.
std::string formatRegFile(const RegTree& tree);
// One key and everything under it as REGEDIT4 text, a section for every key.
std::string formatRegFile(const RegTree& tree, Root root, std::string_view path);

} // namespace velnet::registry
