// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/adapter/BindingState.h"
#include "cardcheck/adapter/CardList.h"
#include "cardcheck/adapter/Discovery.h"
#include "cardcheck/adapter/EntryPoints.h"
#include "common/platform/DynamicLibrary.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velnet::cardcheck {

// The one service through which every page reaches the hardware: the loaded
// card-type library of the selected NIC, its 31 entry points, the selected
// NIC and its picture. Created from a successful Discovery; the program keeps
// the one object in ProgramState, behind theAdapterLibrary().
//
// Exactly one card-type library is loaded at a time: selecting a NIC of
// another type frees the loaded one and loads the other. Freeing a library
// empties all 31 slots with it, so after a failed load no wrapper can reach a
// freed library: every wrapper then behaves as for a missing export.
//
// Wrappers keep the entry points' names. "No text" (std::nullopt) ends the
// caller's list. What a wrapper does when its export is missing:
//   name wrappers, value wrappers          no text
//   help wrappers                          0
//   RunTest, EchoTest                      kMissingEntry (a failure naming no string)
//   EchoState                              VELNET_ECHO_IDLE
//   ClearStats                             0
//   LastEchoResponder, LastEchoSender      empty text
//   NumberEchosSent, NumberEchosReceived   "0"
//   DisableDriver                          VELNET_DRIVER_NO_ENABLE (nothing to put back)
//   EnableDriver                           0
//   SelectCard (in select())               as 0: the NIC is selected, no message
//   Picture (in picture())                 no picture
//   AutoConfig, ChangeConfigValue          nothing shown, nothing marked as changed
//   ResourceString (in loadString())       the string does not load (text 106)
//
// Threads: everything runs on the UI thread except discovery and the first
// select() (start-up worker) and RunTest / EchoTest (their workers). The
// object takes no lock; the libraries accept the concurrent calls.
class AdapterLibrary
{
public:
    // A failure that names no library string; loadString() yields no text
    // for it without showing anything.
    static constexpr std::int32_t kMissingEntry = -1;

    // Takes over the card list and nicport.dll; with one type, also adopts
    // the library kept loaded and resolves its 31 slots at once.
    AdapterLibrary(Discovery&& discovery, BindingState& state);
    AdapterLibrary(const AdapterLibrary&) = delete;
    AdapterLibrary& operator=(const AdapterLibrary&) = delete;
    // Frees the card-type library, calls NicportExit (when exported), frees
    // nicport.dll and deletes every CardRecord. Does not put drivers back:
    // call putDriversBack() first.
    ~AdapterLibrary();

    // "-inf": SelectCard then gets flag 1.
    void setWelcomeMode(bool on) { welcomeMode_ = on; }

    // ---- the NICs --------------------------------------------------------
    const CardList& cards() const { return cards_; }
    std::int32_t cardCount() const { return cardCount_; }
    // Name of the NIC at `position`; nothing when out of range.
    std::optional<std::string> cardName(std::int32_t position) const;
    std::int32_t selectedIndex() const { return state_.selectedIndex; }
    std::int32_t selectedCardNumber() const { return selectedCardNumber_; }
    std::int32_t restartNeeded() const { return state_.restartNeeded; }
    std::int32_t configurationChanged() const { return state_.configurationChanged; }
    BindingState& state() { return state_; }

    // ---- selection ---------------------------------------------------------
    // Makes the NIC at `index` the selected one: loads its card-type library
    // if another (or none) is loaded, takes its driver off line the first
    // time (DisableDriver), then SelectCard. Returns 1 on success, 0 on
    // failure. `message` is replaced by the library's message (SelectCard's
    // string id) or by an error text (217, 106); otherwise left as it was.
    std::int32_t select(std::int32_t index, std::string& message);

    // ---- the loaded card-type library ----------------------------------
    bool libraryLoaded() const { return library_.isLoaded(); }
    // The library file name of the record whose library is (to be) loaded,
    // e.g. "VX410CFG". Empty before the first selection with several types.
    const std::string& currentLibraryName() const { return currentLibraryName_; }
    const EntryPoints& entryPoints() const { return entries_; }

    // ---- strings of the library ------------------------------------------
    // Loads library string `id` (300-byte buffer). id 0 gives no text. When
    // the string does not load, text 106 (naming `displayName`, the current
    // library and the id) is shown in an OK box and the result is no text.
    std::optional<std::string> loadString(std::int32_t id, std::string_view displayName);
    // loadString(id, "RIDtoCstring"): for EchoTest and RunTest results.
    std::optional<std::string> RIDtoCstring(std::int32_t id)
    {
        return loadString(id, "RIDtoCstring");
    }
    // id 0 does nothing; otherwise loadString and show the text in an OK box.
    void showMessage(std::int32_t id, std::string_view displayName);

    // ---- name wrappers: string id -> text ("CardSummaryName()" etc. in 106)
    std::optional<std::string> CardSummaryName(std::int32_t item);
    std::optional<std::string> CardDetailsName(std::int32_t item);
    // `advanced` receives the item's 16-bit advanced flag, widened (0 when
    // there is no text).
    std::optional<std::string> ConfigName(std::int32_t item, std::int32_t& advanced);
    std::optional<std::string> StatisticsName(std::int32_t item);
    std::optional<std::string> TestName(std::int32_t test);

    // ---- value wrappers: 104-byte buffer -> text -------------------------
    std::optional<std::string> CardSummaryValue(std::int32_t item);
    std::optional<std::string> CardDetailsValue(std::int32_t item);
    std::optional<std::string> ConfigValue(std::int32_t item);
    std::optional<std::string> ConfigOption(std::int32_t item, std::int32_t option);
    std::optional<std::string> StatisticsValue(std::int32_t item);

    // ---- pass-through wrappers -------------------------------------------
    std::int32_t CardSummaryHelp(std::int32_t item);
    std::int32_t CardDetailsHelp(std::int32_t item);
    std::int32_t ConfigHelp(std::int32_t item);
    std::int32_t StatisticsHelp(std::int32_t item);
    std::int32_t TestHelp(std::int32_t test);
    // Result of the test: 0 passed, else the failure (a library string id,
    // or kMissingEntry). Called on a worker thread.
    std::int32_t RunTest(std::int32_t test);
    // role VELNET_ECHO_SEND / VELNET_ECHO_RESPOND (blocks until the test
    // ends; worker thread) or VELNET_ECHO_STOP. 0, a library string id, or
    // kMissingEntry.
    std::int32_t EchoTest(std::uint8_t role, std::int32_t continuous);
    std::uint8_t EchoState();
    std::int32_t ClearStats();
    std::int32_t DisableDriver(std::int32_t position);
    std::int32_t EnableDriver(std::int32_t position);
    // The 44-byte name buffers as text.
    std::string LastEchoResponder();
    std::string LastEchoSender();
    // The counts as decimal text.
    std::string NumberEchosSent();
    std::string NumberEchosReceived();

    // ---- operations of the pages -----------------------------------------
    // "Optimal Settings": AutoConfig; 0 shows text 110 (information icon),
    // anything else the library's message. Marks the configuration changed.
    void autoConfigure();
    // Sets configuration item `item` to option `option`, marks the
    // configuration changed and shows the library's message, if any.
    void changeValue(std::int32_t item, std::int32_t option);
    // The picture of the selected NIC: the encoded image (PNG) of the bitmap
    // that the loaded library's Picture() names, loaded afresh on every call
    // (so after a selection it is the new library's). The adapter keeps the
    // last one as pictureBitmap(). Nothing when there is no picture.
    std::optional<std::vector<unsigned char>> picture();
    const std::vector<unsigned char>& pictureBitmap() const { return pictureBitmap_; }

    // At exit: EnableDriver for every NIC whose driver this program took off
    // line (state 1), loading each one's library as needed; a result of 1
    // sets restart-needed. The last library loaded stays loaded; the
    // selected index and card number are left alone.
    void putDriversBack();

private:
    bool driverStep(std::int32_t index, std::string& message);
    bool loadLibrary(const std::string& name);
    void freeLibrary();
    void loadMessage(std::int32_t id, std::string& message);
    std::optional<std::string> nameWrapper(ItemNameFn entry, std::int32_t item,
                                           std::string_view displayName);
    static std::optional<std::string> valueWrapper(ItemValueFn entry, std::int32_t item);

    BindingState& state_;
    EntryPoints entries_;
    std::string currentLibraryName_;
    std::int32_t selectedCardNumber_ = 0;
    velnet::platform::DynamicLibrary library_;
    std::vector<unsigned char> pictureBitmap_;

    CardList cards_;
    std::int32_t cardCount_ = 0;
    velnet::platform::DynamicLibrary hardware_;
    bool welcomeMode_ = false;
};

} // namespace velnet::cardcheck
