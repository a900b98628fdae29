// SPDX-License-Identifier: MIT
#include "cardcheck/resources/StringTable.h"

#include "tests/support/ExpectedBox.h"
#include "tests/support/GTestResponder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>

namespace velnet::cardcheck {
namespace {

// The ids the program names (`ids::` in StringTable.h), read from the header
// itself so that a new id is checked without being listed again here, with
// the highest insert its comment documents ("// %1 function, %2 library").
struct NamedId
{
    std::string name;
    int id;
    int documentedInserts;
};

std::vector<NamedId> namedIds()
{
    const std::string header = velnet::test::readFile(VELNET_STRING_TABLE_HEADER);
    const std::regex constant(R"(constexpr int (\w+) = (\d+);([^\n]*))");
    const std::regex insert(R"(%(\d))");
    std::vector<NamedId> found;
    for (std::sregex_iterator it(header.begin(), header.end(), constant), end; it != end; ++it) {
        NamedId named{(*it)[1], std::stoi((*it)[2]), 0};
        const std::string comment = (*it)[3];
        for (std::sregex_iterator m(comment.begin(), comment.end(), insert); m != end; ++m)
            named.documentedInserts = std::max(named.documentedInserts, std::stoi((*m)[1]));
        found.push_back(named);
    }
    return found;
}

// The inserts %1, %2, ... a text holds.
std::set<int> insertsOf(std::string_view text)
{
    std::set<int> inserts;
    for (std::size_t at = text.find('%'); at != std::string_view::npos; at = text.find('%', at + 1))
        if (at + 1 < text.size() && text[at + 1] >= '1' && text[at + 1] <= '9')
            inserts.insert(text[at + 1] - '0');
    return inserts;
}

TEST(StringTableTest, EveryIdTheProgramNamesIsInTheTable)
{
    const auto named = namedIds();
    ASSERT_GT(named.size(), 40u) << "the header's ids were not found";
    std::map<std::string, int> byName;
    for (const NamedId& id : named) {
        byName[id.name] = id.id;
        EXPECT_TRUE(StringTable::find(id.id)) << id.name << " = " << id.id;
    }
    // A range named by its first and last id has every id between.
    int ranges = 0;
    for (const auto& [name, first] : byName) {
        if (!name.ends_with("First"))
            continue;
        const std::string lastName = name.substr(0, name.size() - 5) + "Last";
        ASSERT_TRUE(byName.contains(lastName)) << name;
        ++ranges;
        for (int id = first; id <= byName[lastName]; ++id)
            EXPECT_TRUE(StringTable::find(id)) << name << " range, " << id;
    }
    EXPECT_EQ(ranges, 3);
}

TEST(StringTableTest, NamedIdsAreUniqueAndOutsideEachOthersRanges)
{
    std::map<int, std::string> owner;
    for (const NamedId& id : namedIds())
        EXPECT_TRUE(owner.emplace(id.id, id.name).second)
            << id.name << " and " << owner[id.id] << " are both " << id.id;
    // Between a range's first and last id no other name may stand.
    for (auto it = owner.begin(); it != owner.end(); ++it) {
        if (!it->second.ends_with("First"))
            continue;
        auto next = std::next(it);
        ASSERT_NE(next, owner.end());
        const std::string range = it->second.substr(0, it->second.size() - 5);
        EXPECT_EQ(next->second, range + "Last") << it->second << " is followed by " << next->second;
    }
}

TEST(StringTableTest, EveryIdIsInTheProgramsRangeAndAbsentIdsLoadEmpty)
{
    const auto all = StringTable::allIds();
    ASSERT_FALSE(all.empty());
    EXPECT_GE(all.front(), 101);
    EXPECT_LE(all.back(), 222);
    for (const int id : all)
        EXPECT_FALSE(StringTable::load(id).empty()) << id;
    EXPECT_EQ(StringTable::find(223), std::nullopt);
    EXPECT_EQ(StringTable::load(100), "");
    EXPECT_EQ(StringTable::format(100, {"x"}), "");
}

// Inserts run %1, %2, ... without a gap, as many as the header documents,
// and format() fills every one of them.
TEST(StringTableTest, InsertsAreNumberedFromOneAndAllFilled)
{
    const char* const markers[] = {"<one>", "<two>", "<three>"};
    for (const int id : StringTable::allIds()) {
        const std::set<int> inserts = insertsOf(*StringTable::find(id));
        if (!inserts.empty()) {
            EXPECT_EQ(*inserts.rbegin(), static_cast<int>(inserts.size())) << id;
            ASSERT_LE(*inserts.rbegin(), 3) << id;
        }
        const std::string filled = StringTable::format(id, {markers[0], markers[1], markers[2]});
        EXPECT_TRUE(insertsOf(filled).empty()) << id << ": " << filled;
        for (const int n : inserts)
            EXPECT_NE(filled.find(markers[n - 1]), std::string::npos) << id << " %" << n;
    }
    for (const NamedId& named : namedIds()) {
        if (named.documentedInserts > 0) {
            EXPECT_EQ(insertsOf(*StringTable::find(named.id)).size(),
                      static_cast<std::size_t>(named.documentedInserts))
                << named.name;
        }
    }
}

TEST(StringTableTest, InsertedTextIsNotScannedAgain)
{
    EXPECT_EQ(StringTable::format(ids::ErrorLoadingString, {"%2", "100%", "%1"}),
              "Error loading a string in the function %2.  Library = 100%, Resource ID = %1.");
}

// The report lines are indented and padded with blanks that must survive:
// the node status and problem lines by two, the status flags under them by
// four; the problem label also ends in two.
TEST(StringTableTest, ReportTextsKeepTheirBlanks)
{
    auto leading = [](int id) {
        const std::string text = StringTable::load(id);
        return text.find_first_not_of(' ');
    };
    EXPECT_EQ(leading(ids::NodeStatus), 2u);
    EXPECT_EQ(leading(ids::Problem), 2u);
    EXPECT_TRUE(StringTable::load(ids::Problem).ends_with(":  "));
    EXPECT_EQ(leading(ids::Irq), 2u);
    for (int id = ids::StatusFlagFirst; id <= ids::StatusFlagLast; ++id)
        EXPECT_EQ(leading(id), 4u) << id;
    for (int id = ids::ProblemFirst; id <= ids::ProblemLast; ++id)
        EXPECT_EQ(leading(id), 0u) << id;
}

// The caption is the title with its doubled blank.
TEST(StringTableTest, AppMessageBoxCarriesTheTitle)
{
    velnet::test::GTestResponder responder;
    responder.expect(velnet::test::cardcheckBox("Your driver could not be disabled."));
    appMessageBox(StringTable::load(ids::DriverNotDisabled));
}

} // namespace
} // namespace velnet::cardcheck
