// SPDX-License-Identifier: MIT
#include "cardcheck/ui/ProgramState.h"
#include "tests/cardcheck/adapter/AdapterTestSupport.h"
#include "tests/support/ExpectedBox.h"
#include "tests/support/GTestResponder.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace velnet::cardcheck::test {
namespace {

using velnet::test::cardcheckBox;
using namespace velnet::ui;

class WrapperTest : public AdapterTest
{
protected:
    void selectFirst(const std::string& fixture)
    {
        useScenario(fixture);
        discoverAndSelectFirst();
    }
};

TEST_F(WrapperTest, NameAndValueWrappersListUntilNoText)
{
    ASSERT_NO_FATAL_FAILURE(selectFirst("lists.json"));
    velnet::test::GTestResponder responder;
    EXPECT_EQ(adapter().CardSummaryName(0), "Network Address");
    EXPECT_EQ(adapter().CardSummaryValue(0), "00-A0-CC-4E-1F-02");
    EXPECT_EQ(adapter().CardSummaryHelp(0), 393216);
    EXPECT_EQ(adapter().CardSummaryName(1), "Link Status");
    EXPECT_EQ(adapter().CardSummaryName(3), std::nullopt);
    EXPECT_EQ(adapter().CardSummaryValue(3), std::nullopt);

    std::int32_t advanced = -1;
    EXPECT_EQ(adapter().ConfigName(0, advanced), "Media Type");
    EXPECT_EQ(advanced, 0);
    EXPECT_EQ(adapter().ConfigName(1, advanced), "Transmit Threshold");
    EXPECT_EQ(advanced, 1);
    EXPECT_EQ(adapter().ConfigName(3, advanced), std::nullopt);
    EXPECT_EQ(adapter().ConfigValue(0), "10BASE-T");
    EXPECT_EQ(adapter().ConfigOption(0, 2), "100BASE-TX");
    EXPECT_EQ(adapter().ConfigOption(0, 3), std::nullopt);
    EXPECT_EQ(adapter().TestName(1), "Internal Loopback Test");
    EXPECT_EQ(adapter().TestName(2), std::nullopt);
}

TEST_F(WrapperTest, NameThatDoesNotLoadShows106AndYieldsNoText)
{
    ASSERT_NO_FATAL_FAILURE(selectFirst("lists.json"));
    velnet::test::GTestResponder responder;
    responder.expect(cardcheckBox("Error loading a string in the function CardSummaryName().  "
                                  "Library = VX410CFG, Resource ID = 3997."));
    EXPECT_EQ(adapter().CardSummaryName(2), std::nullopt);
}

TEST_F(WrapperTest, LoadStringWithAnyDisplayName)
{
    ASSERT_NO_FATAL_FAILURE(selectFirst("lists.json"));
    velnet::test::GTestResponder responder;
    EXPECT_EQ(adapter().loadString(0, "RIDtoCstring"), std::nullopt);
    responder.expect("Error loading a string in the function RIDtoCstring.  Library = VX410CFG, "
                     "Resource ID = 4000.");
    EXPECT_EQ(adapter().RIDtoCstring(4000), std::nullopt);

    const std::int32_t failure = adapter().RunTest(1);
    ASSERT_NE(failure, 0);
    EXPECT_EQ(adapter().RIDtoCstring(failure),
              "The internal loopback test failed.  The NIC may be faulty.");
    EXPECT_EQ(adapter().RunTest(0), 0);
}

TEST_F(WrapperTest, AutoConfigureAndChangeValueMarkTheConfigurationChanged)
{
    ASSERT_NO_FATAL_FAILURE(selectFirst("lists.json"));
    velnet::test::GTestResponder responder;
    responder.expect(cardcheckBox("Optimal values could not be found for every setting."));
    adapter().autoConfigure();
    EXPECT_EQ(adapter().configurationChanged(), 1);
    EXPECT_EQ(adapter().ConfigValue(0), "Auto Select");

    state_.configurationChanged = 0;
    responder.expect("The configuration was changed.  Restart Windows for it to take effect.");
    adapter().changeValue(0, 2);
    EXPECT_EQ(adapter().configurationChanged(), 1);
    EXPECT_EQ(adapter().ConfigValue(0), "100BASE-TX");

    // A change without a message: nothing shown, still marked.
    state_.configurationChanged = 0;
    adapter().changeValue(2, 1);
    EXPECT_EQ(adapter().configurationChanged(), 1);
    EXPECT_EQ(adapter().ConfigValue(2), "On");
}

TEST_F(WrapperTest, AutoConfigureSuccessShowsText110WithTheInformationIcon)
{
    ASSERT_EQ(discoverIn("two-types.json"), 3);
    std::string message;
    ASSERT_EQ(adapter().select(0, message), 1);
    velnet::test::GTestResponder responder;
    responder.expect(cardcheckBox("Your NIC has been automatically configured successfully..",
                                  Buttons::Ok, Icon::Information));
    adapter().autoConfigure();
    EXPECT_EQ(adapter().configurationChanged(), 1);
}

TEST_F(WrapperTest, PictureIsTheLibrarysPngOrNothing)
{
    ASSERT_NO_FATAL_FAILURE(selectFirst("lists.json"));
    const auto picture = adapter().picture();
    ASSERT_TRUE(picture);
    ASSERT_GT(picture->size(), 8u);
    EXPECT_EQ(std::string(picture->begin() + 1, picture->begin() + 4), "PNG");
    EXPECT_EQ(adapter().pictureBitmap(), *picture);

    std::string message;
    ASSERT_EQ(adapter().select(1, message), 1);
    EXPECT_EQ(adapter().picture(), std::nullopt);
    EXPECT_TRUE(adapter().pictureBitmap().empty());
}

TEST_F(WrapperTest, StatisticsRiseOverTimeAndClearStatsStartsAgain)
{
    ASSERT_EQ(discoverIn("two-types.json"), 3);
    std::string message;
    ASSERT_EQ(adapter().select(0, message), 1);
    ASSERT_EQ(adapter().StatisticsName(0), "Frames Transmitted OK");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const int before = std::stoi(adapter().StatisticsValue(0).value_or("-1"));
    EXPECT_GE(before, 40); // 183 frames a second
    adapter().ClearStats();
    EXPECT_LT(std::stoi(adapter().StatisticsValue(0).value_or("-1")), before);
    EXPECT_EQ(adapter().StatisticsValue(3), "0"); // errors stay at 0
}

TEST_F(WrapperTest, ProgramWideObjectLivesFromCreateToDestroy)
{
    useScenario("two-types.json");
    Discovery discovery;
    std::string error;
    ASSERT_EQ(discovery.Discover(error), 3);
    EXPECT_EQ(theAdapterLibrary(), nullptr);
    AdapterLibrary& created = createAdapterLibrary(std::move(discovery));
    EXPECT_EQ(theAdapterLibrary(), &created);
    EXPECT_EQ(&created.state(), &bindingState());
    std::string message;
    EXPECT_EQ(created.select(2, message), 1);
    EXPECT_EQ(bindingState().selectedIndex, 2);
    destroyAdapterLibrary();
    EXPECT_EQ(theAdapterLibrary(), nullptr);
    EXPECT_EQ(traced("unload VX210CFG"), 2);
    EXPECT_EQ(traced("NicportExit"), 1);
    ProgramState::current().reset();
}

TEST_F(WrapperTest, LibraryWithoutItsStringTableGivesText106)
{
    useScenarioText(R"({ "types": { "VX410": { "missing": [ "ResourceString" ] } },
                         "nics": [ { "type": "VX410" } ] })");
    std::string error;
    ASSERT_EQ(discover(error), 1);
    std::string message;
    ASSERT_EQ(adapter().select(0, message), 1);
    velnet::test::GTestResponder responder;
    responder.expect(cardcheckBox(
        "Error loading a string in the function TestName().  Library = VX410CFG, Resource ID = " +
        std::to_string(adapter().entryPoints().TestName(0)) + "."));
    EXPECT_EQ(adapter().TestName(0), std::nullopt);
    // The values need no string table.
    EXPECT_EQ(adapter().CardSummaryValue(0), "00-A0-CC-4E-1F-00");
}

// A library that fills every 104-byte buffer without a NUL: the wrappers
// read 103 bytes and no more (the sanitizer build would see an overread).
TEST_F(WrapperTest, FullBufferWithoutNulIsCutAt103Bytes)
{
    ASSERT_EQ(discoverIn("no-nul.json"), 1);
    const std::string name = "Corvane Fast Velnet Server XL PCI NIC with a name far longer than "
                             "the one hundred and four bytes of the buffer";
    EXPECT_EQ(adapter().cardName(0), name.substr(0, 103));
    std::string message;
    ASSERT_EQ(adapter().select(0, message), 1);
    const auto value = adapter().CardSummaryValue(0);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->size(), 103u);
    EXPECT_EQ(value->substr(95), "56789ABC");
    // A short text: the library pads the whole buffer, we still stop at 103.
    const auto echoName = adapter().LastEchoResponder();
    EXPECT_EQ(echoName, std::string(43, ' '));
}

std::string allEntryPoints()
{
    return R"([ "CardName", "CardHelp", "SelectCard", "Picture", "CardSummaryName",
        "CardSummaryValue", "CardSummaryHelp", "CardDetailsName", "CardDetailsValue",
        "CardDetailsHelp", "ConfigName", "ConfigOption", "ConfigValue", "AutoConfig",
        "ChangeConfigValue", "ConfigHelp", "StatisticsName", "StatisticsValue", "StatisticsHelp",
        "TestName", "RunTest", "TestHelp", "EchoTest", "ClearStats", "EchoState",
        "LastEchoResponder", "LastEchoSender", "NumberEchosSent", "NumberEchosReceived",
        "DisableDriver", "EnableDriver" ])";
}

// Every wrapper, when its slot is empty: the decided answers, no call, no box.
void expectMissingBehaviour(AdapterLibrary& a, BindingState& state)
{
    std::int32_t advanced = 7;
    EXPECT_EQ(a.CardSummaryName(0), std::nullopt);
    EXPECT_EQ(a.CardDetailsName(0), std::nullopt);
    EXPECT_EQ(a.ConfigName(0, advanced), std::nullopt);
    EXPECT_EQ(advanced, 0);
    EXPECT_EQ(a.StatisticsName(0), std::nullopt);
    EXPECT_EQ(a.TestName(0), std::nullopt);
    EXPECT_EQ(a.CardSummaryValue(0), std::nullopt);
    EXPECT_EQ(a.CardDetailsValue(0), std::nullopt);
    EXPECT_EQ(a.ConfigValue(0), std::nullopt);
    EXPECT_EQ(a.ConfigOption(0, 0), std::nullopt);
    EXPECT_EQ(a.StatisticsValue(0), std::nullopt);
    EXPECT_EQ(a.CardSummaryHelp(0), 0);
    EXPECT_EQ(a.CardDetailsHelp(0), 0);
    EXPECT_EQ(a.ConfigHelp(0), 0);
    EXPECT_EQ(a.StatisticsHelp(0), 0);
    EXPECT_EQ(a.TestHelp(0), 0);
    EXPECT_EQ(a.RunTest(0), AdapterLibrary::kMissingEntry);
    EXPECT_EQ(a.EchoTest(VELNET_ECHO_SEND, 0), AdapterLibrary::kMissingEntry);
    EXPECT_EQ(a.RIDtoCstring(AdapterLibrary::kMissingEntry), std::nullopt);
    EXPECT_EQ(a.EchoState(), VELNET_ECHO_IDLE);
    EXPECT_EQ(a.ClearStats(), 0);
    EXPECT_EQ(a.DisableDriver(0), VELNET_DRIVER_NO_ENABLE);
    EXPECT_EQ(a.EnableDriver(0), 0);
    EXPECT_EQ(a.LastEchoResponder(), "");
    EXPECT_EQ(a.LastEchoSender(), "");
    EXPECT_EQ(a.NumberEchosSent(), "0");
    EXPECT_EQ(a.NumberEchosReceived(), "0");
    EXPECT_EQ(a.picture(), std::nullopt);
    state.configurationChanged = 0;
    a.autoConfigure();
    a.changeValue(0, 0);
    EXPECT_EQ(state.configurationChanged, 0);
}

TEST_F(WrapperTest, LibraryLackingEveryEntryPointIsNeverCalled)
{
    useScenarioText(R"({ "types": { "VX410": { "missing": )" + allEntryPoints() +
                    R"( } }, "nics": [ { "type": "VX410" } ] })");
    velnet::test::GTestResponder responder;
    Discovery discovery;
    std::string error;
    EXPECT_EQ(discovery.Discover(error), 0); // no CardName: no NICs
    EXPECT_TRUE(discovery.keptLibraryLoaded());
    // Pretend discovery had listed one: adopt the kept library anyway.
    AdapterLibrary a(std::move(discovery), state_);
    EXPECT_TRUE(a.libraryLoaded());
    EXPECT_EQ(a.entryPoints().filled(), 0);
    expectMissingBehaviour(a, state_);
}

// The mended fault: a failed load leaves no slot pointing into the library
// freed before it.
TEST_F(WrapperTest, FailedLoadOfAnotherTypeLeavesNoStaleEntryPoint)
{
    // Private copies of the libraries, so that one can be taken away.
    namespace fs = std::filesystem;
    const std::string libs = temp_.file("lib");
    fs::create_directory(libs);
    for (const char* name : {"nicport.so", "vx410cfg.so", "vx210cfg.so"})
        fs::copy_file(fs::path(VELNET_BINARY_DIR) / "lib/velnet/simulated" / name,
                      fs::path(libs) / name);
    const std::string previous = std::getenv("VELNET_LIBRARY_PATH");
    ::setenv("VELNET_LIBRARY_PATH", libs.c_str(), 1);
    useScenario("two-types.json");

    std::string error;
    ASSERT_EQ(discover(error), 3);
    std::string message;
    ASSERT_EQ(adapter().select(0, message), 1);
    ASSERT_EQ(adapter().entryPoints().filled(), EntryPoints::count);

    // The desktop type's library can no longer be loaded.
    fs::remove(fs::path(libs) / "vx210cfg.so");
    velnet::test::writeFile(libs + "/vx210cfg.so", "not a library");
    message = "kept";
    EXPECT_EQ(adapter().select(2, message), 0);
    EXPECT_EQ(message, "kept");
    EXPECT_FALSE(adapter().libraryLoaded());
    EXPECT_EQ(adapter().entryPoints().filled(), 0);
    EXPECT_EQ(adapter().currentLibraryName(), "VX210CFG");
    EXPECT_EQ(traced("unload VX410CFG"), 2); // really gone, not just forgotten

    velnet::test::GTestResponder responder;
    responder.expect("Error loading a string in the function RIDtoCstring.  Library = VX210CFG, "
                     "Resource ID = 12.");
    EXPECT_EQ(adapter().RIDtoCstring(12), std::nullopt);
    expectMissingBehaviour(adapter(), state_);

    // Put back: the server NIC's library loads again for its EnableDriver.
    adapter().putDriversBack();
    EXPECT_EQ(traced("VX410CFG EnableDriver 0"), 1);
    ::setenv("VELNET_LIBRARY_PATH", previous.c_str(), 1);
}

} // namespace
} // namespace velnet::cardcheck::test
