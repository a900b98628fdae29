// SPDX-License-Identifier: MIT
#include "common/platform/DynamicLibrary.h"

#include "common/platform/LibraryResources.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <system_error>

namespace velnet::platform {

namespace {

bool endsWithNoCase(std::string_view text, std::string_view tail)
{
    if (text.size() < tail.size())
        return false;
    return std::equal(tail.begin(), tail.end(),
                      text.end() - static_cast<std::ptrdiff_t>(tail.size()), [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

std::string executableFolder()
{
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return exe.parent_path().string();
}

} // namespace

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(other.handle_), path_(std::move(other.path_))
{
    other.handle_ = nullptr;
    other.path_.clear();
}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept
{
    if (this != &other) {
        free();
        handle_ = other.handle_;
        path_ = std::move(other.path_);
        other.handle_ = nullptr;
        other.path_.clear();
    }
    return *this;
}

DynamicLibrary::~DynamicLibrary()
{
    free();
}

Outcome DynamicLibrary::load(std::string_view windowsName)
{
    free();
    const auto file = find(windowsName);
    if (!file)
        return fail("no file " + fileNameFor(windowsName) + " in the library folders");
    // RTLD_LOCAL: the exports of one library never satisfy a look-up in another.
    handle_ = ::dlopen(file->c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = ::dlerror();
        return fail(why ? why : "cannot load " + *file);
    }
    path_ = *file;
    return {};
}

void DynamicLibrary::free()
{
    if (handle_)
        ::dlclose(handle_);
    handle_ = nullptr;
    path_.clear();
}

void* DynamicLibrary::symbol(const char* name) const
{
    if (!handle_ || !name)
        return nullptr;
    return ::dlsym(handle_, name);
}

std::optional<std::string> DynamicLibrary::loadString(std::uint32_t id,
                                                      std::size_t bufferSize) const
{
    const auto function = resolve<ResourceStringFn>(VELNET_RESOURCE_STRING_SYMBOL);
    if (!function || bufferSize == 0)
        return std::nullopt;
    std::string buffer(bufferSize, '\0');
    const int32_t copied = function(id, buffer.data(), static_cast<int32_t>(bufferSize));
    buffer[bufferSize - 1] = '\0';
    if (copied <= 0)
        return std::nullopt;
    buffer.resize(buffer.find('\0'));
    return buffer;
}

std::optional<std::vector<unsigned char>> DynamicLibrary::loadBitmap(const char* name) const
{
    const auto function = resolve<ResourceBitmapFn>(VELNET_RESOURCE_BITMAP_SYMBOL);
    if (!function || !name)
        return std::nullopt;
    const unsigned char* bytes = nullptr;
    uint32_t size = 0;
    if (!function(name, &bytes, &size) || !bytes || size == 0)
        return std::nullopt;
    return std::vector<unsigned char>(bytes, bytes + size);
}

std::string DynamicLibrary::fileNameFor(std::string_view windowsName)
{
    std::string_view stem = windowsName;
    if (endsWithNoCase(stem, ".dll") || endsWithNoCase(stem, ".cpl"))
        stem.remove_suffix(4);
    std::string name(stem);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name + ".so";
}

std::vector<std::string> DynamicLibrary::searchFolders()
{
    std::vector<std::string> folders;
    if (const char* path = std::getenv("VELNET_LIBRARY_PATH")) {
        std::string_view rest = path;
        while (!rest.empty()) {
            const auto colon = rest.find(':');
            const std::string_view folder = rest.substr(0, colon);
            // An empty or relative entry would mean the current directory.
            if (!folder.empty() && folder.front() == '/')
                folders.emplace_back(folder);
            if (colon == std::string_view::npos)
                break;
            rest.remove_prefix(colon + 1);
        }
    }
    if (const std::string exe = executableFolder(); !exe.empty())
        folders.push_back(
            (std::filesystem::path(exe) / ".." / "lib" / "velnet").lexically_normal().string());
    return folders;
}

std::optional<std::string> DynamicLibrary::find(std::string_view windowsName)
{
    const std::string file = fileNameFor(windowsName);
    // A name with a folder in it is not a library name.
    if (windowsName.empty() || file.find('/') != std::string::npos)
        return std::nullopt;
    for (const auto& folder : searchFolders()) {
        std::error_code error;
        const auto candidate = std::filesystem::path(folder) / file;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate.string();
    }
    return std::nullopt;
}

} // namespace velnet::platform
