// SPDX-License-Identifier: MIT
#include "cardcheck/resources/StringTable.h"

#include "common/text/FormatMessage.h"

#include <algorithm>
#include <array>

namespace velnet::cardcheck {

namespace {

struct Entry
{
    int id;
    std::string_view text;
};

// Sorted by id.
constexpr Entry kStrings[] = {
    {102, "Error loading the Library %1"},
    {103, "Error resolving the address of the function %1 in the Library %2"},
    {104, "Error initializing the Library %1"},
    {105, "Error, there are no Corvane adapters installed in your computer that are supported by "
          "this program."},
    {106, "Error loading a string in the function %1.  Library = %2, Resource ID = %3."},
    {107, "Name"},
    {108, "Value"},
    {110, "Your NIC has been automatically configured successfully.."},
    {111, "Error field cannot be empty.  Enter a \"?\" if data is not available."},
    {112, "Customer Company Name:  %1"},
    {113, "Customer Address:  %1"},
    {114, "Contact Name:  %1"},
    {115, "Contact Phone:  %1"},
    {116, "Contact Email Address:  %1"},
    {117, "Corvane Case Number:  %1"},
    {118, "Problem Description:\n%1"},
    {119, "Reproducible:  %1"},
    {120, "Operating System:  %1"},
    {121, "Machine Usage:  %1"},
    {122, "CPU Type:  %1"},
    {123, "Model Type:  %1"},
    {124, "Network Operating System:  %1"},
    {125, "PCI Slots:  %1"},
    {126, "Busmastering Slots:  %1"},
    {127, "Speed:  %1"},
    {128, "Status"},
    {129, "Passed"},
    {130, "Failed"},
    {131, "In Progress"},
    {132, "Statistic"},
    {133, "This Computer"},
    {134, "Error:  You must stop the Echo tests before exiting."},
    {135, "Echo Test Responder"},
    {136, "Error: You cannot perform this operation while the tests are running.  Please stop the "
          "tests, or wait for them to complete, then try again."},
    {139, "Error opening the file %1."},
    {144, "-a"},
    {145, "-inf"},
    {148, "Your network drivers have been disabled, and you must now restart windows to restore "
          "your network connection. Do you want to Restart Windows?"},
    {149, "Error enumerating NICs.  The adapter specific DLL %1 did not find any NICs present."},
    {154, "Corvane NIC Diagnostics  v1.0"},
    {155, "    Was enumerated by ROOT"},
    {156, "    Has Register_Device_Driver"},
    {157, "    Has Register_Enumerator"},
    {158, "    Is currently configured"},
    {159, "    Manually installed"},
    {160, "    May need reenumeration"},
    {161, "    Has received a config"},
    {162, "    Enum generates hardware ID"},
    {163, "    Lied about can reconfig once"},
    {164, "    Not CM_Create_DevNode lately"},
    {165, "    Need device installer"},
    {166, "    Is filtered"},
    {167, "    Has been moved"},
    {168, "    Can be rebalanced"},
    {169, "    Can be removed"},
    {170, "    Has a private problem"},
    {171, "    Multi function parent"},
    {172, "    Multi function child"},
    {173, "    Devnode is being removed"},
    {174, "  Node Status:"},
    {175, "No configuration for this device"},
    {176, "Device loader failed"},
    {177, "Out of memory"},
    {178, "Registry value has different type"},
    {179, "Problem Lacked Arbitrator"},
    {180, "Conflict in boot configuration"},
    {181, "Filter failed"},
    {182, "Device Loader not found"},
    {183, "Invalid Data"},
    {184, "Failed Start"},
    {185, "Liar"},
    {186, "Configuration conflict"},
    {187, "Not Verified"},
    {188, "Need Restart"},
    {189, "Reenumeration"},
    {190, "Partial Logical Configuration"},
    {191, "Unknown Resource"},
    {192, "Reinstall"},
    {193, "Unable to access the registry"},
    {194, "Failure using the VxD loader"},
    {195, "Will be removed"},
    {196, "Device is disabled"},
    {197, "Device loader is not ready"},
    {198, "Specified device does not exist"},
    {199, "Moved"},
    {200, "Too early"},
    {201, "No valid logical configuration"},
    {202, "Failed Install"},
    {203, "Hardware disabled"},
    {204, "Can't share IRQ"},
    {205, "  Problem:  "},
    {206, "Device Name:  %1"},
    {207, "  IRQ = %1"},
    {208, "System Summary:"},
    {209, "Windows version:  %1 %2"},
    {210, "BIOS Name:  %1"},
    {211, "BIOS Date:  %1"},
    {212, "BIOS Version:  %1"},
    {214, "U.S.: support@corvane.example.com\n\nEurope: support-europe@corvane.example.net\n\n"
          "Asia Pacific Rim: support-asia@corvane.example.org"},
    {215, "Windows Driver: %1\nWindows Driver Version %2.\nWindows Driver Date: %3"},
    {217, "Your driver could not be disabled."},
    {219, "Error, some NICs were discovered, but the type could not be resolved."},
    {220, "Warning!  Your driver is disabled, you must needs to be manually renabled your driver, "
          "or restart windows in order to restore your network connections."},
    {221, "You have changed your configuration settings, and you must now restart Windows for the "
          "new settings to take effect. Your network may not function properly until you restart "
          "Windows.  Do you want to Restart Windows?"},
    {222, "The Corvane NIC Diagnostics program may not have the privelege level to restart your "
          "computer.  In this case, please restart manually."},
};

constexpr bool sortedById()
{
    for (std::size_t i = 1; i < std::size(kStrings); ++i)
        if (kStrings[i - 1].id >= kStrings[i].id)
            return false;
    return true;
}
static_assert(sortedById(), "the string table must stay sorted by id");

} // namespace

std::optional<std::string_view> StringTable::find(int id)
{
    const auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                     [](const Entry& e, int wanted) { return e.id < wanted; });
    if (it == std::end(kStrings) || it->id != id)
        return std::nullopt;
    return it->text;
}

std::string StringTable::load(int id)
{
    return std::string(find(id).value_or(std::string_view{}));
}

std::string StringTable::format(int id, std::initializer_list<std::string> inserts)
{
    return velnet::formatMessage(find(id).value_or(std::string_view{}), inserts);
}

std::vector<int> StringTable::allIds()
{
    std::vector<int> result;
    for (const auto& entry : kStrings)
        result.push_back(entry.id);
    return result;
}

velnet::ui::Answer appMessageBox(std::string_view text, velnet::ui::Buttons buttons,
                                 velnet::ui::Icon icon)
{
    return velnet::ui::messageBox(text, StringTable::load(ids::Title), buttons, icon);
}

} // namespace velnet::cardcheck
