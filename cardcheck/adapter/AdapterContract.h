// SPDX-License-Identifier: MIT
/*
 * The contract between cardcheck and the outside libraries that reach the
 * hardware: the hardware-access library "nicport.dll" and one card-type
 * library per NIC type.
 *
 * nicport.dll finds the NICs and names their types. The card-type library of
 * type T is named T followed by "CFG" (for instance "VX410CFG"; the platform
 * adds the extension) and answers every question about the NICs of its type.
 *
 * Conventions:
 *  - Every entry point is an exported C function in the platform's standard
 *    calling convention (VELNET_CALL; __stdcall on Windows).
 *  - Values are 32-bit integers unless stated.
 *  - Strings are NUL-terminated 8-bit text written into the caller's buffer,
 *    whose size is fixed per entry point below. A library must not write past
 *    the buffer. The caller never trusts the library's NUL: it ends the buffer
 *    itself after the call, so a library that fills the whole buffer only
 *    loses its last byte.
 *  - Lists (summary, details, configuration items, options, statistics,
 *    tests) run from item 0 up to the first item whose entry point returns 0.
 *  - A "string id" names a string resource of the card-type library (read
 *    through ResourceString, below); 0 names no string. A "help id" is a
 *    context number of the program's help file.
 *
 * Resources: a card-type library offers its strings and bitmaps through the
 * two exports ResourceString and ResourceBitmap of platform/LibraryResources.h,
 * included here:
 *  - int32_t ResourceString(uint32_t id, char* buffer, int32_t bufferSize):
 *    as LoadString; copies at most bufferSize - 1 bytes and a NUL, returns the
 *    number of bytes copied, 0 when there is no such string. cardcheck reads
 *    library strings into a 300-byte buffer.
 *  - int32_t ResourceBitmap(const char* name, const unsigned char** bytes,
 *    uint32_t* size): as LoadBitmap; hands back the encoded image (PNG) of the
 *    bitmap `name`, owned by the library, and returns nonzero; 0 when there is
 *    no such bitmap. The colour of the top-left pixel is the transparent one.
 *
 * A card-type library may lack any entry point; cardcheck then never calls
 * it (see AdapterLibrary.h for what the program does instead).
 *
 * Threads: RunTest and EchoTest are called on worker threads. While RunTest
 * runs, TestHelp may be called on another thread. While EchoTest runs,
 * StatisticsValue, EchoState, NumberEchosReceived, LastEchoResponder,
 * LastEchoSender and EchoTest(VELNET_ECHO_STOP, 0) may be called on another
 * thread; the library must accept these calls at the same time, since the
 * program takes no lock.
 */
#ifndef CARDCHECK_ADAPTER_CONTRACT_H
#define CARDCHECK_ADAPTER_CONTRACT_H

#include "common/platform/LibraryResources.h"

#include <stdint.h>

/* Buffer sizes, in bytes, NUL included. */
#define VELNET_CARD_TYPE_SIZE 12 /* CardType */
#define VELNET_TEXT_SIZE 104     /* CardName and every value/option entry */
#define VELNET_ECHO_NAME_SIZE 44 /* LastEchoResponder, LastEchoSender */
#define VELNET_STRING_SIZE 300   /* what cardcheck reads a string id into */

/* Roles and states of the echo test. */
#define VELNET_ECHO_SEND 0    /* EchoTest role; EchoState: this computer sends */
#define VELNET_ECHO_RESPOND 1 /* EchoTest role; EchoState: this computer responds */
#define VELNET_ECHO_STOP 2    /* EchoTest command: end the running test */
#define VELNET_ECHO_IDLE 2    /* EchoState: no echo test running */

/* DisableDriver results. */
#define VELNET_DRIVER_OFFLINE 0         /* off line; put it back at exit */
#define VELNET_DRIVER_OFFLINE_RESTART 1 /* off line; a restart is needed */
#define VELNET_DRIVER_NO_ENABLE 2       /* nothing to put back at exit */
#define VELNET_DRIVER_FAILED 3          /* could not be taken off line */

#ifdef __cplusplus
extern "C" {
#endif

/* ---- nicport.dll -------------------------------------------------------- */

/* Prepares the hardware access. 0 = ready; anything else = failed. */
typedef int32_t(VELNET_CALL* NicportInitFn)(void);
/* Looks for NICs; returns how many were found. */
typedef uint32_t(VELNET_CALL* DiscoverCardsFn)(void);
/* Writes the type of NIC `nic` (0-based, below the DiscoverCards count) into
   `type` (VELNET_CARD_TYPE_SIZE bytes); nonzero = type written. */
typedef int32_t(VELNET_CALL* CardTypeFn)(int32_t nic, char* type);
/* Releases the hardware access at shutdown; result ignored. */
typedef int32_t(VELNET_CALL* NicportExitFn)(void);

/* ---- card-type library, in resolving order ------------------------------ */

/* Name of the library's card `card` (0, 1, ...) into `name`
   (VELNET_TEXT_SIZE bytes); nonzero = written. Lists the library's cards. */
typedef int32_t(VELNET_CALL* CardNameFn)(int32_t card, char* name);
/* Help id of card `card`. Resolved, never called by cardcheck. */
typedef int32_t(VELNET_CALL* CardHelpFn)(int32_t card);
/* Fixes the card that later item calls refer to. `flag` is 1 when cardcheck
   was started with "-inf" (first start after installation), else 0.
   0 = ok; > 0 = ok, and the result is a string id of a message to show;
   < 0 = failed, the low 12 bits are a string id of the message. */
typedef int32_t(VELNET_CALL* SelectCardFn)(int32_t card, int16_t flag);
/* Name of the bitmap resource that pictures the selected card, or NULL.
   The name belongs to the library. */
typedef const char*(VELNET_CALL* PictureFn)(void);
/* Name entries (summary, details, statistics, tests): the string id of item
   `item`'s name; 0 ends the list. */
typedef int32_t(VELNET_CALL* ItemNameFn)(int32_t item);
/* Value entries: the text of item `item` into `value` (VELNET_TEXT_SIZE
   bytes); nonzero = written. */
typedef int32_t(VELNET_CALL* ItemValueFn)(int32_t item, char* value);
/* Help entries: the help id of item `item`. */
typedef int32_t(VELNET_CALL* ItemHelpFn)(int32_t item);
/* String id of configuration item `item`'s name (0 ends the list); stores in
 *advanced a nonzero value when the item is an advanced one. */
typedef int32_t(VELNET_CALL* ConfigNameFn)(int32_t item, int16_t* advanced);
/* Text of option `option` of configuration item `item` into `text`
   (VELNET_TEXT_SIZE bytes); nonzero = written; 0 ends the options. */
typedef int32_t(VELNET_CALL* ConfigOptionFn)(int32_t item, int32_t option, char* text);
/* Chooses non-conflicting values for every item. 0 = done, else the string
   id of a message. */
typedef int32_t(VELNET_CALL* AutoConfigFn)(void);
/* Sets item `item` to option `option`. 0, or the string id of a message. */
typedef int32_t(VELNET_CALL* ChangeConfigValueFn)(int32_t item, int32_t option);
/* Runs self test `test` (on a worker thread). 0 = passed; anything else =
   failed, and a nonzero result is the string id of the failure text. */
typedef int32_t(VELNET_CALL* RunTestFn)(int32_t test);
/* Echo test. role VELNET_ECHO_SEND or VELNET_ECHO_RESPOND runs the test on
   the calling (worker) thread until it ends: a sender without `continuous`
   ends by itself after its burst, otherwise the test runs until another
   thread calls EchoTest(VELNET_ECHO_STOP, 0), which makes it return. A stop
   may reach the library just before the worker's call does; that test then
   ends at once (ClearStats forgets a stop still pending).
   0, or the string id of an error text. */
typedef int32_t(VELNET_CALL* EchoTestFn)(uint8_t role, int32_t continuous);
/* Zeroes the statistics and the echo counts; result ignored. */
typedef int32_t(VELNET_CALL* ClearStatsFn)(void);
/* VELNET_ECHO_SEND, VELNET_ECHO_RESPOND or VELNET_ECHO_IDLE. */
typedef uint8_t(VELNET_CALL* EchoStateFn)(void);
/* Name of the computer that last answered (responder) or last sent (sender)
   an echo, into `name` (VELNET_ECHO_NAME_SIZE bytes); result ignored. */
typedef int32_t(VELNET_CALL* EchoNameFn)(char* name);
/* Echoes sent / received by this computer since the last ClearStats. */
typedef uint32_t(VELNET_CALL* EchoCountFn)(void);
/* Takes the driver of the NIC at `position` of cardcheck's card list off
   line: one of the VELNET_DRIVER_ results. */
typedef int32_t(VELNET_CALL* DisableDriverFn)(int32_t position);
/* Puts the driver of the NIC at `position` back; 1 = a restart is needed. */
typedef int32_t(VELNET_CALL* EnableDriverFn)(int32_t position);

/* Declarations for the libraries themselves. */
VELNET_EXPORT int32_t VELNET_CALL NicportInit(void);
VELNET_EXPORT uint32_t VELNET_CALL DiscoverCards(void);
VELNET_EXPORT int32_t VELNET_CALL CardType(int32_t nic, char* type);
VELNET_EXPORT int32_t VELNET_CALL NicportExit(void);

VELNET_EXPORT int32_t VELNET_CALL CardName(int32_t card, char* name);
VELNET_EXPORT int32_t VELNET_CALL CardHelp(int32_t card);
VELNET_EXPORT int32_t VELNET_CALL SelectCard(int32_t card, int16_t flag);
VELNET_EXPORT const char* VELNET_CALL Picture(void);
VELNET_EXPORT int32_t VELNET_CALL CardSummaryName(int32_t item);
VELNET_EXPORT int32_t VELNET_CALL CardSummaryValue(int32_t item, char* value);
VELNET_EXPORT int32_t VELNET_CALL CardSummaryHelp(int32_t item);
VELNET_EXPORT int32_t VELNET_CALL CardDetailsName(int32_t item);
VELNET_EXPORT int32_t VELNET_CALL CardDetailsValue(int32_t item, char* value);
VELNET_EXPORT int32_t VELNET_CALL CardDetailsHelp(int32_t item);
VELNET_EXPORT int32_t VELNET_CALL ConfigName(int32_t item, int16_t* advanced);
VELNET_EXPORT int32_t VELNET_CALL ConfigOption(int32_t item, int32_t option, char* text);
VELNET_EXPORT int32_t VELNET_CALL ConfigValue(int32_t item, char* value);
VELNET_EXPORT int32_t VELNET_CALL AutoConfig(void);
VELNET_EXPORT int32_t VELNET_CALL ChangeConfigValue(int32_t item, int32_t option);
VELNET_EXPORT int32_t VELNET_CALL ConfigHelp(int32_t item);
VELNET_EXPORT int32_t VELNET_CALL StatisticsName(int32_t item);
VELNET_EXPORT int32_t VELNET_CALL StatisticsValue(int32_t item, char* value);
VELNET_EXPORT int32_t VELNET_CALL StatisticsHelp(int32_t item);
VELNET_EXPORT int32_t VELNET_CALL TestName(int32_t test);
VELNET_EXPORT int32_t VELNET_CALL RunTest(int32_t test);
VELNET_EXPORT int32_t VELNET_CALL TestHelp(int32_t test);
VELNET_EXPORT int32_t VELNET_CALL EchoTest(uint8_t role, int32_t continuous);
VELNET_EXPORT int32_t VELNET_CALL ClearStats(void);
VELNET_EXPORT uint8_t VELNET_CALL EchoState(void);
VELNET_EXPORT int32_t VELNET_CALL LastEchoResponder(char* name);
VELNET_EXPORT int32_t VELNET_CALL LastEchoSender(char* name);
VELNET_EXPORT uint32_t VELNET_CALL NumberEchosSent(void);
VELNET_EXPORT uint32_t VELNET_CALL NumberEchosReceived(void);
VELNET_EXPORT int32_t VELNET_CALL DisableDriver(int32_t position);
VELNET_EXPORT int32_t VELNET_CALL EnableDriver(int32_t position);

VELNET_EXPORT int32_t VELNET_CALL ResourceString(uint32_t id, char* buffer, int32_t bufferSize);
VELNET_EXPORT int32_t VELNET_CALL ResourceBitmap(const char* name, const unsigned char** bytes,
                                                 uint32_t* size);

#ifdef __cplusplus
}
#endif

/* Every entry point of a card-type library, in the order cardcheck resolves
 * them: X(name, pointer type, the name cardcheck's messages give it). The
 * program's slots and the libraries' export checks are made from this list.
 */
#define VELNET_CARD_ENTRY_POINTS(X)                                                                \
    X(CardName, CardNameFn, "CardName()")                                                          \
    X(CardHelp, CardHelpFn, "CardHelp()")                                                          \
    X(SelectCard, SelectCardFn, "SelectCard()")                                                    \
    X(Picture, PictureFn, "Picture()")                                                             \
    X(CardSummaryName, ItemNameFn, "CardSummaryName()")                                            \
    X(CardSummaryValue, ItemValueFn, "CardSummaryValue()")                                         \
    X(CardSummaryHelp, ItemHelpFn, "CardSummaryHelp()")                                            \
    X(CardDetailsName, ItemNameFn, "CardDetailsName()")                                            \
    X(CardDetailsValue, ItemValueFn, "CardDetailsValue()")                                         \
    X(CardDetailsHelp, ItemHelpFn, "CardDetailsHelp()")                                            \
    X(ConfigName, ConfigNameFn, "ConfigName()")                                                    \
    X(ConfigOption, ConfigOptionFn, "ConfigOption()")                                              \
    X(ConfigValue, ItemValueFn, "ConfigValue()")                                                   \
    X(AutoConfig, AutoConfigFn, "AutoConfig")                                                      \
    X(ChangeConfigValue, ChangeConfigValueFn, "ChangeConfigValue")                                 \
    X(ConfigHelp, ItemHelpFn, "ConfigHelp()")                                                      \
    X(StatisticsName, ItemNameFn, "StatisticsName()")                                              \
    X(StatisticsValue, ItemValueFn, "StatisticsValue()")                                           \
    X(StatisticsHelp, ItemHelpFn, "StatisticsHelp()")                                              \
    X(TestName, ItemNameFn, "TestName()")                                                          \
    X(RunTest, RunTestFn, "RunTest()")                                                             \
    X(TestHelp, ItemHelpFn, "TestHelp()")                                                          \
    X(EchoTest, EchoTestFn, "EchoTest()")                                                          \
    X(ClearStats, ClearStatsFn, "ClearStats()")                                                    \
    X(EchoState, EchoStateFn, "EchoState()")                                                       \
    X(LastEchoResponder, EchoNameFn, "LastEchoResponder()")                                        \
    X(LastEchoSender, EchoNameFn, "LastEchoSender()")                                              \
    X(NumberEchosSent, EchoCountFn, "NumberEchosSent()")                                           \
    X(NumberEchosReceived, EchoCountFn, "NumberEchosReceived()")                                   \
    X(DisableDriver, DisableDriverFn, "DisableDriver()")                                           \
    X(EnableDriver, EnableDriverFn, "EnableDriver()")

#ifdef __cplusplus
#include <type_traits>

/* Each declaration above has the type its list entry names. */
#define VELNET_CHECK_DECLARATION(name, type, display)                                              \
    static_assert(std::is_same_v<decltype(&::name), type>, #name " is declared with its type");
VELNET_CARD_ENTRY_POINTS(VELNET_CHECK_DECLARATION)
#undef VELNET_CHECK_DECLARATION
#endif

#endif
