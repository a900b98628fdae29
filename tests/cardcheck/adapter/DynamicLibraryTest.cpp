// SPDX-License-Identifier: MIT
#include "common/platform/DynamicLibrary.h"

#include "cardcheck/adapter/AdapterContract.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace velnet::platform {
namespace {

namespace fs = std::filesystem;

// Sets VELNET_LIBRARY_PATH for one test.
class LibraryPath
{
public:
    explicit LibraryPath(const std::string& value) : previous_(std::getenv("VELNET_LIBRARY_PATH"))
    {
        ::setenv("VELNET_LIBRARY_PATH", value.c_str(), 1);
    }
    ~LibraryPath()
    {
        if (previous_)
            ::setenv("VELNET_LIBRARY_PATH", previous_->c_str(), 1);
        else
            ::unsetenv("VELNET_LIBRARY_PATH");
    }

private:
    std::optional<std::string> previous_;
};

std::string builtLibraries()
{
    return std::string(VELNET_BINARY_DIR) + "/lib/velnet/simulated";
}

TEST(DynamicLibraryTest, WindowsNamesMapToSharedObjects)
{
    EXPECT_EQ(DynamicLibrary::fileNameFor("nicport.dll"), "nicport.so");
    EXPECT_EQ(DynamicLibrary::fileNameFor("NICPORT.DLL"), "nicport.so");
    EXPECT_EQ(DynamicLibrary::fileNameFor("VX410CFG"), "vx410cfg.so");
    EXPECT_EQ(DynamicLibrary::fileNameFor("TEMPOCFG.CPL"), "tempocfg.so");
    EXPECT_EQ(DynamicLibrary::fileNameFor("VXTHNK32.Dll"), "vxthnk32.so");
    EXPECT_EQ(DynamicLibrary::fileNameFor("odd.dll.txt"), "odd.dll.txt.so");
}

TEST(DynamicLibraryTest, SearchesThePathFirstThenBesideTheProgramNeverTheCurrentFolder)
{
    test::TempDir first, cwd;
    fs::copy_file(builtLibraries() + "/vx210cfg.so", first.file("vx410cfg.so"));
    fs::copy_file(builtLibraries() + "/vx210cfg.so", cwd.file("only-here.so"));
    const auto oldCwd = fs::current_path();
    fs::current_path(cwd.path());
    {
        LibraryPath path(":.:relative:" + first.path() + ":" + builtLibraries());
        const auto folders = DynamicLibrary::searchFolders();
        ASSERT_EQ(folders.size(), 3u);
        EXPECT_EQ(folders[0], first.path());
        EXPECT_EQ(folders[1], builtLibraries());
        EXPECT_EQ(fs::path(folders[2]).filename(), "velnet"); // ../lib/velnet beside the program
        EXPECT_EQ(DynamicLibrary::find("VX410CFG"), first.file("vx410cfg.so"));
        EXPECT_EQ(DynamicLibrary::find("vx210cfg.dll"), builtLibraries() + "/vx210cfg.so");
        EXPECT_EQ(DynamicLibrary::find("ONLY-HERE"), std::nullopt);
        EXPECT_EQ(DynamicLibrary::find("../x"), std::nullopt);
    }
    fs::current_path(oldCwd);
}

TEST(DynamicLibraryTest, LoadResolveAndFree)
{
    DynamicLibrary library;
    const auto absent = library.load("NOSUCHCFG");
    EXPECT_FALSE(absent.ok());
    EXPECT_FALSE(library.isLoaded());
    EXPECT_EQ(absent.error(), "no file nosuchcfg.so in the library folders");
    EXPECT_EQ(library.symbol("CardName"), nullptr);

    const auto loaded = library.load("VX410CFG");
    ASSERT_TRUE(loaded.ok()) << loaded.error();
    EXPECT_NE(library.symbol("CardName"), nullptr);
    EXPECT_EQ(library.symbol("NoSuchExport"), nullptr);
    EXPECT_EQ(fs::path(library.path()).filename(), "vx410cfg.so");

    DynamicLibrary moved = std::move(library);
    EXPECT_FALSE(library.isLoaded());
    EXPECT_TRUE(moved.isLoaded());
    moved.free();
    EXPECT_FALSE(moved.isLoaded());
    EXPECT_EQ(moved.symbol("CardName"), nullptr);
}

TEST(DynamicLibraryTest, LoadStringIsBoundedByTheBuffer)
{
    test::TempDir temp;
    const std::string scenario = temp.file("s.json");
    test::writeFile(scenario, R"({ "types": { "VX410": { "strings": { "42": "Link is down." } } },
                                  "nics": [ { "type": "VX410" } ] })");
    ::setenv("NICPORT_SCENARIO", scenario.c_str(), 1);
    DynamicLibrary library;
    ASSERT_TRUE(library.load("VX410CFG").ok());
    EXPECT_EQ(library.loadString(42, VELNET_STRING_SIZE), "Link is down.");
    EXPECT_EQ(library.loadString(42, 5), "Link");
    EXPECT_EQ(library.loadString(43, VELNET_STRING_SIZE), std::nullopt);
    EXPECT_EQ(library.loadBitmap("NOSUCHBITMAP"), std::nullopt);
    const auto bitmap = library.loadBitmap("SERVERXL");
    ASSERT_TRUE(bitmap);
    EXPECT_EQ((*bitmap)[0], 0x89);
    library.free();
    ::unsetenv("NICPORT_SCENARIO");
}

} // namespace
} // namespace velnet::platform
