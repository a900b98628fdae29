// SPDX-License-Identifier: MIT
// The writing half of RegFormat.h: fresh text, and rewrites that keep the source.
#include "common/registry/RegFormat.h"
#include "common/registry/RegText.h"

#include <cstdio>
#include <unordered_map>

namespace velnet::registry {

namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";

// How new lines are written: the line end, and whether text types are
// UTF-16LE in hex form (version 5 files).
struct Style
{
    std::string_view newline = "\n";
    bool version5 = false;
};

void appendEscaped(std::string& out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

bool writableAsQuotedText(const Value& v)
{
    if (v.type != ValueType::Sz || v.data.empty() || v.data.back() != 0)
        return false;
    for (std::size_t i = 0; i + 1 < v.data.size(); ++i) {
        const auto c = v.data[i];
        if (c == 0 || c == '\n' || c == '\r')
            return false;
    }
    return true;
}

bool isTextType(ValueType type)
{
    return type == ValueType::Sz || type == ValueType::ExpandSz || type == ValueType::MultiSz;
}

std::string_view asText(const std::vector<std::uint8_t>& data)
{
    return {reinterpret_cast<const char*>(data.data()), data.size()};
}

void appendHex(std::string& out, std::size_t lineStart, std::string_view data, const Style& style)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::size_t column = out.size() - lineStart;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        out += kDigits[byte >> 4];
        out += kDigits[byte & 15];
        column += 2;
        if (i + 1 < data.size()) {
            out += ',';
            ++column;
            if (column > 75) {
                out += '\\';
                out += style.newline;
                out += "  ";
                column = 2;
            }
        }
    }
}

// One value as a line (or continued lines), without the final line end.
void appendValue(std::string& out, const std::string& name, const Value& v, const Style& style)
{
    const std::size_t lineStart = out.size();
    if (name.empty())
        out += '@';
    else
        appendEscaped(out, name);
    out += '=';
    if (writableAsQuotedText(v)) {
        appendEscaped(out, asText(v.data).substr(0, v.data.size() - 1));
        return;
    }
    if (v.type == ValueType::Dword && v.data.size() == 4) {
        char buf[16];
        const std::uint32_t n = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                                (static_cast<std::uint32_t>(v.data[3]) << 24);
        std::snprintf(buf, sizeof buf, "dword:%08x", n);
        out += buf;
        return;
    }
    if (v.type == ValueType::Binary) {
        out += "hex:";
    } else {
        char buf[24];
        std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
        out += buf;
    }
    if (style.version5 && isTextType(v.type)) {
        // Read back as UTF-16, whatever bytes the value holds (see RegText.h).
        std::string wide;
        (void)utf8ToUtf16(asText(v.data), wide); // not valid UTF-8 is fine: it is escaped
        appendHex(out, lineStart, wide, style);
        return;
    }
    appendHex(out, lineStart, asText(v.data), style);
}

void appendSection(std::string& out, const std::string& path, const RegNode& node,
                   const Style& style)
{
    out += '[';
    out += path;
    out += ']';
    out += style.newline;
    for (const auto& v : node.values()) {
        appendValue(out, v.name, v.value, style);
        out += style.newline;
    }
    out += style.newline;
}

// Visits a key and every key under it, parents first, in stored order, with
// each key's full path; without recursion, as trees may be deep.
template <class Visit> void forEachKey(const RegNode& top, std::string path, Visit&& visit)
{
    struct Frame
    {
        const RegNode* node;
        std::size_t next;
        std::size_t pathSize;
    };
    visit(top, path);
    std::vector<Frame> stack{{&top, 0, path.size()}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.node->children().size()) {
            stack.pop_back();
            continue;
        }
        const RegNode& child = *frame.node->children()[frame.next++];
        path.resize(frame.pathSize);
        path += '\\';
        path += child.name();
        visit(child, path);
        stack.push_back({&child, 0, path.size()});
    }
}

void ensureLineEnd(std::string& out, const Style& style)
{
    if (!out.empty() && out.back() != '\n')
        out += style.newline;
}

bool endsWithBlankLine(const std::string& out)
{
    std::size_t n = out.size();
    if (n == 0)
        return true;
    if (out[n - 1] != '\n')
        return false;
    --n;
    if (n > 0 && out[n - 1] == '\r')
        --n;
    return n == 0 || out[n - 1] == '\n';
}

// The line end a piece of the source finishes with, if any.
std::string_view lineEndOf(std::string_view chunk)
{
    if (chunk.ends_with("\r\n"))
        return "\r\n";
    if (chunk.ends_with('\n'))
        return "\n";
    return {};
}

// Where new values of a section go: after its last value, or after the section line.
ChunkId insertionPoint(const RegSource& source, ChunkId section)
{
    ChunkId at = section;
    for (ChunkId i = section + 1; i < source.chunks.size(); ++i) {
        const RegSource::Kind kind = source.chunks[i].kind;
        if (kind == RegSource::Kind::Section || kind == RegSource::Kind::DeleteSection)
            break;
        if (kind == RegSource::Kind::Value)
            at = i;
    }
    return at;
}

// What a rewrite does to the source: pieces replaced, text inserted after
// pieces, pieces dropped, and new sections for the end.
struct Edits
{
    std::unordered_map<ChunkId, std::string> replaced;
    std::unordered_map<ChunkId, std::string> inserted;
    std::vector<bool> dropped;
    std::string tail;
};

void collectKeyEdits(const RegTree& tree, const RegNode& node, const std::string& path, bool isRoot,
                     const Style& style, Edits& edits)
{
    const RegSource& source = tree.source();
    if (node.sections().empty()) {
        if (!node.values().empty() || (node.children().empty() && !isRoot))
            appendSection(edits.tail, path, node, style);
        return;
    }
    ChunkId at = kNoChunk;
    for (const auto& v : node.values()) {
        if (v.origins.empty()) {
            if (at == kNoChunk)
                at = insertionPoint(source, node.sections().back());
            std::string& text = edits.inserted[at];
            appendValue(text, v.name, v.value, style);
            text += style.newline;
        } else if (v.changed) {
            const ChunkId last = v.origins.back();
            std::string& text = edits.replaced[last];
            appendValue(text, v.name, v.value, style);
            text += lineEndOf(source.chunkText(last));
        }
    }
}

std::string assemble(const RegSource& source, const Edits& edits, const Style& style, bool& changed)
{
    // One allocation for the whole text: a store may be big.
    std::size_t size = source.text.size() + edits.tail.size() + 2 * kHeader4.size();
    for (const auto* edited : {&edits.replaced, &edits.inserted}) {
        for (const auto& [chunk, text] : *edited)
            size += text.size() + 2;
    }
    std::string out;
    out.reserve(size);
    if (source.chunks.empty()) {
        out += kHeader4;
        out += style.newline;
        out += style.newline;
        changed = true;
    }
    bool skipping = false; // inside a section that is dropped
    for (ChunkId i = 0; i < source.chunks.size(); ++i) {
        const RegSource::Kind kind = source.chunks[i].kind;
        if (kind == RegSource::Kind::Section || kind == RegSource::Kind::DeleteSection)
            skipping = kind == RegSource::Kind::Section && edits.dropped[i];
        if (skipping) {
            changed = true;
            continue;
        }
        if (edits.dropped[i]) {
            changed = true; // new values may still follow where it stood
        } else if (auto r = edits.replaced.find(i); r != edits.replaced.end()) {
            out += r->second;
            changed = true;
        } else {
            out += source.chunkText(i);
        }
        if (auto n = edits.inserted.find(i); n != edits.inserted.end()) {
            ensureLineEnd(out, style);
            out += n->second;
            changed = true;
        }
    }
    if (!edits.tail.empty()) {
        ensureLineEnd(out, style);
        if (!endsWithBlankLine(out))
            out += style.newline;
        out += edits.tail;
        changed = true;
    }
    return out;
}

std::string encode(const RegSource& source, std::string text)
{
    switch (source.encoding) {
    case RegSource::Encoding::Utf16: {
        std::string out = "\xFF\xFE";
        (void)utf8ToUtf16(text, out); // bytes that are not UTF-8 are escaped, not lost
        return out;
    }
    case RegSource::Encoding::Utf8Bom:
        return "\xEF\xBB\xBF" + text;
    case RegSource::Encoding::Ansi:
        break;
    }
    return text;
}

} // namespace

RegRewrite rewriteRegFile(const RegTree& tree)
{
    const RegSource& source = tree.source();
    Style style;
    if (!source.chunks.empty()) {
        style.newline = source.newline();
        style.version5 = source.version5;
    }
    Edits edits;
    edits.dropped.assign(source.chunks.size(), false);
    for (ChunkId id : tree.dropped())
        edits.dropped[id] = true;
    for (Root r : RegTree::kAllRoots) {
        const RegNode& top = tree.root(r);
        forEachKey(top, std::string(rootName(r)),
                   [&](const RegNode& node, const std::string& path) {
                       collectKeyEdits(tree, node, path, &node == &top, style, edits);
                   });
    }
    RegRewrite result;
    result.bytes = encode(source, assemble(source, edits, style, result.changed));
    return result;
}

std::string formatRegFile(const RegTree& tree)
{
    const Style style;
    std::string out(kHeader4);
    out += "\n\n";
    for (Root r : RegTree::kAllRoots) {
        const RegNode& top = tree.root(r);
        forEachKey(top, std::string(rootName(r)),
                   [&](const RegNode& node, const std::string& path) {
                       if (!node.values().empty() || (node.children().empty() && &node != &top))
                           appendSection(out, path, node, style);
                   });
    }
    return out;
}

std::string formatRegFile(const RegTree& tree, Root root, std::string_view path)
{
    const Style style;
    std::string out(kHeader4);
    out += "\n\n";
    // The section names spell the keys as stored, whatever case the caller used.
    const RegNode* node = &tree.root(root);
    std::string full(rootName(root));
    for (auto part : splitKeyPath(path)) {
        node = node->child(part);
        if (!node)
            return out;
        full += '\\';
        full += node->name();
    }
    forEachKey(*node, full, [&](const RegNode& key, const std::string& keyPath) {
        appendSection(out, keyPath, key, style);
    });
    return out;
}

} // namespace velnet::registry
