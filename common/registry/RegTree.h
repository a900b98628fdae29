// SPDX-License-Identifier: MIT
#pragma once

#include "common/registry/Registry.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velnet::registry {

// The limits the Windows registry sets; a deeper or longer name is refused
// rather than stored, so that no file can make the store's work explode.
constexpr std::size_t kMaxKeyDepth = 512;
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;

// Characters of a name: UTF-8 continuation bytes do not count.
std::size_t nameLength(std::string_view name);
// Why a key path cannot be stored, or nothing when it can.
std::optional<std::string> keyPathProblem(std::string_view path);
std::optional<std::string> valueNameProblem(std::string_view name);

// Index of a piece of the text a tree was read from (see RegSource).
using ChunkId = std::uint32_t;

// The text a tree was read from, cut into the pieces a rewrite keeps or
// replaces: a section line, a value (with its continuation lines), or any
// other line (header, blank, comment). Each piece keeps its own line end.
struct RegSource
{
    enum class Encoding
    {
        Ansi,
        Utf8Bom,
        Utf16,
    };
    enum class Kind : std::uint8_t
    {
        Other,
        Section,
        DeleteSection,
        Value,
    };
    struct Chunk
    {
        std::size_t begin = 0, end = 0;
        Kind kind = Kind::Other;
    };

    Encoding encoding = Encoding::Ansi;
    bool version5 = false;
    std::string text; // UTF-8 when the file is UTF-16; without the byte-order mark
    std::vector<Chunk> chunks;

    std::string_view chunkText(ChunkId id) const
    {
        return std::string_view(text).substr(chunks[id].begin, chunks[id].end - chunks[id].begin);
    }
    // The line end new lines get: the file's first.
    std::string_view newline() const;
};

// A key in memory: its values and subkeys in stored order, with indexes by
// lower-cased name so that lookups stay cheap on keys with many children.
// Besides the data it remembers where in the source text it came from, so
// that a rewrite touches only what changed. A removed value or subkey leaves
// a hole that is closed when the lists are next looked at, so that removing
// many of them one by one costs each its own share, not the whole list.
class RegNode
{
public:
    struct NamedValue
    {
        std::string name;
        Value value;
        std::vector<ChunkId> origins; // the lines that set it, in file order
        bool changed = false;         // differs from what its last origin says
        bool removed = false;         // a hole, until the list is closed up
    };

    explicit RegNode(std::string name = {}) : name_(std::move(name)) {}
    RegNode(const RegNode&) = delete;
    RegNode& operator=(const RegNode&) = delete;
    // Frees the subtree without recursion: a tree may be deep.
    ~RegNode();

    const std::string& name() const { return name_; }

    RegNode* child(std::string_view name) const;
    RegNode& childOrNew(std::string_view name);
    // Unlinks a child and hands it over, or nothing when there is none.
    std::unique_ptr<RegNode> takeChild(std::string_view name);
    const std::vector<std::unique_ptr<RegNode>>& children() const
    {
        closeChildHoles();
        return children_;
    }

    const Value* value(std::string_view name) const;
    // Returns whether anything changed: setting the same data is no change.
    bool setValue(std::string_view name, Value value);
    // Removes a value; the lines it came from go to `dropped`.
    bool removeValue(std::string_view name, std::vector<ChunkId>& dropped);
    const std::vector<NamedValue>& values() const
    {
        closeValueHoles();
        return values_;
    }

    // What reading a source records.
    void loadValue(std::string_view name, Value value, ChunkId origin);
    void addSection(ChunkId section) { sections_.push_back(section); }
    const std::vector<ChunkId>& sections() const { return sections_; }

private:
    const NamedValue* findValue(std::string_view name) const;
    void closeValueHoles() const;
    void closeChildHoles() const;

    std::string name_;
    // Closing the holes changes no content, so the lists may be closed up
    // when a const caller looks at them.
    mutable std::vector<NamedValue> values_;
    mutable std::unordered_map<std::string, std::size_t> valueIndex_; // name -> position
    mutable std::size_t valueHoles_ = 0;
    mutable std::vector<std::unique_ptr<RegNode>> children_;
    mutable std::unordered_map<std::string, std::size_t> childIndex_; // name -> position
    mutable std::size_t childHoles_ = 0;
    std::vector<ChunkId> sections_; // the [key] lines of the source that make this key
};

// Every root of the store, with the source text it was read from.
class RegTree
{
public:
    RegTree();

    RegNode& root(Root root) { return *roots_[static_cast<std::size_t>(root)]; }
    const RegNode& root(Root root) const { return *roots_[static_cast<std::size_t>(root)]; }

    RegNode* find(Root root, std::string_view path) const;
    RegNode& findOrCreate(Root root, std::string_view path);
    // Deletes a key and everything under it; its lines of the source are dropped.
    bool remove(Root root, std::string_view path);
    bool removeValue(RegNode& node, std::string_view name)
    {
        return node.removeValue(name, dropped_);
    }

    const RegSource& source() const { return source_; }
    void setSource(RegSource source) { source_ = std::move(source); }
    // Source pieces that no longer hold (removed keys' sections, removed values).
    const std::vector<ChunkId>& dropped() const { return dropped_; }
    void forgetDropped() { dropped_.clear(); }

    static constexpr std::array<Root, 6> kAllRoots{Root::ClassesRoot,   Root::CurrentUser,
                                                   Root::LocalMachine,  Root::Users,
                                                   Root::CurrentConfig, Root::DynData};

private:
    std::array<std::unique_ptr<RegNode>, 6> roots_;
    RegSource source_;
    std::vector<ChunkId> dropped_;
};

// The parts of a backslash path; empty parts (doubled or edge backslashes) are dropped.
std::vector<std::string_view> splitKeyPath(std::string_view path);

} // namespace velnet::registry
