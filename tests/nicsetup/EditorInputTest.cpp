// SPDX-License-Identifier: MIT
#include "nicsetup/AlertBits.h"
#include "nicsetup/ComboOrder.h"
#include "nicsetup/NumericInput.h"
#include "nicsetup/ParameterRows.h"
#include "nicsetup/Tables.h"

#include <gtest/gtest.h>

using namespace velnet::nicsetup;

namespace {

const char* const kWindowDigits = "Sampling Window Parameter Value can only be numeric ";
const char* const kWindowBound = "Sampling Window Parameter Value cannot exceed 65536";
const char* const kRatioBoundTyping = "Sampling Ratio Parameter Value cannot exceed 100%";
const char* const kRatioBoundOk = "Sampling Ratio parameter Value cannot exceed 100%";

NumericInput::Rule rule(unsigned row)
{
    const auto r = NumericInput::ruleFor(row);
    EXPECT_TRUE(r);
    return r.value_or(NumericInput::Rule{});
}

struct OkCase
{
    unsigned row;
    std::string text;
    const char* message; // nullptr: accepted
    std::uint32_t value;
};

} // namespace

// The dialog test drives the common cases through the editor; these are the
// ones about reading the number.
TEST(NumericInput, OkRejectsNumbersOfAnyLengthWithoutWrappingRound)
{
    const OkCase cases[] = {
        {1, "+5", kWindowDigits, 0},
        {1, "-70000", kWindowDigits, 0},
        {1, "4294967297", kWindowBound, 0},
        {1, "18446744073709551617", kWindowBound, 0},
        {1, std::string(79, '9'), kWindowBound, 0},
        {2, "4294967396", kRatioBoundOk, 0},
        {2, "0", nullptr, 0},
    };
    for (const OkCase& c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row) + " text \"" + c.text + "\"");
        const auto verdict = NumericInput::check(rule(c.row), c.text);
        EXPECT_EQ(verdict.accepted, c.message == nullptr);
        if (c.message)
            EXPECT_EQ(verdict.message, c.message);
        else
            EXPECT_EQ(verdict.value, c.value);
    }
}

TEST(NumericInput, OnlyTheFirst79CharactersCount)
{
    // An eightieth character is not read: neither its letter nor its digit.
    EXPECT_TRUE(NumericInput::check(rule(1), std::string(79, '0') + "x").accepted);
    EXPECT_EQ(NumericInput::check(rule(1), std::string(79, '0') + "7").value, 0u);
    EXPECT_EQ(NumericInput::check(rule(1), std::string(78, '0') + "7").value, 7u);
}

TEST(NumericInput, TypingShowsTheDigitsMessageOnceThenTestsTheBound)
{
    using Messages = std::vector<std::string>;
    EXPECT_EQ(NumericInput::typingMessages(rule(1), "12a"), Messages{kWindowDigits});
    EXPECT_EQ(NumericInput::typingMessages(rule(1), "1a2b3c"), Messages{kWindowDigits});
    EXPECT_EQ(NumericInput::typingMessages(rule(1), "70000x"),
              (Messages{kWindowDigits, kWindowBound}));
    EXPECT_EQ(NumericInput::typingMessages(rule(1), "65537"), Messages{kWindowBound});
    EXPECT_EQ(NumericInput::typingMessages(rule(1), "65536"), Messages{});
    EXPECT_EQ(NumericInput::typingMessages(rule(1), ""), Messages{});
    EXPECT_EQ(NumericInput::typingMessages(rule(2), "101"), Messages{kRatioBoundTyping});
    EXPECT_EQ(NumericInput::typingMessages(rule(2), " 200"),
              (Messages{"Sampling Ratio Parameter Value can only be numeric ", kRatioBoundTyping}));
    EXPECT_FALSE(NumericInput::ruleFor(0));
    EXPECT_FALSE(NumericInput::ruleFor(3));
}

TEST(NumericInput, LeadingNumberReadsLikeTheCLibraryWithoutOverflow)
{
    EXPECT_EQ(NumericInput::leadingNumber(""), 0);
    EXPECT_EQ(NumericInput::leadingNumber("abc"), 0);
    EXPECT_EQ(NumericInput::leadingNumber(" \t+42z"), 42);
    EXPECT_EQ(NumericInput::leadingNumber("-17"), -17);
    EXPECT_EQ(NumericInput::leadingNumber("--1"), 0);
    EXPECT_GT(NumericInput::leadingNumber(std::string(400, '9')), 65536);
    EXPECT_LT(NumericInput::leadingNumber("-" + std::string(400, '9')), 0);
}

TEST(ComboOrder, SortsAsTextIgnoringCase)
{
    std::vector<std::string> sorted;
    for (const char* s : {"2. b", "10. c", "1. a", "Off", "basic", "Enhanced"})
        sorted.insert(sorted.begin() + static_cast<long>(ComboOrder::insertPosition(sorted, s)), s);
    EXPECT_EQ(sorted,
              (std::vector<std::string>{"1. a", "10. c", "2. b", "basic", "Enhanced", "Off"}));
    // An equal text goes after the ones already there.
    EXPECT_EQ(ComboOrder::insertPosition({"a", "B", "c"}, "b"), 2u);
}

TEST(ComboOrder, FindsTheFirstEntryThatBeginsWithThePrefix)
{
    const std::vector<std::string> entries{"Basic", "Enhanced", "Off"};
    EXPECT_EQ(ComboOrder::findPrefix(entries, "basic"), 0u);
    EXPECT_EQ(ComboOrder::findPrefix(entries, "ENH"), 1u);
    EXPECT_EQ(ComboOrder::findPrefix(entries, "o"), 2u);
    EXPECT_EQ(ComboOrder::findPrefix(entries, ""), 0u);
    EXPECT_FALSE(ComboOrder::findPrefix(entries, "Basics"));
    EXPECT_FALSE(ComboOrder::findPrefix(entries, "Normal"));
    EXPECT_EQ(ComboOrder::findPrefix({"High", "Low", "Medium"}, "m"), 2u);
}

TEST(AlertBits, TogglesDecidedByTheFlagsAsShown)
{
    AlertBits::refresh(0);
    std::uint32_t alert = AlertBits::toggle(0, AlertBits::Information);
    EXPECT_EQ(alert, 1u);
    AlertBits::refresh(alert);
    alert = AlertBits::toggle(alert, AlertBits::Error);
    EXPECT_EQ(alert, 5u);
    AlertBits::refresh(alert);
    EXPECT_EQ(e1, 1u);
    EXPECT_EQ(e2, 0u);
    EXPECT_EQ(e3, 4u);
    alert = AlertBits::toggle(alert, AlertBits::Error);
    EXPECT_EQ(alert, 1u);

    // Off keeps only the other two kinds; on keeps every other bit.
    AlertBits::refresh(9);
    EXPECT_EQ(AlertBits::toggle(9, AlertBits::Information), 0u);
    EXPECT_EQ(AlertBits::toggle(9, AlertBits::Warning), 11u);
    AlertBits::refresh(0xF7);
    EXPECT_EQ(AlertBits::toggle(0xF7, AlertBits::Warning), 5u);
    EXPECT_EQ(AlertBits::toggle(0xF7, 3), 0xF7u);
}

TEST(ParameterRows, LabelsValuesAndNicLabels)
{
    clearTables();
    CARD_INFO& card = ETHCard[9];
    setText(card.SelfCheckLevel, "Basic");
    setText(card.ErrorTolerance, "High");
    card.SamplingWindow = 65536;
    card.SamplingRatio = 7;
    card.SlotNumber = 12;
    card.BusNumber = 3;

    const char* const labels[] = {"Self Check Level", "Sampling Window", "Sampling Ratio ",
                                  "Error Tolerance", "Alert Type"};
    const char* const values[] = {"Basic", "65536", "7", "High", "Off"};
    for (unsigned row = 0; row < ParameterRows::Count; ++row) {
        EXPECT_STREQ(ParameterRows::label(row), labels[row]);
        EXPECT_EQ(ParameterRows::value(card, row), values[row]);
    }

    const char* const alerts[] = {
        "Off",   "Information",       "Warning",       "Information/Warning",
        "Error", "Information/Error", "Warning/Error", "Information/Warning/Error"};
    for (std::uint32_t a = 0; a < 8; ++a) {
        card.AlertType = a;
        EXPECT_EQ(ParameterRows::value(card, ParameterRows::AlertType), alerts[a]);
    }
    card.AlertType = 9;
    EXPECT_EQ(ParameterRows::value(card, ParameterRows::AlertType), "");

    EXPECT_EQ(ParameterRows::nicLabel(card, 9),
              "10. Fast Velnet Server NIC [Run vxtest]  Slot 12  Bus 3");
    setText(card.Base_Mac_Address, "02:56:4E:00:00:0A");
    EXPECT_EQ(ParameterRows::nicLabel(card, 9),
              "10. Fast Velnet Server NIC [02:56:4E:00:00:0A]  Slot 12  Bus 3");
    setText(card.Base_Mac_Address, "bad");
    EXPECT_EQ(ParameterRows::nicLabel(card, 9), "10. Fast Velnet Server NIC [bad]  Slot 12  Bus 3");

    EXPECT_EQ(ParameterRows::choices(0), (std::vector<std::string>{"Off", "Basic", "Enhanced"}));
    EXPECT_EQ(ParameterRows::choices(3), (std::vector<std::string>{"Low", "Medium", "High"}));
    EXPECT_TRUE(ParameterRows::choices(1).empty());
}
