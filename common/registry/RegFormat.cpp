#include "RegFormat.h"

#include <cstdio>
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

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16LE to UTF-8; false on an unpaired surrogate.
bool utf16ToUtf8(std::string_view bytes, std::string& out)
{
    const std::size_t units = bytes.size() / 2;
    auto unit = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    };
    for (std::size_t i = 0; i < units; ++i) {
        char32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (i + 1 >= units)
                return false;
            const char32_t low = unit(i + 1);
            if (low < 0xDC00 || low > 0xDFFF)
                return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return false;
        }
        appendUtf8(out, cp);
    }
    return true;
}

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

class Parser
{
public:
    Parser(std::string_view text, bool unicode) : text_(text), unicode_(unicode) {}

    RegParseResult run()
    {
        RegParseResult result;
        try {
            parse(result.actions);
            result.ok = true;
        } catch (const Failure& f) {
            result.actions.clear();
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
        pos_ = end + 1;
        ++lineNo_;
        return true;
    }

    void parse(std::vector<RegAction>& actions)
    {
        std::string_view line;
        bool header = false;
        while (nextLine(line)) {
            if (trimRight(line).empty())
                continue;
            const std::string_view h = trimRight(line);
            if (h == kHeader4 || h == kHeader5) {
                header = true;
                break;
            }
            fail("not a registry file: the first line must be \"REGEDIT4\" or \"" +
                 std::string(kHeader5) + "\"");
        }
        if (!header)
            fail("empty file: the first line must be \"REGEDIT4\" or \"" + std::string(kHeader5) +
                 "\"");

        bool inKey = false;
        RegAction section;
        while (nextLine(line)) {
            const std::string_view t = trimLeft(trimRight(line));
            if (t.empty() || t.front() == ';')
                continue;
            if (t.front() == '[') {
                inKey = parseSection(t, section);
                actions.push_back(section);
                continue;
            }
            if (t.front() != '"' && t.front() != '@')
                fail("expected a [key] line or a \"name\"=value line");
            if (!inKey)
                fail(section.kind == RegAction::Kind::DeleteKey
                         ? "a value cannot follow a deleted key"
                         : "a value outside of any [key] section");
            actions.push_back(parseValue(t, section));
        }
    }

    // Returns true when values may follow.
    bool parseSection(std::string_view t, RegAction& section)
    {
        const std::size_t close = t.rfind(']');
        if (close == std::string_view::npos || close == 0)
            fail("unterminated key section: missing ']'");
        std::string_view inner = t.substr(1, close - 1);
        section = {};
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
        return section.kind == RegAction::Kind::CreateKey;
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

    RegAction parseValue(std::string_view t, const RegAction& section)
    {
        RegAction action;
        action.root = section.root;
        action.path = section.path;
        if (t.front() == '@') {
            t.remove_prefix(1);
        } else {
            action.name = parseQuoted(t);
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
            const std::string_view digits = t.substr(6);
            if (digits.empty() || digits.size() > 8)
                fail("bad dword: expected 1 to 8 hexadecimal digits");
            std::uint32_t v = 0;
            for (char c : digits) {
                const int d = hexDigit(c);
                if (d < 0)
                    fail("bad dword: \"" + std::string(digits) + "\" is not hexadecimal");
                v = (v << 4) | static_cast<std::uint32_t>(d);
            }
            action.value.type = ValueType::Dword;
            action.value.data = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                 static_cast<std::uint8_t>(v >> 16),
                                 static_cast<std::uint8_t>(v >> 24)};
            return action;
        }
        if (t.starts_with("hex")) {
            parseHex(t.substr(3), action.value);
            return action;
        }
        fail("unknown value data: expected \"text\", dword:, hex: or -");
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
        if (unicode_ && (value.type == ValueType::Sz || value.type == ValueType::ExpandSz ||
                         value.type == ValueType::MultiSz)) {
            if (value.data.size() % 2 == 0) {
                std::string narrow;
                if (utf16ToUtf8(
                        {reinterpret_cast<const char*>(value.data.data()), value.data.size()},
                        narrow))
                    value.data.assign(narrow.begin(), narrow.end());
            }
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
    bool unicode_;
    std::size_t pos_ = 0;
    int lineNo_ = 0;
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

void appendValue(std::string& out, const std::string& name, const Value& v)
{
    const std::size_t lineStart = out.size();
    if (name.empty())
        out += '@';
    else
        appendEscaped(out, name);
    out += '=';
    if (writableAsQuotedText(v)) {
        appendEscaped(
            out, std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1));
        out += '\n';
        return;
    }
    if (v.type == ValueType::Dword && v.data.size() == 4) {
        char buf[16];
        const std::uint32_t n = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                                (static_cast<std::uint32_t>(v.data[3]) << 24);
        std::snprintf(buf, sizeof buf, "dword:%08x", n);
        out += buf;
        out += '\n';
        return;
    }
    if (v.type == ValueType::Binary) {
        out += "hex:";
    } else {
        char buf[24];
        std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
        out += buf;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::size_t column = out.size() - lineStart;
    for (std::size_t i = 0; i < v.data.size(); ++i) {
        out += kDigits[v.data[i] >> 4];
        out += kDigits[v.data[i] & 15];
        column += 2;
        if (i + 1 < v.data.size()) {
            out += ',';
            ++column;
            if (column > 75) {
                out += "\\\n  ";
                column = 2;
            }
        }
    }
    out += '\n';
}

void appendNode(std::string& out, const RegNode& node, const std::string& fullPath, bool isRoot)
{
    if (!isRoot || !node.values().empty()) {
        out += '[';
        out += fullPath;
        out += "]\n";
        for (const auto& v : node.values())
            appendValue(out, v.name, v.value);
        out += '\n';
    }
    for (const auto& child : node.children())
        appendNode(out, *child, fullPath + '\\' + child->name(), false);
}

} // namespace

RegParseResult parseRegFile(std::string_view bytes)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::string text;
        const std::string_view body = bytes.substr(2);
        const bool odd = body.size() % 2 != 0;
        if (!utf16ToUtf8(body.substr(0, body.size() - (odd ? 1 : 0)), text)) {
            RegParseResult r;
            r.errorLine = countLines(text);
            r.error = "invalid UTF-16 text";
            return r;
        }
        if (odd) {
            RegParseResult r;
            r.errorLine = countLines(text);
            r.error = "truncated UTF-16 text: the file ends in the middle of a character";
            return r;
        }
        return Parser(text, true).run();
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    return Parser(bytes, false).run();
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
                current->removeValue(a.name);
            break;
        }
    }
}

std::string formatRegFile(const RegTree& tree)
{
    std::string out(kHeader4);
    out += "\n\n";
    for (Root r : RegTree::kAllRoots) {
        const RegNode& node = tree.root(r);
        appendNode(out, node, node.name(), true);
    }
    return out;
}

std::string formatRegFile(const RegTree& tree, Root root, std::string_view path)
{
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
    appendNode(out, *node, full, false);
    return out;
}

} // namespace velnet::registry
