// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velnet::registry {

// The predefined keys a path starts from.
enum class Root
{
    ClassesRoot,
    CurrentUser,
    LocalMachine,
    Users,
    CurrentConfig,
    DynData,
};

// What a handle may do: read only, read and set values, or everything.
enum class Access
{
    Read,
    SetValue,
    Full,
};

// Value types with the numbers the Windows registry gives them.
enum class ValueType : std::uint32_t
{
    None = 0,
    Sz = 1,
    ExpandSz = 2,
    Binary = 3,
    Dword = 4,
    DwordBigEndian = 5,
    Link = 6,
    MultiSz = 7,
    ResourceList = 8,
    FullResourceDescriptor = 9,
    ResourceRequirementsList = 10,
    Qword = 11,
};

enum class [[nodiscard]] Status{
    Success,
    NotFound,     // no such key or value
    AccessDenied, // the store cannot be written, or the handle was opened for reading
    Corrupt,      // the store file could not be read; see Registry::errorText()
    IoError,      // writing the store failed; see Registry::errorText()
    Busy,         // another program kept the store locked too long
    InvalidName,  // a key or value name the store cannot hold (a line break)
};

struct Value
{
    ValueType type = ValueType::None;
    std::vector<std::uint8_t> data;

    bool operator==(const Value&) const = default;
};

class Registry;

// An open key. Closing happens when the handle goes away. A default-made or
// moved-from handle is closed and every operation on it fails.
class Key
{
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    Key(Key&& other) noexcept;
    Key& operator=(Key&& other) noexcept;
    ~Key() = default;

    explicit operator bool() const { return registry_ != nullptr; }
    Root root() const { return root_; }
    const std::string& path() const { return path_; }

    // Reads at most `limit` bytes: a value that is absent or longer than the
    // limit is missing. The stored type is reported, not checked.
    std::optional<Value> query(std::string_view name, std::size_t limit) const;
    // Whether the value is there, whatever its length.
    bool hasValue(std::string_view name) const;
    // A value of at most 4 bytes, as a little-endian number.
    std::optional<std::uint32_t> queryDword(std::string_view name) const;
    // A value of at most `limit` bytes, up to its first NUL.
    std::optional<std::string> queryString(std::string_view name, std::size_t limit) const;

    Status setValue(std::string_view name, ValueType type, std::span<const std::uint8_t> data);
    Status setDword(std::string_view name, std::uint32_t value);
    // A REG_SZ of the text's bytes, with or without the terminating NUL.
    Status setString(std::string_view name, std::string_view text, bool withNul = true);
    Status deleteValue(std::string_view name);

    // The name of the index-th subkey or value, in stored order; nothing past the end.
    std::optional<std::string> enumKey(std::size_t index) const;
    std::optional<std::string> enumValue(std::size_t index) const;

private:
    friend class Registry;
    Key(Registry* registry, Root root, std::string path, Access access);

    Registry* registry_ = nullptr;
    Root root_ = Root::LocalMachine;
    std::string path_;
    Access access_ = Access::Read;
};

// The store. Key and value names compare without regard to ASCII case. Paths
// use backslashes; an empty path is the root itself.
class Registry
{
public:
    virtual ~Registry() = default;

    // Opens an existing key. A key that is absent, or that cannot be had
    // with the access asked for, gives a closed handle and the reason.
    Key open(Root root, std::string_view path, Access access, Status* status = nullptr);
    // Opens a key, creating it and any missing parents first.
    Key create(Root root, std::string_view path, Access access, Status* status = nullptr);
    // Deletes a key with everything under it.
    virtual Status deleteKey(Root root, std::string_view path) = 0;

    // Writes between beginGroup() and commitGroup() reach the store together
    // or not at all. Groups nest; only the outermost commit writes.
    virtual void beginGroup() = 0;
    virtual Status commitGroup() = 0;
    virtual void abandonGroup() = 0;

    // Why the store cannot be read, or why the last write or check for one
    // failed, with the system's reason, for the user; empty when all went well.
    virtual std::string errorText() const = 0;

    // Whether writes could reach the store now (AccessDenied, Corrupt), so
    // that a caller can refuse before it changes anything.
    virtual Status checkWritable() = 0;

protected:
    friend class Key;

    virtual Status openKey(Root root, std::string_view path, Access access) = 0;
    virtual Status createKey(Root root, std::string_view path, Access access) = 0;
    virtual std::optional<Value> queryValue(Root root, std::string_view path, std::string_view name,
                                            std::size_t limit) = 0;
    virtual Status setValue(Root root, std::string_view path, std::string_view name,
                            const Value& value) = 0;
    virtual Status deleteValue(Root root, std::string_view path, std::string_view name) = 0;
    virtual std::optional<std::string> enumKey(Root root, std::string_view path,
                                               std::size_t index) = 0;
    virtual std::optional<std::string> enumValue(Root root, std::string_view path,
                                                 std::size_t index) = 0;
};

// Commits on commit(); abandons what it collected when it goes away uncommitted.
class WriteGroup
{
public:
    explicit WriteGroup(Registry& registry) : registry_(registry) { registry_.beginGroup(); }
    WriteGroup(const WriteGroup&) = delete;
    WriteGroup& operator=(const WriteGroup&) = delete;
    ~WriteGroup()
    {
        if (!done_)
            registry_.abandonGroup();
    }
    Status commit()
    {
        done_ = true;
        return registry_.commitGroup();
    }

private:
    Registry& registry_;
    bool done_ = false;
};

// "HKEY_LOCAL_MACHINE" and friends; also the short forms "HKLM", "HKCU", ...
std::optional<Root> rootFromName(std::string_view name);
std::string_view rootName(Root root);
// "HKLM" and friends, as reg.exe prints them.
std::string_view rootShortName(Root root);

bool equalsIgnoreCase(std::string_view a, std::string_view b);
std::string toLowerAscii(std::string_view text);

} // namespace velnet::registry
