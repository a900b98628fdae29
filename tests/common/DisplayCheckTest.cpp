// SPDX-License-Identifier: MIT
#include "common/platform/DisplayCheck.h"

#include <gtest/gtest.h>
#include <map>

namespace {

using velnet::platform::DisplayCheck;

std::optional<std::string> problemWith(std::map<std::string, std::string> environment,
                                       std::vector<std::string> arguments = {"prog"})
{
    return DisplayCheck::problem(arguments,
                                 [&environment](const char* name) -> std::optional<std::string> {
                                     const auto it = environment.find(name);
                                     if (it == environment.end())
                                         return std::nullopt;
                                     return it->second;
                                 });
}

TEST(DisplayCheckTest, X11NeedsDisplayAndWaylandNeedsWaylandDisplay)
{
    EXPECT_EQ(problemWith({}), "neither DISPLAY nor WAYLAND_DISPLAY is set");
    EXPECT_EQ(problemWith({{"DISPLAY", ""}}), "neither DISPLAY nor WAYLAND_DISPLAY is set");
    EXPECT_EQ(problemWith({{"DISPLAY", ":0"}}), std::nullopt);
    // Unchosen, Qt may take Wayland in a Wayland session.
    EXPECT_EQ(problemWith({{"WAYLAND_DISPLAY", "wayland-0"}}), std::nullopt);
    EXPECT_EQ(problemWith({{"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "wayland-0"}}),
              "DISPLAY is not set");
    EXPECT_EQ(problemWith({{"QT_QPA_PLATFORM", "wayland"}, {"DISPLAY", ":0"}}),
              "WAYLAND_DISPLAY is not set");
    EXPECT_EQ(problemWith({{"QT_QPA_PLATFORM", "wayland-egl"}, {"WAYLAND_DISPLAY", "w"}}),
              std::nullopt);
    // An empty choice is no choice: the default platform.
    EXPECT_EQ(problemWith({{"QT_QPA_PLATFORM", ""}, {"DISPLAY", ":1"}}), std::nullopt);
    EXPECT_EQ(problemWith({{"QT_QPA_PLATFORM", ""}}), "neither DISPLAY nor WAYLAND_DISPLAY is set");
}

TEST(DisplayCheckTest, PlatformsWithoutADisplayServerNeedNothing)
{
    for (const char* platform : {"offscreen", "minimal", "vnc:size=800x600", "linuxfb"})
        EXPECT_EQ(problemWith({{"QT_QPA_PLATFORM", platform}}), std::nullopt) << platform;
}

TEST(DisplayCheckTest, AListIsUsableWhenAnyOfItsPlatformsIs)
{
    EXPECT_EQ(problemWith({{"QT_QPA_PLATFORM", "wayland;xcb"}}),
              "neither WAYLAND_DISPLAY nor DISPLAY is set");
    EXPECT_EQ(problemWith({{"QT_QPA_PLATFORM", "xcb;xcb:nograb"}}), "DISPLAY is not set");
    EXPECT_EQ(problemWith({{"QT_QPA_PLATFORM", "wayland;xcb"}, {"DISPLAY", ":0"}}), std::nullopt);
    EXPECT_EQ(problemWith({{"QT_QPA_PLATFORM", "xcb:nograb;offscreen"}}), std::nullopt);
}

TEST(DisplayCheckTest, PlatformArgumentComesBeforeTheEnvironment)
{
    EXPECT_EQ(problemWith({{"QT_QPA_PLATFORM", "offscreen"}}, {"prog", "-platform", "xcb"}),
              "DISPLAY is not set");
    EXPECT_EQ(problemWith({}, {"prog", "-platform", "offscreen"}), std::nullopt);
    // "-platform" as the last word names nothing.
    EXPECT_EQ(problemWith({{"QT_QPA_PLATFORM", "offscreen"}}, {"prog", "-platform"}), std::nullopt);
}

TEST(DisplayCheckTest, MessageSaysHowToGiveADisplay)
{
    EXPECT_EQ(DisplayCheck::message("nicsetup", "DISPLAY is not set"),
              "nicsetup: no display could be opened (DISPLAY is not set).\n"
              "Start nicsetup from a desktop session, or set DISPLAY (X11) or WAYLAND_DISPLAY "
              "(Wayland) to a running display, or run it on a virtual display: xvfb-run -a "
              "nicsetup\n");
}

TEST(DisplayCheckTest, UnreachableNamesTheDisplaysTried)
{
    const auto unreachable = [](std::map<std::string, std::string> environment) {
        return DisplayCheck::unreachable({"prog"}, [&environment](const char* name) {
            const auto it = environment.find(name);
            return it == environment.end() ? std::nullopt : std::optional<std::string>(it->second);
        });
    };
    const std::string wayland =
        "the Wayland display wayland-0 (Qt's Wayland platform is the package qt6-wayland)";
    EXPECT_EQ(unreachable({{"DISPLAY", ":7"}}), "the X display :7 did not answer");
    EXPECT_EQ(unreachable({{"WAYLAND_DISPLAY", "wayland-0"}}), wayland + " did not answer");
    EXPECT_EQ(unreachable({{"DISPLAY", ":7"}, {"WAYLAND_DISPLAY", "wayland-0"}}),
              "neither the X display :7 nor " + wayland + " answered");
    EXPECT_EQ(
        unreachable({{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":1"}, {"WAYLAND_DISPLAY", "w"}}),
        "the X display :1 did not answer");
    EXPECT_EQ(unreachable({{"QT_QPA_PLATFORM", "eglfs"}}), "the platform chosen is not there");
}

} // namespace
