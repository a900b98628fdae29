// SPDX-License-Identifier: MIT
#include "cardcheck/adapter/AdapterContract.h"
#include "common/platform/DynamicLibrary.h"
#include "tests/cardcheck/adapter/AdapterTestSupport.h"
#include "tests/support/GTestResponder.h"

#include <gtest/gtest.h>

namespace velnet::cardcheck::test {
namespace {

// A scenario may name a string id wherever it gives a text, and a value of
// the wrong kind must stop the simulation with a message, never the program.
class ScenarioValueTest : public AdapterTest
{
protected:
    void selectFirst(const std::string& scenario)
    {
        useScenarioText(scenario);
        discoverAndSelectFirst();
    }

    // Discovery of a scenario the libraries refuse: what it says on stderr.
    std::string refusedScenario(const std::string& scenario)
    {
        useScenarioText(scenario);
        std::string error;
        ::testing::internal::CaptureStderr();
        const std::int32_t n = discovery_.Discover(error);
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(n, 0);
        EXPECT_EQ(error, "Error initializing the Library NICPORT.DLL");
        return said;
    }
};

TEST_F(ScenarioValueTest, NumbersNameStringIdsInEveryTextTheLibraryWrites)
{
    ASSERT_NO_FATAL_FAILURE(selectFirst(R"({
      "types": { "VX410": { "strings": { "3001": "Half", "3002": "Full", "3003": "Named NIC",
                                         "3004": "Summary text" } } },
      "nics": [ { "type": "VX410", "name": 3003,
                  "summary": [ { "name": "Duplex", "value": 3004 } ],
                  "details": [ { "name": 3002, "value": 3001 } ],
                  "config": [ { "name": "Duplex", "options": [ 3001, 3002, 3999 ], "value": 3002 } ],
                  "tests": [ { "name": 3001, "failure": 3002 } ] } ]
    })"));
    velnet::test::GTestResponder responder;
    std::int32_t advanced = -1;
    EXPECT_EQ(adapter().ConfigName(0, advanced), "Duplex");
    EXPECT_EQ(adapter().ConfigOption(0, 0), "Half");
    EXPECT_EQ(adapter().ConfigOption(0, 1), "Full");
    // An id the library does not have gives an empty text.
    EXPECT_EQ(adapter().ConfigOption(0, 2), "");
    EXPECT_EQ(adapter().ConfigValue(0), "Full");
    EXPECT_EQ(adapter().CardSummaryValue(0), "Summary text");
    EXPECT_EQ(adapter().CardDetailsName(0), "Full");
    EXPECT_EQ(adapter().CardDetailsValue(0), "Half");
    EXPECT_EQ(adapter().TestName(0), "Half");
    EXPECT_EQ(adapter().RIDtoCstring(adapter().RunTest(0)), "Full");
}

// The string table holds ids 1000-3999: a scenario with more texts loads,
// the texts past the table's end are left empty.
TEST_F(ScenarioValueTest, TextsPastTheStringTableAreEmptyNotFatal)
{
    std::string items;
    for (int i = 0; i < 3001; ++i)
        items += std::string(i ? "," : "") + R"({"name": "Item )" + std::to_string(i) + R"("})";
    ASSERT_NO_FATAL_FAILURE(
        selectFirst(R"({"nics": [ {"type": "VX410", "config": [)" + items + "]} ]}"));
    std::int32_t advanced = -1;
    EXPECT_EQ(adapter().ConfigName(0, advanced), "Item 0");
    EXPECT_EQ(adapter().ConfigName(3000, advanced), std::nullopt);
}

TEST_F(ScenarioValueTest, ValueOfTheWrongKindIsReportedWithWhereItIs)
{
    const struct
    {
        const char* scenario;
        const char* where;
    } cases[] = {
        {R"({"nics": [ {"type": "VX410", "config": [ {"name": "A", "options": [true]} ]} ]})",
         "nics[0].config[0].options[0] must be a text or a string id"},
        {R"({"nics": [ {"type": "VX410", "config": [ {"name": "A", "options": "x"} ]} ]})",
         "nics[0].config[0].options must be a list"},
        {R"({"nics": [ {"type": "VX410", "name": ["x"]} ]})",
         "nics[0].name must be a text or a string id"},
        {R"({"nics": [ {"type": "VX410"}, {"type": "VX410", "tests": [ {"durationMs": "long"} ]} ]})",
         "nics[1].tests[0].durationMs must be a whole number"},
        {R"({"nics": [ {"type": "VX410", "statistics": [ {"rate": "fast"} ]} ]})",
         "nics[0].statistics[0].rate must be a number"},
        {R"({"nics": [ {"type": "VX410", "config": [ {"advanced": 1} ]} ]})",
         "nics[0].config[0].advanced must be true or false"},
        {R"({"nics": [ {"type": "VX410", "picture": 7} ]})",
         "nics[0].picture must be a name or null"},
        {R"({"nics": [ {"type": "VX410", "select": "yes"} ]})",
         "nics[0].select must be a number or {\"ok\"|\"fail\": text}"},
        {R"({"nics": [ {"type": 4} ]})", "nics[0].type must be a name"},
        {R"({"types": {"VX410": {"strings": {"x1": "text"}}}, "nics": [ {"type": "VX410"} ]})",
         "types.VX410.strings: x1 is not a string id"},
        {R"({"echo": {"port": "any"}, "nics": [ {"type": "VX410"} ]})",
         "echo.port must be a whole number"},
        {R"({"echo": {"peer": "127.0.0.1:port"}, "nics": [ {"type": "VX410"} ]})",
         "echo.peer must be host:port"},
        {R"({"nicport": {"missing": [1]}, "nics": [ {"type": "VX410"} ]})",
         "nicport.missing[0] must be a name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        const std::string said = refusedScenario(c.scenario);
        EXPECT_NE(said.find(c.where), std::string::npos) << said;
    }
}

TEST_F(ScenarioValueTest, CardTypeLibraryOfARefusedScenarioListsNoNic)
{
    useScenarioText(R"({"nics": [ {"type": "VX410", "config": [ {"options": [false]} ]} ]})");
    velnet::platform::DynamicLibrary library;
    const auto loaded = library.load("VX410CFG");
    ASSERT_TRUE(loaded.ok()) << loaded.error();
    const auto cardName = library.resolve<std::int32_t (*)(std::int32_t, char*)>("CardName");
    ASSERT_NE(cardName, nullptr);
    char name[VELNET_TEXT_SIZE] = "untouched";
    EXPECT_EQ(cardName(0, name), 0);
}

} // namespace
} // namespace velnet::cardcheck::test
