#include "RegCommand.h"

#include "registry/FileRegistry.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>

namespace velnet::regtool {

using namespace velnet::registry;

namespace {

constexpr const char* kSuccess = "The operation completed successfully.";
constexpr const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.";

struct Error
{
    std::string message;
};

struct KeyName
{
    Root root;
    std::string path;
    std::string full; // as reg.exe prints it
};

KeyName parseKeyName(const std::string& text)
{
    if (text.starts_with("\\\\"))
        throw Error{"ERROR: Remote computers are not supported by this tool."};
    const auto slash = text.find('\\');
    const auto root = rootFromName(text.substr(0, slash));
    if (!root)
        throw Error{"ERROR: Invalid key name."};
    KeyName k{*root, slash == std::string::npos ? std::string() : text.substr(slash + 1), {}};
    while (!k.path.empty() && k.path.back() == '\\')
        k.path.pop_back();
    k.full = std::string(rootName(*root));
    if (!k.path.empty())
        k.full += "\\" + k.path;
    return k;
}

// The options of one command: switches such as /f and /v NAME, and the rest in order.
class Options
{
public:
    // `known` are the command's switches; anything else is an argument, so
    // that a file name such as /tmp/x.reg is not taken for a switch.
    Options(const std::vector<std::string>& args, std::size_t first,
            std::initializer_list<std::string_view> known,
            std::initializer_list<std::string_view> withValue, std::string_view command)
        : command_(command)
    {
        for (std::size_t i = first; i < args.size(); ++i) {
            const std::string& a = args[i];
            const std::string name = a.size() >= 2 ? toLowerAscii(a.substr(1)) : std::string();
            bool isSwitch = false;
            if (!name.empty() && (a[0] == '/' || a[0] == '-')) {
                for (auto k : known)
                    isSwitch = isSwitch || name == k;
            }
            if (isSwitch) {
                bool takesValue = false;
                for (auto w : withValue)
                    takesValue = takesValue || name == w;
                if (switches_.count(name))
                    syntax();
                if (takesValue) {
                    if (i + 1 >= args.size())
                        syntax();
                    switches_[name] = args[++i];
                } else {
                    switches_[name] = std::nullopt;
                }
            } else {
                positional_.push_back(a);
            }
        }
    }

    bool has(const std::string& name) const { return switches_.count(name) > 0; }
    std::optional<std::string> value(const std::string& name) const
    {
        auto it = switches_.find(name);
        return it == switches_.end() ? std::nullopt : it->second;
    }
    const std::vector<std::string>& positional() const { return positional_; }
    [[noreturn]] void syntax() const
    {
        throw Error{"ERROR: Invalid syntax. Type \"REG " + std::string(command_) +
                    " /?\" for usage."};
    }

private:
    std::string_view command_;
    std::map<std::string, std::optional<std::string>> switches_;
    std::vector<std::string> positional_;
};

bool confirm(std::ostream& out, const std::string& question)
{
    out << question << " (Yes/No)? " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    answer = toLowerAscii(answer);
    return answer == "y" || answer == "yes";
}

std::string typeName(ValueType type)
{
    switch (type) {
    case ValueType::None:
        return "REG_NONE";
    case ValueType::Sz:
        return "REG_SZ";
    case ValueType::ExpandSz:
        return "REG_EXPAND_SZ";
    case ValueType::Binary:
        return "REG_BINARY";
    case ValueType::Dword:
        return "REG_DWORD";
    case ValueType::DwordBigEndian:
        return "REG_DWORD_BIG_ENDIAN";
    case ValueType::Link:
        return "REG_LINK";
    case ValueType::MultiSz:
        return "REG_MULTI_SZ";
    case ValueType::ResourceList:
        return "REG_RESOURCE_LIST";
    case ValueType::FullResourceDescriptor:
        return "REG_FULL_RESOURCE_DESCRIPTOR";
    case ValueType::ResourceRequirementsList:
        return "REG_RESOURCE_REQUIREMENTS_LIST";
    case ValueType::Qword:
        return "REG_QWORD";
    }
    return "REG_UNKNOWN_" + std::to_string(static_cast<unsigned>(type));
}

std::string textOf(const Value& v, std::size_t from = 0)
{
    std::string s(v.data.begin() + static_cast<std::ptrdiff_t>(from), v.data.end());
    if (auto nul = s.find('\0'); nul != std::string::npos)
        s.resize(nul);
    return s;
}

std::string dataText(const Value& v)
{
    char buf[32];
    switch (v.type) {
    case ValueType::Sz:
    case ValueType::ExpandSz:
    case ValueType::Link:
        return textOf(v);
    case ValueType::Dword:
        if (v.data.size() == 4) {
            const std::uint32_t n = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                                    (static_cast<std::uint32_t>(v.data[3]) << 24);
            std::snprintf(buf, sizeof buf, "0x%x", n);
            return buf;
        }
        break;
    case ValueType::Qword:
        if (v.data.size() == 8) {
            unsigned long long n = 0;
            for (int i = 7; i >= 0; --i)
                n = (n << 8) | v.data[static_cast<std::size_t>(i)];
            std::snprintf(buf, sizeof buf, "0x%llx", n);
            return buf;
        }
        break;
    case ValueType::MultiSz: {
        std::string out;
        std::size_t i = 0;
        while (i < v.data.size() && v.data[i] != 0) {
            std::string item = textOf(v, i);
            if (!out.empty())
                out += "\\0";
            out += item;
            i += item.size() + 1;
        }
        return out;
    }
    default:
        break;
    }
    std::string hex;
    for (auto b : v.data) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        hex += buf;
    }
    return hex;
}

void printValue(std::ostream& out, const std::string& name, const Value& v)
{
    out << "    " << (name.empty() ? "(Default)" : name) << "    " << typeName(v.type) << "    "
        << dataText(v) << "\n";
}

constexpr std::size_t kAnySize = static_cast<std::size_t>(-1);

void printValues(std::ostream& out, const KeyName& k, const Key& key)
{
    out << "\n" << k.full << "\n";
    for (std::size_t i = 0;; ++i) {
        auto name = key.enumValue(i);
        if (!name)
            break;
        if (auto v = key.query(*name, kAnySize))
            printValue(out, *name, *v);
    }
}

void printKey(std::ostream& out, const KeyName& k, const Key& key)
{
    printValues(out, k, key);
    bool any = false;
    for (std::size_t i = 0;; ++i) {
        auto sub = key.enumKey(i);
        if (!sub)
            break;
        if (!any)
            out << "\n";
        any = true;
        out << k.full << "\\" << *sub << "\n";
    }
}

// Every key under `k`, parents first, with an explicit stack: keys may nest deep.
void printTree(std::ostream& out, Registry& reg, const KeyName& k, const Key& key)
{
    printValues(out, k, key);
    struct Frame
    {
        KeyName name;
        Key key;
        std::size_t next = 0;
    };
    std::vector<Frame> stack;
    stack.push_back({k, reg.open(k.root, k.path, Access::Read), 0});
    while (!stack.empty()) {
        Frame& top = stack.back();
        auto sub = top.key.enumKey(top.next++);
        if (!sub) {
            stack.pop_back();
            continue;
        }
        KeyName child{top.name.root, top.name.path.empty() ? *sub : top.name.path + "\\" + *sub,
                      top.name.full + "\\" + *sub};
        if (Key ck = reg.open(child.root, child.path, Access::Read)) {
            printValues(out, child, ck);
            stack.push_back({std::move(child), std::move(ck), 0});
        }
    }
}

void check(Status s, const FileRegistry& reg)
{
    switch (s) {
    case Status::Success:
        return;
    case Status::NotFound:
        throw Error{kNotFound};
    case Status::AccessDenied:
        throw Error{"ERROR: Access is denied."};
    case Status::Corrupt:
    case Status::IoError:
    case Status::Busy:
        throw Error{"ERROR: " + reg.errorText()};
    case Status::InvalidName:
        throw Error{
            "ERROR: A key or value name cannot hold a line break or be longer or deeper than the "
            "registry allows."};
    }
}

int query(const std::vector<std::string>& args, FileRegistry& reg, std::ostream& out)
{
    Options o(args, 1, {"v", "ve", "s"}, {"v"}, "QUERY");
    if (o.positional().size() != 1 || (o.has("v") && o.has("ve")))
        o.syntax();
    const KeyName k = parseKeyName(o.positional()[0]);
    Status s;
    Key key = reg.open(k.root, k.path, Access::Read, &s);
    check(s, reg);
    if (o.has("v") || o.has("ve")) {
        std::string name = o.has("v") ? *o.value("v") : std::string();
        auto v = key.query(name, kAnySize);
        if (!v)
            throw Error{kNotFound};
        for (std::size_t i = 0; auto stored = key.enumValue(i); ++i) {
            if (equalsIgnoreCase(*stored, name))
                name = *stored; // print the name as stored
        }
        out << "\n" << k.full << "\n";
        printValue(out, name, *v);
        out << "\n";
        return 0;
    }
    if (o.has("s"))
        printTree(out, reg, k, key);
    else
        printKey(out, k, key);
    out << "\n";
    return 0;
}

std::vector<std::uint8_t> parseData(ValueType type, const std::string& d, const std::string& sep,
                                    const Options& o)
{
    std::vector<std::uint8_t> bytes;
    switch (type) {
    case ValueType::Dword:
    case ValueType::Qword: {
        std::size_t used = 0;
        unsigned long long n = 0;
        // Decimal, or hexadecimal after "0x"; a leading zero is not octal.
        const bool hex = d.size() > 2 && d[0] == '0' && (d[1] == 'x' || d[1] == 'X');
        const std::string digits = hex ? d.substr(2) : d;
        try {
            n = std::stoull(digits, &used, hex ? 16 : 10);
        } catch (...) {
            used = 0;
        }
        const bool fits = type == ValueType::Qword || n <= 0xFFFFFFFFull;
        if (digits.empty() || used != digits.size() ||
            !std::isxdigit(static_cast<unsigned char>(digits[0])) || !fits)
            throw Error{"ERROR: Invalid value for " + typeName(type) + ": \"" + d + "\"."};
        const int size = type == ValueType::Dword ? 4 : 8;
        for (int i = 0; i < size; ++i)
            bytes.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
        return bytes;
    }
    case ValueType::Binary: {
        if (d.size() % 2 != 0)
            throw Error{"ERROR: Invalid value for REG_BINARY: \"" + d + "\"."};
        for (std::size_t i = 0; i < d.size(); i += 2) {
            const std::string pair = d.substr(i, 2);
            if (!std::isxdigit(static_cast<unsigned char>(pair[0])) ||
                !std::isxdigit(static_cast<unsigned char>(pair[1])))
                throw Error{"ERROR: Invalid value for REG_BINARY: \"" + d + "\"."};
            bytes.push_back(static_cast<std::uint8_t>(std::stoul(pair, nullptr, 16)));
        }
        return bytes;
    }
    case ValueType::MultiSz: {
        std::size_t start = 0;
        while (start <= d.size() && !d.empty()) {
            auto end = d.find(sep, start);
            if (end == std::string::npos)
                end = d.size();
            bytes.insert(bytes.end(), d.begin() + static_cast<std::ptrdiff_t>(start),
                         d.begin() + static_cast<std::ptrdiff_t>(end));
            bytes.push_back(0);
            start = end + sep.size();
            if (end == d.size())
                break;
        }
        bytes.push_back(0);
        return bytes;
    }
    case ValueType::Sz:
    case ValueType::ExpandSz:
        bytes.assign(d.begin(), d.end());
        bytes.push_back(0);
        return bytes;
    default:
        o.syntax();
    }
}

std::optional<ValueType> typeFromName(const std::string& name)
{
    const std::string n = toLowerAscii(name);
    if (n == "reg_sz")
        return ValueType::Sz;
    if (n == "reg_expand_sz")
        return ValueType::ExpandSz;
    if (n == "reg_binary")
        return ValueType::Binary;
    if (n == "reg_dword")
        return ValueType::Dword;
    if (n == "reg_qword")
        return ValueType::Qword;
    if (n == "reg_multi_sz")
        return ValueType::MultiSz;
    return std::nullopt;
}

int add(const std::vector<std::string>& args, FileRegistry& reg, std::ostream& out)
{
    Options o(args, 1, {"v", "ve", "t", "d", "s", "f"}, {"v", "t", "d", "s"}, "ADD");
    if (o.positional().size() != 1 || (o.has("v") && o.has("ve")))
        o.syntax();
    const KeyName k = parseKeyName(o.positional()[0]);
    if (k.path.empty())
        throw Error{"ERROR: Invalid key name."};
    const bool setsValue = o.has("v") || o.has("ve") || o.has("t") || o.has("d");
    ValueType type = ValueType::Sz;
    if (auto t = o.value("t")) {
        auto parsed = typeFromName(*t);
        if (!parsed)
            throw Error{"ERROR: Invalid type \"" + *t + "\"."};
        type = *parsed;
    }
    const std::string name = o.has("v") ? *o.value("v") : std::string();
    const auto bytes = parseData(type, o.value("d").value_or(""), o.value("s").value_or("\\0"), o);

    Status s;
    Key key = reg.create(k.root, k.path, Access::Full, &s);
    check(s, reg);
    if (setsValue) {
        if (!o.has("f") && key.query(name, kAnySize) &&
            !confirm(out, "Value " + (name.empty() ? std::string("(Default)") : name) +
                              " exists, overwrite")) {
            out << "The operation was canceled by the user.\n";
            return 0;
        }
        check(key.setValue(name, type, bytes), reg);
    }
    out << kSuccess << "\n";
    return 0;
}

int remove(const std::vector<std::string>& args, FileRegistry& reg, std::ostream& out)
{
    Options o(args, 1, {"v", "ve", "va", "f"}, {"v"}, "DELETE");
    const int which = o.has("v") + o.has("ve") + o.has("va");
    if (o.positional().size() != 1 || which > 1)
        o.syntax();
    const KeyName k = parseKeyName(o.positional()[0]);
    Status s;
    Key key = reg.open(k.root, k.path, Access::Full, &s);
    check(s, reg);

    if (which == 0) {
        if (k.path.empty())
            throw Error{"ERROR: Invalid key name."};
        if (!o.has("f") && !confirm(out, "Permanently delete the registry key " + k.full)) {
            out << "The operation was canceled by the user.\n";
            return 0;
        }
        key = Key();
        check(reg.deleteKey(k.root, k.path), reg);
    } else if (o.has("va")) {
        if (!o.has("f") && !confirm(out, "Delete all values under the registry key " + k.full)) {
            out << "The operation was canceled by the user.\n";
            return 0;
        }
        std::vector<std::string> names;
        for (std::size_t i = 0;; ++i) {
            auto n = key.enumValue(i);
            if (!n)
                break;
            names.push_back(*n);
        }
        WriteGroup group(reg);
        for (const auto& n : names)
            check(key.deleteValue(n), reg);
        check(group.commit(), reg);
    } else {
        const std::string name = o.has("v") ? *o.value("v") : std::string();
        if (!key.query(name, kAnySize))
            throw Error{kNotFound};
        if (!o.has("f") &&
            !confirm(out, "Delete the registry value " + (name.empty() ? "(Default)" : name))) {
            out << "The operation was canceled by the user.\n";
            return 0;
        }
        check(key.deleteValue(name), reg);
    }
    out << kSuccess << "\n";
    return 0;
}

int import(const std::vector<std::string>& args, FileRegistry& reg, std::ostream& out)
{
    Options o(args, 1, {}, {}, "IMPORT");
    if (o.positional().size() != 1)
        o.syntax();
    std::string error;
    if (reg.importFile(o.positional()[0], &error) != Status::Success)
        throw Error{"ERROR: " + error};
    out << kSuccess << "\n";
    return 0;
}

int exportKey(const std::vector<std::string>& args, FileRegistry& reg, std::ostream& out)
{
    Options o(args, 1, {"y"}, {}, "EXPORT");
    if (o.positional().size() != 2)
        o.syntax();
    const KeyName k = parseKeyName(o.positional()[0]);
    const std::string& file = o.positional()[1];
    std::error_code ec;
    if (!o.has("y") && std::filesystem::exists(file, ec) &&
        !confirm(out, "File " + file + " already exists. Overwrite")) {
        out << "The operation was canceled by the user.\n";
        return 0;
    }
    std::string error;
    const Status s = reg.exportKey(k.root, k.path, file, &error);
    if (s == Status::NotFound)
        throw Error{kNotFound};
    if (s != Status::Success)
        throw Error{"ERROR: " + error};
    out << kSuccess << "\n";
    return 0;
}

constexpr const char* kUsage = "REG Operation [Parameter List]\n"
                               "\n"
                               "  Operation  [ QUERY | ADD | DELETE | IMPORT | EXPORT ]\n"
                               "\n"
                               "  REG QUERY KeyName [/v ValueName | /ve] [/s]\n"
                               "  REG ADD KeyName [/v ValueName | /ve] [/t Type] [/s Separator] "
                               "[/d Data] [/f]\n"
                               "  REG DELETE KeyName [/v ValueName | /ve | /va] [/f]\n"
                               "  REG IMPORT FileName\n"
                               "  REG EXPORT KeyName FileName [/y]\n"
                               "\n"
                               "  Type: REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, "
                               "REG_QWORD, REG_BINARY\n"
                               "  The store is the file named by VELNET_REGISTRY, or "
                               "/var/lib/velnet/registry.reg.\n";

} // namespace

int runRegCommand(const std::vector<std::string>& args, const std::string& storePath,
                  std::ostream& out, std::ostream& err)
{
    if (args.empty()) {
        err << "ERROR: Invalid syntax. Type \"REG /?\" for usage.\n";
        return 1;
    }
    const std::string op = toLowerAscii(args[0]);
    if (op == "/?" || op == "-?" || op == "--help" || op == "-h") {
        out << kUsage;
        return 0;
    }
    try {
        FileRegistry reg(storePath);
        if (op == "query")
            return query(args, reg, out);
        if (op == "add")
            return add(args, reg, out);
        if (op == "delete")
            return remove(args, reg, out);
        if (op == "import")
            return import(args, reg, out);
        if (op == "export")
            return exportKey(args, reg, out);
        err << "ERROR: Invalid syntax. Type \"REG /?\" for usage.\n";
        return 1;
    } catch (const Error& e) {
        err << e.message << "\n";
        return 1;
    }
}

} // namespace velnet::regtool
