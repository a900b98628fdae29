// SPDX-License-Identifier: MIT
#include "common/platform/DisplayCheck.h"

#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace velnet::platform {

namespace {

// What Qt may end up with when nothing chooses a platform: X11, or Wayland
// in a Wayland session. Should it choose the one without a display after
// all, the message handler below still ends the program with the message.
constexpr const char* kDefaultPlatforms = "xcb;wayland";

std::string platformChoice(const std::vector<std::string>& arguments,
                           const DisplayCheck::Environment& environment)
{
    for (std::size_t i = 1; i + 1 < arguments.size(); ++i)
        if (arguments[i] == "-platform" || arguments[i] == "--platform")
            return arguments[i + 1];
    const auto chosen = environment("QT_QPA_PLATFORM");
    return chosen && !chosen->empty() ? *chosen : kDefaultPlatforms;
}

bool isSet(const DisplayCheck::Environment& environment, const char* name)
{
    const auto value = environment(name);
    return value && !value->empty();
}

// Nothing when the platform has what it needs, else the variable that would
// name its display.
std::optional<std::string> missingFor(const std::string& platform,
                                      const DisplayCheck::Environment& environment)
{
    const std::string name = platform.substr(0, platform.find(':'));
    if (name == "xcb" && !isSet(environment, "DISPLAY"))
        return "DISPLAY";
    if (name.rfind("wayland", 0) == 0 && !isSet(environment, "WAYLAND_DISPLAY"))
        return "WAYLAND_DISPLAY";
    // offscreen, minimal, vnc, eglfs, linuxfb: none needs a display server.
    return std::nullopt;
}

// What the running check says when Qt cannot open the display after all.
// The message handler cannot carry data of its own; a program has one check.
std::optional<std::string>& unreachableMessage()
{
    static std::optional<std::string> text;
    return text;
}
QtMessageHandler previousHandler = nullptr;

std::optional<std::string> processEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void onQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    // Qt's own words when no platform plugin could start its display.
    if (type == QtFatalMsg && unreachableMessage() &&
        text.contains(QLatin1String("platform plugin"))) {
        std::fputs(unreachableMessage()->c_str(), stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (previousHandler)
        previousHandler(type, context, text);
}

} // namespace

DisplayCheck::DisplayCheck(int argc, char** argv, std::string program)
    : arguments_(argv, argv + argc), program_(std::move(program))
{
    unreachableMessage() = message(program_, unreachable(arguments_, processEnvironment));
    previousHandler = qInstallMessageHandler(onQtMessage);
}

DisplayCheck::~DisplayCheck()
{
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
    unreachableMessage().reset();
}

bool DisplayCheck::available() const
{
    const auto why = problem(arguments_, processEnvironment);
    if (!why)
        return true;
    std::fputs(message(program_, *why).c_str(), stderr);
    return false;
}

std::optional<std::string> DisplayCheck::problem(const std::vector<std::string>& arguments,
                                                 const Environment& environment)
{
    // Qt tries the platforms of a list separated by ';' in turn.
    std::istringstream platforms(platformChoice(arguments, environment));
    std::vector<std::string> missing;
    for (std::string platform; std::getline(platforms, platform, ';');) {
        const auto variable = missingFor(platform, environment);
        if (!variable)
            return std::nullopt;
        if (std::find(missing.begin(), missing.end(), *variable) == missing.end())
            missing.push_back(*variable);
    }
    if (missing.empty())
        return std::nullopt;
    if (missing.size() == 1)
        return missing.front() + " is not set";
    return "neither " + missing[0] + " nor " + missing[1] + " is set";
}

std::string DisplayCheck::unreachable(const std::vector<std::string>& arguments,
                                      const Environment& environment)
{
    std::istringstream platforms(platformChoice(arguments, environment));
    std::vector<std::string> tried;
    for (std::string platform; std::getline(platforms, platform, ';');) {
        const std::string name = platform.substr(0, platform.find(':'));
        std::string display;
        if (name == "xcb" && isSet(environment, "DISPLAY"))
            display = "the X display " + *environment("DISPLAY");
        else if (name.rfind("wayland", 0) == 0 && isSet(environment, "WAYLAND_DISPLAY"))
            display = "the Wayland display " + *environment("WAYLAND_DISPLAY") +
                      " (Qt's Wayland platform is the package qt6-wayland)";
        if (!display.empty() && std::find(tried.begin(), tried.end(), display) == tried.end())
            tried.push_back(display);
    }
    if (tried.empty())
        return "the platform chosen is not there";
    if (tried.size() == 1)
        return tried.front() + " did not answer";
    std::string text = "neither " + tried.front();
    for (std::size_t i = 1; i < tried.size(); ++i)
        text += " nor " + tried[i];
    return text + " answered";
}

std::string DisplayCheck::message(const std::string& program, const std::string& problem)
{
    return program + ": no display could be opened (" + problem + ").\n" + "Start " + program +
           " from a desktop session, or set DISPLAY (X11) or WAYLAND_DISPLAY (Wayland) to a "
           "running display, or run it on a virtual display: xvfb-run -a " +
           program + "\n";
}

} // namespace velnet::platform
