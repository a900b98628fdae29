// SPDX-License-Identifier: MIT
#include "common/registry/RegFormat.h"

#include "common/registry/RegText.h"

#include <algorithm>
#include <functional>

namespace velnet::registry {

namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

struct Failure
{
    int line;
    std::string message;
};

int countLines(std::string_view text)
{
    int lines = 1;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

std::string_view trimRight(std::string_view s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string_view trimLeft(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isTextType(ValueType type)
{
    return type == ValueType::Sz || type == ValueType::ExpandSz || type == ValueType::MultiSz;
}

class Parser
{
public:
    // Each action goes to `emit` as soon as its line is read.
    Parser(std::string_view text, RegSource& source, std::function<void(RegAction&&)> emit)
        : text_(text), source_(source), emit_(std::move(emit))
    {
    }

    RegParseResult run()
    {
        RegParseResult result;
        try {
            parse();
            result.ok = true;
        } catch (const Failure& f) {
            result.errorLine = f.line;
            result.error = f.message;
        }
        return result;
    }

private:
    [[noreturn]] void fail(std::string message) const
    {
        throw Failure{lineNo_, std::move(message)};
    }

    bool nextLine(std::string_view& line)
    {
        if (pos_ >= text_.size())
            return false;
        std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos)
            end = text_.size();
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        pos_ = std::min(end + 1, text_.size());
        ++lineNo_;
        return true;
    }

    // The lines read since `begin` become the next piece of the source. A run
    // of lines that hold no key or value is one piece: nothing rewrites them
    // one by one, and a file of blank lines must not cost a record per line.
    ChunkId addChunk(std::size_t begin, RegSource::Kind kind)
    {
        auto& chunks = source_.chunks;
        if (kind == RegSource::Kind::Other && !chunks.empty() &&
            chunks.back().kind == RegSource::Kind::Other && chunks.back().end == begin) {
            chunks.back().end = pos_;
            return static_cast<ChunkId>(chunks.size() - 1);
        }
        chunks.push_back({begin, pos_, kind});
        return static_cast<ChunkId>(source_.chunks.size() - 1);
    }

    void parseHeader()
    {
        std::string_view line;
        std::size_t begin = pos_;
        while (nextLine(line)) {
            addChunk(begin, RegSource::Kind::Other);
            begin = pos_;
            const std::string_view h = trimRight(line);
            if (h.empty())
                continue;
            if (h == kHeader4 || h == kHeader5) {
                source_.version5 = h == kHeader5;
                return;
            }
            fail("not a registry file: the first line must be \"REGEDIT4\" or \"" +
                 std::string(kHeader5) + "\"");
        }
        fail("empty file: the first line must be \"REGEDIT4\" or \"" + std::string(kHeader5) +
             "\"");
    }

    void parse()
    {
        parseHeader();
        std::string_view line;
        bool inKey = false;
        bool deleted = false;
        std::size_t begin = pos_;
        while (nextLine(line)) {
            const std::string_view t = trimLeft(trimRight(line));
            if (t.empty() || t.front() == ';') {
                addChunk(begin, RegSource::Kind::Other);
            } else if (t.front() == '[') {
                RegAction section = parseSection(t);
                inKey = section.kind == RegAction::Kind::CreateKey;
                deleted = !inKey;
                section.chunk = addChunk(begin, inKey ? RegSource::Kind::Section
                                                      : RegSource::Kind::DeleteSection);
                emit_(std::move(section));
            } else {
                if (t.front() != '"' && t.front() != '@')
                    fail("expected a [key] line or a \"name\"=value line");
                if (!inKey)
                    fail(deleted ? "a value cannot follow a deleted key"
                                 : "a value outside of any [key] section");
                RegAction value = parseValue(t);
                value.chunk = addChunk(begin, RegSource::Kind::Value);
                emit_(std::move(value));
            }
            begin = pos_;
        }
    }

    RegAction parseSection(std::string_view t)
    {
        const std::size_t close = t.rfind(']');
        if (close == std::string_view::npos || close == 0)
            fail("unterminated key section: missing ']'");
        std::string_view inner = t.substr(1, close - 1);
        RegAction section;
        section.kind = RegAction::Kind::CreateKey;
        if (!inner.empty() && inner.front() == '-') {
            section.kind = RegAction::Kind::DeleteKey;
            inner.remove_prefix(1);
        }
        const std::size_t slash = inner.find('\\');
        const std::string_view rootText = inner.substr(0, slash);
        auto root = rootFromName(rootText);
        if (!root)
            fail("unknown root key \"" + std::string(rootText) + "\"");
        section.root = *root;
        if (slash != std::string_view::npos)
            section.path = std::string(inner.substr(slash + 1));
        if (auto problem = keyPathProblem(section.path))
            fail(*problem);
        return section;
    }

    // A quoted text starting at t[0] == '"'; advances t past the closing quote.
    std::string parseQuoted(std::string_view& t)
    {
        std::string out;
        std::size_t i = 1;
        for (;; ++i) {
            if (i >= t.size())
                fail("unterminated quoted text");
            const char c = t[i];
            if (c == '"')
                break;
            if (c == '\\') {
                if (i + 1 >= t.size())
                    fail("unterminated quoted text");
                const char e = t[++i];
                if (e != '\\' && e != '"')
                    fail(std::string("bad escape \"\\") + e + "\" in quoted text");
                out += e;
            } else {
                out += c;
            }
        }
        t.remove_prefix(i + 1);
        return out;
    }

    RegAction parseValue(std::string_view t)
    {
        RegAction action;
        if (t.front() == '@') {
            t.remove_prefix(1);
        } else {
            action.name = parseQuoted(t);
            if (auto problem = valueNameProblem(action.name))
                fail(*problem);
        }
        t = trimLeft(t);
        if (t.empty() || t.front() != '=')
            fail("expected '=' after the value name");
        t = trimLeft(t.substr(1));

        if (t == "-") {
            action.kind = RegAction::Kind::DeleteValue;
            return action;
        }
        action.kind = RegAction::Kind::SetValue;
        if (!t.empty() && t.front() == '"') {
            std::string text = parseQuoted(t);
            if (!trimLeft(t).empty())
                fail("unexpected text after the closing quote");
            action.value.type = ValueType::Sz;
            action.value.data.assign(text.begin(), text.end());
            action.value.data.push_back(0);
            return action;
        }
        if (t.starts_with("dword:")) {
            action.value = parseDword(t.substr(6));
            return action;
        }
        if (t.starts_with("hex")) {
            parseHex(t.substr(3), action.value);
            return action;
        }
        fail("unknown value data: expected \"text\", dword:, hex: or -");
    }

    Value parseDword(std::string_view digits)
    {
        if (digits.empty() || digits.size() > 8)
            fail("bad dword: expected 1 to 8 hexadecimal digits");
        std::uint32_t v = 0;
        for (char c : digits) {
            const int d = hexDigit(c);
            if (d < 0)
                fail("bad dword: \"" + std::string(digits) + "\" is not hexadecimal");
            v = (v << 4) | static_cast<std::uint32_t>(d);
        }
        return {ValueType::Dword,
                {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                 static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)}};
    }

    void parseHex(std::string_view t, Value& value)
    {
        value.type = ValueType::Binary;
        if (!t.empty() && t.front() == '(') {
            const std::size_t close = t.find(')');
            if (close == std::string_view::npos || close == 1 || close > 9)
                fail("bad hex type: expected hex(N)");
            std::uint32_t type = 0;
            for (char c : t.substr(1, close - 1)) {
                const int d = hexDigit(c);
                if (d < 0)
                    fail("bad hex type: expected hex(N)");
                type = (type << 4) | static_cast<std::uint32_t>(d);
            }
            value.type = static_cast<ValueType>(type);
            t.remove_prefix(close + 1);
        }
        if (t.empty() || t.front() != ':')
            fail("bad hex data: expected ':'");
        t.remove_prefix(1);

        std::string_view chunk = t;
        for (;;) {
            chunk = trimLeft(trimRight(chunk));
            const bool more = !chunk.empty() && chunk.back() == '\\';
            if (more)
                chunk.remove_suffix(1);
            readBytes(chunk, value.data);
            if (!more)
                break;
            std::string_view next;
            if (!nextLine(next))
                fail("the file ends inside a continued hex value");
            chunk = next;
        }
        // Version 5 stores text types as UTF-16LE in whatever encoding the file has.
        if (source_.version5 && isTextType(value.type) && value.data.size() % 2 == 0) {
            std::string narrow;
            if (utf16ToUtf8({reinterpret_cast<const char*>(value.data.data()), value.data.size()},
                            narrow))
                value.data.assign(narrow.begin(), narrow.end());
        }
    }

    void readBytes(std::string_view chunk, std::vector<std::uint8_t>& out)
    {
        while (!chunk.empty()) {
            chunk = trimLeft(chunk);
            if (chunk.empty())
                break;
            const std::size_t comma = chunk.find(',');
            const std::string_view item = trimRight(chunk.substr(0, comma));
            if (item.size() != 2 || hexDigit(item[0]) < 0 || hexDigit(item[1]) < 0)
                fail("bad hex byte \"" + std::string(item) + "\"");
            out.push_back(static_cast<std::uint8_t>(hexDigit(item[0]) * 16 + hexDigit(item[1])));
            if (comma == std::string_view::npos)
                break;
            chunk.remove_prefix(comma + 1);
        }
    }

    std::string_view text_;
    RegSource& source_;
    std::function<void(RegAction&&)> emit_;
    std::size_t pos_ = 0;
    int lineNo_ = 0;
};

RegParseResult failure(int line, std::string message)
{
    RegParseResult r;
    r.errorLine = line;
    r.error = std::move(message);
    return r;
}

} // namespace

RegParseResult parseRegFile(std::string_view bytes)
{
    return parseRegBytes(std::string(bytes));
}

namespace {

// The file's text (UTF-8 when it is UTF-16) and how it is encoded, or why
// it cannot be decoded.
RegParseResult decode(std::string bytes, RegSource& source)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        source.encoding = RegSource::Encoding::Utf16;
        const std::string_view body = std::string_view(bytes).substr(2);
        const bool odd = body.size() % 2 != 0;
        if (!utf16ToUtf8(body.substr(0, body.size() - (odd ? 1 : 0)), source.text))
            return failure(countLines(source.text), "invalid UTF-16 text");
        if (odd)
            return failure(countLines(source.text),
                           "truncated UTF-16 text: the file ends in the middle of a character");
    } else if (bytes.starts_with("\xEF\xBB\xBF")) {
        source.encoding = RegSource::Encoding::Utf8Bom;
        bytes.erase(0, 3);
        source.text = std::move(bytes);
    } else {
        source.text = std::move(bytes);
    }
    RegParseResult decoded;
    decoded.ok = true;
    return decoded;
}

} // namespace

RegParseResult parseRegBytes(std::string bytes)
{
    RegSource source;
    if (RegParseResult decoded = decode(std::move(bytes), source); !decoded.ok)
        return decoded;
    std::vector<RegAction> actions;
    RegParseResult result =
        Parser(source.text, source, [&](RegAction&& a) { actions.push_back(std::move(a)); }).run();
    if (result.ok) {
        result.actions = std::move(actions);
        result.source = std::move(source);
    }
    return result;
}

namespace {

// Builds a tree from a file's actions as they are read, remembering where
// each key and value stands in the file.
class TreeLoader
{
public:
    explicit TreeLoader(RegTree& tree) : tree_(tree) {}

    void apply(RegAction&& a)
    {
        switch (a.kind) {
        case RegAction::Kind::CreateKey:
            current_ = &tree_.findOrCreate(a.root, a.path);
            current_->addSection(a.chunk);
            break;
        case RegAction::Kind::DeleteKey:
            tree_.remove(a.root, a.path);
            current_ = nullptr;
            break;
        case RegAction::Kind::SetValue:
            if (current_)
                current_->loadValue(a.name, std::move(a.value), a.chunk);
            break;
        case RegAction::Kind::DeleteValue:
            if (current_)
                tree_.removeValue(*current_, a.name);
            break;
        }
    }

    void finish(RegSource source)
    {
        // What the file itself deletes is already missing from its text.
        tree_.forgetDropped();
        tree_.setSource(std::move(source));
    }

private:
    RegTree& tree_;
    RegNode* current_ = nullptr;
};

} // namespace

RegParseResult loadRegBytes(RegTree& tree, std::string bytes)
{
    RegSource source;
    if (RegParseResult decoded = decode(std::move(bytes), source); !decoded.ok)
        return decoded;
    TreeLoader loader(tree);
    RegParseResult result =
        Parser(source.text, source, [&](RegAction&& a) { loader.apply(std::move(a)); }).run();
    if (result.ok)
        loader.finish(std::move(source));
    return result;
}

void applyActions(RegTree& tree, const std::vector<RegAction>& actions)
{
    RegNode* current = nullptr;
    for (const auto& a : actions) {
        switch (a.kind) {
        case RegAction::Kind::CreateKey:
            current = &tree.findOrCreate(a.root, a.path);
            break;
        case RegAction::Kind::DeleteKey:
            tree.remove(a.root, a.path);
            current = nullptr;
            break;
        case RegAction::Kind::SetValue:
            if (current)
                current->setValue(a.name, a.value);
            break;
        case RegAction::Kind::DeleteValue:
            if (current)
                tree.removeValue(*current, a.name);
            break;
        }
    }
}

} // namespace velnet::registry
