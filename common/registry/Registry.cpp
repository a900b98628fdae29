// SPDX-License-Identifier: MIT
#include "common/registry/Registry.h"

#include <array>
#include <limits>
#include <utility>

namespace velnet::registry {

namespace {

struct RootNames
{
    Root root;
    std::string_view longName;
    std::string_view shortName;
};

constexpr std::array<RootNames, 6> kRoots{{
    {Root::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {Root::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {Root::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {Root::Users, "HKEY_USERS", "HKU"},
    {Root::CurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
    {Root::DynData, "HKEY_DYN_DATA", "HKDD"},
}};

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

std::string toLowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = lowerAscii(c);
    return out;
}

std::optional<Root> rootFromName(std::string_view name)
{
    for (const auto& r : kRoots) {
        if (equalsIgnoreCase(name, r.longName) || equalsIgnoreCase(name, r.shortName))
            return r.root;
    }
    return std::nullopt;
}

std::string_view rootName(Root root)
{
    for (const auto& r : kRoots) {
        if (r.root == root)
            return r.longName;
    }
    return {};
}

std::string_view rootShortName(Root root)
{
    for (const auto& r : kRoots) {
        if (r.root == root)
            return r.shortName;
    }
    return {};
}

// --- Key ---------------------------------------------------------------------

Key::Key(Registry* registry, Root root, std::string path, Access access)
    : registry_(registry), root_(root), path_(std::move(path)), access_(access)
{
}

Key::Key(Key&& other) noexcept
    : registry_(std::exchange(other.registry_, nullptr)), root_(other.root_),
      path_(std::move(other.path_)), access_(other.access_)
{
}

Key& Key::operator=(Key&& other) noexcept
{
    registry_ = std::exchange(other.registry_, nullptr);
    root_ = other.root_;
    path_ = std::move(other.path_);
    access_ = other.access_;
    return *this;
}

std::optional<Value> Key::query(std::string_view name, std::size_t limit) const
{
    if (!registry_)
        return std::nullopt;
    return registry_->queryValue(root_, path_, name, limit);
}

bool Key::hasValue(std::string_view name) const
{
    return query(name, std::numeric_limits<std::size_t>::max()).has_value();
}

std::optional<std::uint32_t> Key::queryDword(std::string_view name) const
{
    auto value = query(name, 4);
    if (!value)
        return std::nullopt;
    std::uint32_t result = 0;
    for (std::size_t i = 0; i < value->data.size(); ++i)
        result |= static_cast<std::uint32_t>(value->data[i]) << (8 * i);
    return result;
}

std::optional<std::string> Key::queryString(std::string_view name, std::size_t limit) const
{
    auto value = query(name, limit);
    if (!value)
        return std::nullopt;
    std::string text(value->data.begin(), value->data.end());
    if (auto nul = text.find('\0'); nul != std::string::npos)
        text.resize(nul);
    return text;
}

Status Key::setValue(std::string_view name, ValueType type, std::span<const std::uint8_t> data)
{
    if (!registry_)
        return Status::NotFound;
    if (access_ == Access::Read)
        return Status::AccessDenied;
    return registry_->setValue(root_, path_, name, Value{type, {data.begin(), data.end()}});
}

Status Key::setDword(std::string_view name, std::uint32_t value)
{
    const std::array<std::uint8_t, 4> bytes{
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return setValue(name, ValueType::Dword, bytes);
}

Status Key::setString(std::string_view name, std::string_view text, bool withNul)
{
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    if (withNul)
        bytes.push_back(0);
    return setValue(name, ValueType::Sz, bytes);
}

Status Key::deleteValue(std::string_view name)
{
    if (!registry_)
        return Status::NotFound;
    if (access_ == Access::Read)
        return Status::AccessDenied;
    return registry_->deleteValue(root_, path_, name);
}

std::optional<std::string> Key::enumKey(std::size_t index) const
{
    if (!registry_)
        return std::nullopt;
    return registry_->enumKey(root_, path_, index);
}

std::optional<std::string> Key::enumValue(std::size_t index) const
{
    if (!registry_)
        return std::nullopt;
    return registry_->enumValue(root_, path_, index);
}

// --- Registry ----------------------------------------------------------------

Key Registry::open(Root root, std::string_view path, Access access, Status* status)
{
    const Status result = openKey(root, path, access);
    if (status)
        *status = result;
    if (result != Status::Success)
        return {};
    return Key(this, root, std::string(path), access);
}

Key Registry::create(Root root, std::string_view path, Access access, Status* status)
{
    const Status result = createKey(root, path, access);
    if (status)
        *status = result;
    if (result != Status::Success)
        return {};
    return Key(this, root, std::string(path), access);
}

} // namespace velnet::registry
