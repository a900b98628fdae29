// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velnet::platform {

// A library loaded at run time by its Windows name (LoadLibrary, GetProcAddress,
// FreeLibrary, and LoadString/LoadBitmap through the exports of
// LibraryResources.h).
//
// A Windows name maps to a file by dropping ".dll" or ".cpl" (any case),
// lower-casing and adding ".so": "NICPORT.DLL" -> "nicport.so", "VX410CFG" ->
// "vx410cfg.so". The file is looked for in the folders of VELNET_LIBRARY_PATH
// (colon-separated; empty and relative entries are ignored), then in
// ../lib/velnet beside the running executable. Never in the current
// directory, and never through the system's own search.
//
// One object holds at most one loaded library; the destructor frees it.
class DynamicLibrary
{
public:
    DynamicLibrary() = default;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    ~DynamicLibrary();

    // Frees what is loaded, then loads `windowsName`. Fails, saying why,
    // when no file is found or it does not load.
    Outcome load(std::string_view windowsName);
    // Frees the library, if any. Safe to call when nothing is loaded.
    void free();

    bool isLoaded() const { return handle_ != nullptr; }
    explicit operator bool() const { return isLoaded(); }
    // The file that was loaded (empty when none).
    const std::string& path() const { return path_; }

    // The address of an exported function, or nullptr when the library does
    // not export it (or nothing is loaded).
    void* symbol(const char* name) const;
    template <typename Function> Function resolve(const char* name) const
    {
        return reinterpret_cast<Function>(symbol(name));
    }

    // LoadString: the string `id` read into a buffer of `bufferSize` bytes
    // (so at most bufferSize - 1 bytes of text), the buffer ended by us
    // whatever the library wrote. Nothing when the library has no
    // ResourceString export or no such string.
    std::optional<std::string> loadString(std::uint32_t id, std::size_t bufferSize) const;
    // LoadBitmap: a copy of the encoded image (PNG) of bitmap `name`; nothing
    // when the library has no ResourceBitmap export or no such bitmap.
    std::optional<std::vector<unsigned char>> loadBitmap(const char* name) const;

    // "nicport.dll" -> "nicport.so".
    static std::string fileNameFor(std::string_view windowsName);
    // The folders searched, in order.
    static std::vector<std::string> searchFolders();
    // The full path a Windows name resolves to, if such a file exists.
    static std::optional<std::string> find(std::string_view windowsName);

private:
    void* handle_ = nullptr;
    std::string path_;
};

} // namespace velnet::platform
