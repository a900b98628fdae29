// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velnet::platform {

// Whether a program can open its windows at all. Qt ends a program that
// finds no display with an abort and the advice to reinstall it, which helps
// nobody; the programs ask first and end with a message that says how to give
// them a display.
//
// In main(), before the QApplication:
//     velnet::platform::DisplayCheck display(argc, argv, "nicsetup");
//     if (!display.available())
//         return 1;
// While the object lives, a display that is named but cannot be reached
// (the check cannot see that in advance) ends the program the same way.
class DisplayCheck
{
public:
    using Environment = std::function<std::optional<std::string>(const char* name)>;

    DisplayCheck(int argc, char** argv, std::string program);
    ~DisplayCheck();
    DisplayCheck(const DisplayCheck&) = delete;
    DisplayCheck& operator=(const DisplayCheck&) = delete;

    // False after printing, on the error output, why no display can be
    // opened and how to give one.
    bool available() const;

    // Why none of the platforms the program would try has a display, or
    // nothing when one of them has (or needs none, as offscreen).
    static std::optional<std::string> problem(const std::vector<std::string>& arguments,
                                              const Environment& environment);
    // What the program tried when Qt could not open a display after all:
    // the displays its platforms name ("the X display :0", "the Wayland
    // display wayland-0"), for Wayland with the package Qt needs for it.
    static std::string unreachable(const std::vector<std::string>& arguments,
                                   const Environment& environment);
    // The whole message for the program, ending with how to give a display.
    static std::string message(const std::string& program, const std::string& problem);

private:
    std::vector<std::string> arguments_;
    std::string program_;
};

} // namespace velnet::platform
