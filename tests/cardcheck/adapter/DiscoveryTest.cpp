// SPDX-License-Identifier: MIT
#include "tests/cardcheck/adapter/AdapterTestSupport.h"
#include "tests/support/GTestResponder.h"

#include <cstdlib>

namespace velnet::cardcheck::test {
namespace {

using ::testing::ElementsAre;

class DiscoveryTest : public AdapterTest
{
};

std::vector<std::string> names(const CardList& cards)
{
    std::vector<std::string> result;
    for (std::int32_t i = 0; i < cards.size(); ++i)
        result.push_back(cards.at(i)->name);
    return result;
}

TEST_F(DiscoveryTest, BuiltInScenarioHasTwoServerNicsOfOneTypeLoadedOnceForTheRun)
{
    ::unsetenv("NICPORT_SCENARIO");
    tracePath_ = temp_.file("trace.txt");
    ::setenv("NICPORT_TRACE", tracePath_.c_str(), 1);
    velnet::test::GTestResponder responder;
    std::string error;

    ASSERT_EQ(discover(error), 2);
    EXPECT_EQ(error, "");
    const CardList& cards = adapter().cards();
    for (std::int32_t i = 0; i < 2; ++i) {
        EXPECT_EQ(cards.at(i)->cardNumber, i);
        EXPECT_EQ(cards.at(i)->type, "VX410");
        EXPECT_EQ(cards.at(i)->libraryName, "VX410CFG");
        EXPECT_EQ(cards.at(i)->driverState, CardRecord::Untouched);
        EXPECT_EQ(cards.at(i)->name.rfind("Corvane Fast Velnet Server XL", 0), 0u);
    }
    // The one library stays loaded and is adopted, slots resolved.
    EXPECT_TRUE(adapter().libraryLoaded());
    EXPECT_EQ(adapter().currentLibraryName(), "VX410CFG");
    EXPECT_EQ(adapter().entryPoints().filled(), EntryPoints::count);

    std::string message;
    EXPECT_EQ(adapter().select(1, message), 1);
    EXPECT_EQ(adapter().select(0, message), 1);
    EXPECT_EQ(adapter().selectedCardNumber(), 0);
    adapter().putDriversBack();
    destroy();

    EXPECT_EQ(traced("load VX410CFG"), 1);
    EXPECT_EQ(traced("unload VX410CFG"), 1);
    EXPECT_EQ(traced("NicportExit"), 1);
    EXPECT_EQ(traced("unload nicport"), 1);
}

TEST_F(DiscoveryTest, TwoTypesAreEachLoadedOnceAndTheFirstSelectLoadsTheFirstAgain)
{
    useScenario("two-types.json");
    velnet::test::GTestResponder responder;
    std::string error;

    ASSERT_EQ(discover(error), 3);
    EXPECT_EQ(error, "");
    // Types in the order first seen, cards of a type by card number.
    EXPECT_THAT(names(adapter().cards()), ElementsAre("Corvane Fast Velnet Server XL PCI NIC",
                                                      "Corvane Fast Velnet Server XL PCI NIC #2",
                                                      "Corvane Velnet XL 10/100 PCI Desktop NIC"));
    EXPECT_EQ(adapter().cards().at(1)->cardNumber, 1);
    EXPECT_EQ(adapter().cards().at(2)->cardNumber, 0);
    EXPECT_EQ(adapter().cards().at(2)->libraryName, "VX210CFG");
    EXPECT_FALSE(adapter().libraryLoaded());
    EXPECT_THAT(trace(), ElementsAre("load nicport", "NicportInit", "load VX410CFG",
                                     "unload VX410CFG", "load VX210CFG", "unload VX210CFG"));

    std::string message;
    ASSERT_EQ(adapter().select(0, message), 1);
    EXPECT_EQ(adapter().currentLibraryName(), "VX410CFG");
    EXPECT_EQ(traced("load VX410CFG"), 2);
    EXPECT_EQ(adapter().CardSummaryValue(0), "00-A0-CC-4E-1F-02");

    // Same type: no new load, card 1 of the same library.
    ASSERT_EQ(adapter().select(1, message), 1);
    EXPECT_EQ(traced("load VX410CFG"), 2);
    EXPECT_EQ(adapter().CardSummaryValue(0), "00-A0-CC-4E-1F-03");

    // The other type: its library replaces the loaded one.
    ASSERT_EQ(adapter().select(2, message), 1);
    EXPECT_EQ(traced("unload VX410CFG"), 2);
    EXPECT_EQ(traced("load VX210CFG"), 2);
    EXPECT_EQ(adapter().selectedIndex(), 2);
    EXPECT_EQ(adapter().selectedCardNumber(), 0);
    EXPECT_EQ(adapter().CardSummaryValue(0), "00-A0-CC-2B-77-01");
}

TEST_F(DiscoveryTest, TypeListKeepsFirstSeenOrderAndDropsRepeats)
{
    useScenario("two-types.json");
    std::string error;
    discovery_.Discover(error);
    EXPECT_THAT(discovery_.typeList(), ElementsAre("VX410", "VX210"));
    EXPECT_EQ(discovery_.typeCount(), 2);
    EXPECT_FALSE(discovery_.keptLibraryLoaded());
    EXPECT_TRUE(discovery_.hardwareLibraryLoaded());
}

TEST_F(DiscoveryTest, CardTypeFailingAtTheFirstNicGives219AndNoRecords)
{
    useScenario("type-fails-first.json");
    std::string error = "earlier text";
    EXPECT_EQ(discover(error), 0);
    EXPECT_EQ(error, "Error, some NICs were discovered, but the type could not be resolved.");
    EXPECT_EQ(discovery_.typeCount(), 0);
    EXPECT_EQ(traced("load VX410CFG"), 0);
}

TEST_F(DiscoveryTest, CardTypeFailingLaterKeepsTheTypesFoundSoFar)
{
    useScenario("type-fails-later.json");
    std::string error;
    EXPECT_EQ(discover(error), 1);
    EXPECT_EQ(error, "");
    EXPECT_THAT(names(adapter().cards()), ElementsAre("Corvane Fast Velnet Server XL PCI NIC"));
    EXPECT_EQ(traced("load VX210CFG"), 0);
}

// Every failure text of discovery, with its inserts.
TEST_F(DiscoveryTest, FailureTexts)
{
    struct Case
    {
        const char* fixture;
        std::int32_t count;
        const char* text;
    };
    const Case cases[] = {
        {"nicport-missing.json", 0,
         "Error resolving the address of the function DiscoverCards() in the Library NICPORT.DLL"},
        {"nicport-init-fails.json", 0, "Error initializing the Library NICPORT.DLL"},
        {"no-nics.json", 0,
         "Error, there are no Corvane adapters installed in your computer that are supported by "
         "this program."},
        {"missing-card-library.json", 1, "Error loading the Library VX999CFG"},
        {"cardname-missing.json", 0,
         "Error resolving the address of the function CardName() in the Library VX410CFG"},
        {"unlisted.json", 1,
         "Error enumerating NICs.  The adapter specific DLL VX210CFG did not find any NICs "
         "present."},
        // CardType filled its 12 bytes without a NUL: 11 of them count.
        {"no-nul-type.json", 0, "Error loading the Library VX410ABCDEFCFG"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        useScenario(c.fixture);
        Discovery discovery;
        std::string error;
        EXPECT_EQ(discovery.Discover(error), c.count);
        EXPECT_EQ(error, c.text);
    }
}

TEST_F(DiscoveryTest, NicportMissingReportsTheFirstMissingEntryInOrder)
{
    useScenarioText(R"({ "nicport": { "missing": [ "CardType", "NicportInit" ] },
                         "nics": [ { "type": "VX410" } ] })");
    std::string error;
    EXPECT_EQ(discovery_.Discover(error), 0);
    EXPECT_EQ(
        error,
        "Error resolving the address of the function NicportInit() in the Library NICPORT.DLL");
    EXPECT_EQ(traced("NicportInit"), 0);
}

TEST_F(DiscoveryTest, SingleTypeWithoutCardNameStillKeepsItsLibrary)
{
    useScenario("cardname-missing.json");
    std::string error;
    EXPECT_EQ(discovery_.Discover(error), 0);
    EXPECT_TRUE(discovery_.keptLibraryLoaded());
    EXPECT_EQ(discovery_.keptLibraryName(), "VX410CFG");
}

TEST_F(DiscoveryTest, UnreadableScenarioMakesNicportInitFail)
{
    ::setenv("NICPORT_SCENARIO", temp_.file("absent.json").c_str(), 1);
    std::string error;
    EXPECT_EQ(discovery_.Discover(error), 0);
    EXPECT_EQ(error, "Error initializing the Library NICPORT.DLL");
}

} // namespace
} // namespace velnet::cardcheck::test
