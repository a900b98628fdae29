// SPDX-License-Identifier: MIT
#include "tests/cardcheck/adapter/AdapterTestSupport.h"
#include "tests/support/GTestResponder.h"

namespace velnet::cardcheck::test {
namespace {

using ::testing::ElementsAre;

class SelectTest : public AdapterTest
{
};

TEST_F(SelectTest, NegativeResultFailsWithTheStringOfItsLow12Bits)
{
    velnet::test::GTestResponder responder; // no box may appear
    ASSERT_EQ(discoverIn("select-results.json"), 4);

    std::string message = "before";
    EXPECT_EQ(adapter().select(0, message), 0);
    EXPECT_EQ(message, "The NIC is not responding.  Check that it is seated firmly in its slot.");
}

TEST_F(SelectTest, PositiveResultSucceedsAndCarriesItsString)
{
    velnet::test::GTestResponder responder;
    ASSERT_EQ(discoverIn("select-results.json"), 4);

    std::string message;
    EXPECT_EQ(adapter().select(1, message), 1);
    EXPECT_EQ(message, "The NIC's driver is now off line for diagnostics.");
    EXPECT_EQ(adapter().selectedIndex(), 1);
    EXPECT_EQ(state_.selectedIndex, 1);
    EXPECT_EQ(adapter().selectedCardNumber(), 1);
}

TEST_F(SelectTest, MessageThatDoesNotLoadBecomesText106WithoutABox)
{
    velnet::test::GTestResponder responder;
    ASSERT_EQ(discoverIn("select-results.json"), 4);

    std::string message;
    EXPECT_EQ(adapter().select(2, message), 0);
    EXPECT_EQ(message, "Error loading a string in the function SetAdapter().  Library = VX410CFG, "
                       "Resource ID = 3998.");
}

TEST_F(SelectTest, ZeroResultLeavesTheMessageAndPassesTheWelcomeFlag)
{
    ASSERT_EQ(discoverIn("select-results.json"), 4);

    std::string message = "kept";
    EXPECT_EQ(adapter().select(3, message), 1);
    EXPECT_EQ(message, "kept");
    adapter().setWelcomeMode(true);
    EXPECT_EQ(adapter().select(3, message), 1);
    EXPECT_EQ(traced("VX410CFG SelectCard 3 0"), 1);
    EXPECT_EQ(traced("VX410CFG SelectCard 3 1"), 1);
}

TEST_F(SelectTest, IndexOutOfRangeFailsWithoutCallingTheLibrary)
{
    ASSERT_EQ(discoverIn("select-results.json"), 4);
    std::string message = "kept";
    EXPECT_EQ(adapter().select(4, message), 0);
    EXPECT_EQ(adapter().select(-1, message), 0);
    EXPECT_EQ(message, "kept");
    EXPECT_EQ(adapter().cardName(4), std::nullopt);
    EXPECT_EQ(adapter().cardName(3), "Quiet NIC");
    for (const auto& line : trace())
        EXPECT_EQ(line.find("SelectCard"), std::string::npos) << line;
}

TEST_F(SelectTest, DriverStepFollowsDisableDriver)
{
    velnet::test::GTestResponder responder;
    ASSERT_EQ(discoverIn("driver-results.json"), 4);
    const CardList& cards = adapter().cards();
    std::string message;

    // 3: fails with text 217, record untouched, asked again next time.
    EXPECT_EQ(adapter().select(0, message), 0);
    EXPECT_EQ(message, "Your driver could not be disabled.");
    EXPECT_EQ(cards.at(0)->driverState, CardRecord::Untouched);
    EXPECT_EQ(traced("VX410CFG SelectCard 0 0"), 0);
    message.clear();
    EXPECT_EQ(adapter().select(0, message), 0);
    EXPECT_EQ(traced("VX410CFG DisableDriver 0"), 2);

    // 1: off line, restart needed, nothing to put back.
    EXPECT_EQ(adapter().select(1, message), 1);
    EXPECT_EQ(cards.at(1)->driverState, CardRecord::Handled);
    EXPECT_EQ(adapter().restartNeeded(), 1);

    // 2: nothing to put back. 0: put back at exit.
    EXPECT_EQ(adapter().select(2, message), 1);
    EXPECT_EQ(cards.at(2)->driverState, CardRecord::Handled);
    EXPECT_EQ(adapter().select(3, message), 1);
    EXPECT_EQ(cards.at(3)->driverState, CardRecord::PutBackAtExit);

    // Once handled, a record is never disabled again.
    EXPECT_EQ(adapter().select(3, message), 1);
    EXPECT_EQ(traced("VX410CFG DisableDriver 3"), 1);

    adapter().putDriversBack();
    EXPECT_EQ(traced("VX410CFG EnableDriver 3"), 1);
    EXPECT_EQ(traced("VX410CFG EnableDriver 1"), 0);
    EXPECT_EQ(traced("VX410CFG EnableDriver 2"), 0);
}

TEST_F(SelectTest, PutDriversBackAcrossTwoTypes)
{
    velnet::test::GTestResponder responder;
    ASSERT_EQ(discoverIn("put-back-two-types.json"), 4);
    // List: Server NIC A, Server NIC B, Server NIC C (VX410), Desktop NIC (VX210).
    std::string message;
    for (std::int32_t i = 0; i < 4; ++i)
        ASSERT_EQ(adapter().select(i, message), 1) << i;
    ASSERT_EQ(adapter().select(0, message), 1);
    EXPECT_EQ(adapter().restartNeeded(), 0);
    const auto before = trace().size();

    adapter().putDriversBack();

    const auto lines = trace();
    const std::vector<std::string> putBack(lines.begin() + static_cast<long>(before), lines.end());
    // VX410 is loaded: positions 0 and 2 directly (1 was never off line),
    // then VX210 is loaded for position 3, and stays loaded.
    EXPECT_THAT(putBack,
                ElementsAre("VX410CFG EnableDriver 0", "VX410CFG EnableDriver 2", "unload VX410CFG",
                            "load VX210CFG", "VX210CFG EnableDriver 3"));
    EXPECT_EQ(adapter().restartNeeded(), 1); // the desktop NIC asked for it
    EXPECT_EQ(adapter().currentLibraryName(), "VX210CFG");
    EXPECT_TRUE(adapter().libraryLoaded());
    // Selection untouched.
    EXPECT_EQ(adapter().selectedIndex(), 0);
    EXPECT_EQ(adapter().selectedCardNumber(), 0);
}

} // namespace
} // namespace velnet::cardcheck::test
