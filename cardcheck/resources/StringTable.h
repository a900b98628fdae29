// SPDX-License-Identifier: MIT
#pragma once

#include "common/ui/MessageBox.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velnet::cardcheck {

// Ids of the program's own strings (101-222). Library strings are another
// matter: those come from the card-type library (AdapterLibrary::loadString).
namespace ids {
constexpr int ErrorLoadingLibrary = 102;      // %1 library file name
constexpr int ErrorResolvingFunction = 103;   // %1 function, %2 library
constexpr int ErrorInitializingLibrary = 104; // %1 "NICPORT.DLL"
constexpr int ErrorNoAdapters = 105;
constexpr int ErrorLoadingString = 106; // %1 function, %2 library, %3 id
constexpr int Name = 107;
constexpr int Value = 108;
constexpr int AutoConfigured = 110;
constexpr int ErrorFieldEmpty = 111;
constexpr int ReportFormatFirst = 112; // 112 + answer number (0-15): report line formats
constexpr int ReportFormatLast = 127;
constexpr int Status = 128;
constexpr int Passed = 129;
constexpr int Failed = 130;
constexpr int InProgress = 131;
constexpr int Statistic = 132;
constexpr int ThisComputer = 133;
constexpr int ErrorStopEchoTests = 134;
constexpr int EchoTestResponder = 135;
constexpr int ErrorTestsRunning = 136;
constexpr int ErrorOpeningFile = 139; // %1 path
constexpr int SwitchAdvanced = 144;   // "-a"
constexpr int SwitchWelcome = 145;    // "-inf"
constexpr int AskRestartDriversDisabled = 148;
constexpr int ErrorNoNicsInLibrary = 149; // %1 library file name
constexpr int Title = 154;
constexpr int StatusFlagFirst = 155; // 155 + bit (0-18)
constexpr int StatusFlagLast = 173;
constexpr int NodeStatus = 174;
constexpr int ProblemFirst = 175; // 174 + problem number (1-30)
constexpr int ProblemLast = 204;
constexpr int Problem = 205;
constexpr int DeviceName = 206;
constexpr int Irq = 207;
constexpr int SystemSummary = 208;
constexpr int WindowsVersion = 209;
constexpr int BiosName = 210;
constexpr int BiosDate = 211;
constexpr int BiosVersion = 212;
constexpr int SupportAddresses = 214;
constexpr int WindowsDriver = 215; // %1 name, %2 version, %3 date
constexpr int DriverNotDisabled = 217;
constexpr int ErrorTypeNotResolved = 219;
constexpr int WarningDriverDisabled = 220;
constexpr int AskRestartConfigChanged = 221;
constexpr int RestartPrivilege = 222;
} // namespace ids

// The program's string table (what a Windows program keeps in its resource
// section), with the texts exactly as the program shows or writes them.
class StringTable
{
public:
    // The text of `id`; nothing when the table has no such string.
    static std::optional<std::string_view> find(int id);
    // LoadString: the text of `id`, empty when there is none.
    static std::string load(int id);
    // The text of `id` composed by velnet::formatMessage with %1, %2, ...
    // filled from `inserts` (inserted text is never scanned again).
    static std::string format(int id, std::initializer_list<std::string> inserts);
    // Every id the table holds, ascending.
    static std::vector<int> allIds();
};

// The program's message box: caption "Corvane NIC Diagnostics  v1.0" (154).
velnet::ui::Answer appMessageBox(std::string_view text,
                                 velnet::ui::Buttons buttons = velnet::ui::Buttons::Ok,
                                 velnet::ui::Icon icon = velnet::ui::Icon::None);

} // namespace velnet::cardcheck
