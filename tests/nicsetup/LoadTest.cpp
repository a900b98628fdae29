// SPDX-License-Identifier: MIT
#include "nicsetup/ConfigLoader.h"
#include "nicsetup/Tables.h"
#include "tests/nicsetup/HiveTestSupport.h"
#include "tests/support/ExpectedBox.h"
#include "tests/support/GTestResponder.h"

#include <cstddef>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace velnet::nicsetup;
using namespace velnet::nicsetup::test;
using namespace velnet::test;
using namespace velnet::ui;

namespace {

const char* const kDot = "Registry Corrupted. Remove all Velnet NICs and reinstall.";
const char* const kNoDot = "Registry Corrupted. Remove all Velnet NICs and reinstall";
const char* const kFailover = " Registry Corrupted. Remove all Velnet NICs and reinstall";

int markCount()
{
    int marks = 0;
    for (const auto& row : RL_INFO)
        for (const auto mark : row)
            marks += mark != 0;
    return marks;
}

bool isAllZero(const CARD_INFO& card)
{
    static const CARD_INFO zero{};
    return std::memcmp(&card, &zero, sizeof card) == 0;
}

std::string text(const char (&field)[TEXT_FIELD_SIZE])
{
    return std::string(textOf(field));
}

// FailureCount and the four failover switches (preferred NIC, alternate
// checking, diagnostic packets, switch forever) of a NIC, on one line.
std::string failover(const CARD_INFO& card)
{
    return std::to_string(card.FailureCount) + " " + text(card.PreferredNic) + " " +
           text(card.AlternateNicChecking) + " " + text(card.NicDiagnosticPackets) + " " +
           text(card.NicSwitchForever);
}

LoadResult loadStore(TestStore& store)
{
    return ConfigLoader(store.registry()).load();
}

} // namespace

// --- Relations and failover -------------------------------------------------

class LoadRelations : public ::testing::Test
{
protected:
    void SetUp() override
    {
        responder.expect(nicsetupBox(kFailover)); // adapter 6 has no FailureCount
        ASSERT_EQ(loadStore(store), LoadResult::Loaded);
    }
    TestStore store{fixtureText("load-relations.reg")};
    GTestResponder responder;
};

TEST_F(LoadRelations, MarksRowBackupColumnPrimaryFromFirstInstances)
{
    EXPECT_EQ(RL_INFO[2][0], 1u); // adapter 3 backs up adapter 1, stated by both
    EXPECT_EQ(RL_INFO[4][2], 1u); // adapter 5 (index 4) backs up adapter 3
    EXPECT_EQ(RL_INFO[5][1], 1u); // adapter 6 backs up adapter 2, which has no instance
    // Adapter 7's second instance names a primary, adapter 8 names both, and
    // 9..11 name adapters that do not exist: none of them marks anything.
    EXPECT_EQ(markCount(), 3);
}

TEST_F(LoadRelations, FailoverValuesAreReadOnlyForABackup)
{
    // The backup reads them as stored; the primary keeps the defaults.
    EXPECT_EQ(failover(ETHCard[2]), "7 Enabled Disabled Disabled Enabled");
    EXPECT_EQ(ETHCard[2].PRIMARYADAPTERNUMBER, 1u);
    EXPECT_EQ(ETHCard[2].BACKUPADAPTERNUMBER, NO_ADAPTER);
    EXPECT_EQ(failover(ETHCard[0]), "10 Disabled Enabled Enabled Disabled");
    EXPECT_EQ(ETHCard[0].BACKUPADAPTERNUMBER, 3u);
    EXPECT_EQ(ETHCard[0].PRIMARYADAPTERNUMBER, NO_ADAPTER);
}

TEST_F(LoadRelations, FailoverTextsStopAtTheFirstMissingOne)
{
    // No PreferredNic: the count is read, the texts keep their defaults.
    EXPECT_EQ(failover(ETHCard[4]), "12 Disabled Enabled Enabled Disabled");
    // No AlternateNicChecking: PreferredNic is read, the rest stay.
    EXPECT_EQ(failover(ETHCard[5]), "10 Enabled Enabled Enabled Disabled");
}

TEST_F(LoadRelations, LaterInstanceOverwritesNumbersButNotFailover)
{
    const CARD_INFO& card = ETHCard[6];
    EXPECT_EQ(card.PRIMARYADAPTERNUMBER, 1u);
    EXPECT_EQ(card.FailureCount, 10u);
    EXPECT_EQ(text(card.PreferredNic), "Disabled");
    EXPECT_EQ(card.LastInstance, 8u);
    for (std::uint32_t k = 0; k < MAX_ADAPTERS; ++k)
        EXPECT_EQ(RL_INFO[6][k], 0u) << "column " << k;
}

TEST_F(LoadRelations, AdapterNumbersOutsideTheTableCountAsNone)
{
    for (const std::uint32_t i : {8u, 9u, 10u}) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(ETHCard[i].CardFlags & CARD_IN_USE);
        EXPECT_EQ(ETHCard[i].PRIMARYADAPTERNUMBER, NO_ADAPTER);
        EXPECT_EQ(ETHCard[i].BACKUPADAPTERNUMBER, NO_ADAPTER);
    }
    EXPECT_EQ(ETHCard[7].PRIMARYADAPTERNUMBER, 1u);
    EXPECT_EQ(ETHCard[7].BACKUPADAPTERNUMBER, 2u);
}

// --- VLAN entries and VlanNameMissing ------------------------------------------

class LoadVlans : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(loadStore(store), LoadResult::Loaded); }
    TestStore store{fixtureText("load-vlans.reg")};
    GTestResponder responder; // no box expected
};

TEST_F(LoadVlans, OneEntryPerVlanInstance)
{
    const CARD_INFO& card = ETHCard[0];
    ASSERT_EQ(card.VlanCount, 2u);
    EXPECT_EQ(card.LastInstance, 7u);
    EXPECT_EQ(card.VlanNameMissing, 0u);
    EXPECT_EQ(card.Vlan_op, 1u);
    const VlanEntry& first = card.VlanTable[0];
    const VlanEntry& second = card.VlanTable[1];
    EXPECT_EQ(first.InstanceNumber, 3u);
    EXPECT_EQ(text(first.VLAN_NAME), "Sales");
    EXPECT_EQ(first.VLANID, 1u);
    EXPECT_EQ(text(first.Network_Address), "02:00:00:00:01:01");
    EXPECT_EQ(first.EntryFlags, VLAN_NAME_SET | VLAN_ID_SET | VLAN_ADDRESS_SET);
    EXPECT_EQ(second.InstanceNumber, 7u);
    EXPECT_EQ(text(second.VLAN_NAME), "Lab");
    EXPECT_EQ(second.VLANID, 2u);
    // Failover values belong to the first instance.
    EXPECT_EQ(card.FailureCount, 4u);
    EXPECT_EQ(text(card.PreferredNic), "Enabled");
}

TEST_F(LoadVlans, PlainNicTakesNoEntries)
{
    const CARD_INFO& card = ETHCard[1];
    EXPECT_EQ(card.VlanNameMissing, 1u);
    EXPECT_EQ(card.VlanCount, 0u);
    EXPECT_EQ(card.LastInstance, 1u);
}

TEST_F(LoadVlans, EmptyNameAndMissingValuesLeaveTheirFlagsClear)
{
    const CARD_INFO& card = ETHCard[2];
    ASSERT_EQ(card.VlanCount, 1u);
    EXPECT_EQ(card.VlanNameMissing, 0u);
    const VlanEntry& entry = card.VlanTable[0];
    EXPECT_EQ(entry.InstanceNumber, 11u);
    EXPECT_EQ(entry.EntryFlags, 0u);
    EXPECT_EQ(entry.VLANID, NO_ADAPTER);
    EXPECT_EQ(text(entry.Network_Address), "");
}

TEST_F(LoadVlans, VlansOnWithoutNameStillTakeTheEntry)
{
    const CARD_INFO& card = ETHCard[3];
    EXPECT_EQ(card.VlanNameMissing, 1u);
    ASSERT_EQ(card.VlanCount, 1u);
    EXPECT_EQ(card.VlanTable[0].VLANID, 3u);
    EXPECT_EQ(card.VlanTable[0].EntryFlags, VLAN_ID_SET);
}

TEST_F(LoadVlans, VlansOffWithNamesTakeAnEntryEach)
{
    const CARD_INFO& card = ETHCard[4];
    EXPECT_EQ(card.Vlan_op, 0u);
    ASSERT_EQ(card.VlanCount, 2u);
    EXPECT_EQ(card.VlanTable[0].VLANID, 5u);
    EXPECT_EQ(card.VlanTable[1].VLANID, NO_ADAPTER);
    EXPECT_EQ(text(card.VlanTable[1].VLAN_NAME), "Store");
}

TEST_F(LoadVlans, MacAddressIsValidAtExactly17Characters)
{
    EXPECT_EQ(text(ETHCard[0].Base_Mac_Address), "00:A0:C9:00:00:01");
    EXPECT_TRUE(ETHCard[0].CardFlags & CARD_MAC_VALID);
    EXPECT_EQ(text(ETHCard[1].Base_Mac_Address), "00:A0:C9:00:00:2");
    EXPECT_FALSE(ETHCard[1].CardFlags & CARD_MAC_VALID);
    EXPECT_EQ(text(ETHCard[2].Base_Mac_Address), "00:A0:C9:00:00:033");
    EXPECT_FALSE(ETHCard[2].CardFlags & CARD_MAC_VALID);
    EXPECT_EQ(text(ETHCard[3].Base_Mac_Address), "") << "longer than the read limit";
    EXPECT_FALSE(ETHCard[3].CardFlags & CARD_MAC_VALID);
}

// --- ACD values and their messages --------------------------------------------

class LoadAcd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Instance 1 (adapter 2): SamplingRatio, AlertType, FailureCount,
        // SelfCheckLevel, ErrorTolerance; instance 5 (adapter 3):
        // SamplingRatio, SelfCheckLevel.
        for (const char* box : {kDot, kDot, kFailover, kNoDot, kDot, kDot, kNoDot})
            responder.expect(nicsetupBox(box));
        ASSERT_EQ(loadStore(store), LoadResult::Loaded);
    }
    TestStore store{fixtureText("load-acd.reg")};
    GTestResponder responder;
};

TEST_F(LoadAcd, DamagedKeysShowTheirMessagesInOrder)
{
    ASSERT_EQ(responder.shown().size(), 7u);
    EXPECT_EQ(responder.pending(), 0u);
}

TEST_F(LoadAcd, CompleteInstanceFillsEveryField)
{
    const CARD_INFO& card = ETHCard[0];
    EXPECT_EQ(card.CardFlags, CARD_BUS_READ | CARD_SLOT_READ | CARD_IN_USE);
    EXPECT_EQ(card.AdapterIndex, 0u);
    EXPECT_EQ(card.BusNumber, 2u);
    EXPECT_EQ(card.SlotNumber, 11u);
    EXPECT_EQ(card.SamplingRatio, 5u);
    EXPECT_EQ(card.SamplingWindow, 500u);
    EXPECT_EQ(card.AlertType, 6u);
    EXPECT_EQ(text(card.SelfCheckLevel), "Self Check Level 19");
    EXPECT_EQ(text(card.ErrorTolerance), "Medium");
}

TEST_F(LoadAcd, InstanceWithoutAdapterNumberJoinsThePreviousAdapter)
{
    const CARD_INFO& card = ETHCard[1];
    EXPECT_EQ(card.LastInstance, 2u);
    EXPECT_EQ(card.SamplingWindow, 999u);
    EXPECT_EQ(card.SamplingRatio, 3u);
    EXPECT_EQ(card.AlertType, 2u);
    EXPECT_EQ(text(card.SelfCheckLevel), "High");
    EXPECT_EQ(text(card.ErrorTolerance), "Strict");
    EXPECT_EQ(card.CardFlags, CARD_SLOT_READ | CARD_IN_USE);
    EXPECT_EQ(card.SlotNumber, 7u);
    EXPECT_EQ(card.FailureCount, 10u);
    EXPECT_EQ(RL_INFO[1][0], 1u);
}

TEST_F(LoadAcd, MissingValueKeepsThePreviousInstancesValue)
{
    const CARD_INFO& card = ETHCard[2];
    EXPECT_EQ(card.SamplingRatio, 8u);
    EXPECT_EQ(text(card.SelfCheckLevel), "Low");
    EXPECT_EQ(card.SamplingWindow, 200u);
    EXPECT_EQ(card.AlertType, 1u);
    EXPECT_EQ(text(card.ErrorTolerance), "High");
}

// --- What does not fit the tables ------------------------------------------------

TEST(LoadBounds, InstancesWithoutARecordAreSkippedSilently)
{
    TestStore store(fixtureText("load-bounds.reg"));
    GTestResponder responder;
    ASSERT_EQ(loadStore(store), LoadResult::Loaded);
    for (std::uint32_t i = 0; i + 1 < MAX_ADAPTERS; ++i)
        EXPECT_TRUE(isAllZero(ETHCard[i])) << "record " << i;
    const CARD_INFO& last = ETHCard[49];
    EXPECT_TRUE(last.CardFlags & CARD_IN_USE);
    EXPECT_EQ(last.AdapterIndex, 49u);
    EXPECT_EQ(last.SamplingWindow, 4u);
    EXPECT_EQ(last.LastInstance, 3u);
    EXPECT_EQ(markCount(), 0);
}

TEST(LoadBounds, SeventeenthVlanOfAnAdapterIsNotStored)
{
    HiveBuilder hive;
    hive.key("SYSTEM\\CurrentControlSet\\Services\\vxsrvnt");
    for (std::uint32_t n = 0; n < 17; ++n)
        hive.instance(n, 1).dword("Vlan_op", 1).text("VLAN_NAME", "V" + std::to_string(n));
    hive.instance(17, 2);
    TestStore store(hive.str());
    GTestResponder responder;
    ASSERT_EQ(loadStore(store), LoadResult::Loaded);
    const CARD_INFO& card = ETHCard[0];
    ASSERT_EQ(card.VlanCount, MAX_VLANS);
    for (std::uint32_t e = 0; e < MAX_VLANS; ++e)
        EXPECT_EQ(card.VlanTable[e].InstanceNumber, e);
    // The fields after the table are intact.
    EXPECT_EQ(card.LastInstance, 16u);
    EXPECT_EQ(card.VlanNameMissing, 0u);
    EXPECT_EQ(card.FailureCount, 10u);
    EXPECT_EQ(text(card.PreferredNic), "Disabled");
    EXPECT_EQ(ETHCard[1].LastInstance, 17u);
}

TEST(LoadStart, MissingServiceKeyEndsTheProgramAfterItsMessage)
{
    TestStore loaded(fixtureText("load-vlans.reg"));
    ASSERT_EQ(loadStore(loaded), LoadResult::Loaded);

    TestStore store(HiveBuilder().key("SYSTEM\\CurrentControlSet\\Services\\other").str());
    GTestResponder responder;
    responder.expect(nicsetupBox("Could not find any Velnet NIC's or registry corrupted!!!"));
    EXPECT_EQ(loadStore(store), LoadResult::ServiceKeyMissing);
    for (const CARD_INFO& card : ETHCard)
        EXPECT_TRUE(isAllZero(card));
}

// The box stays what it always was; the administrator finds the store's own
// reason on standard error, and nothing there when the store is sound.
TEST(LoadStart, StoresReasonGoesToStandardError)
{
    velnet::test::TempDir dir;
    const std::string malformed = dir.file("malformed.reg");
    velnet::test::writeFile(malformed, "REGEDIT4\n\n\"orphan\"=\"value\"\n");
    const std::string folder = dir.file("folder.reg");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string sound = dir.file("sound.reg");
    velnet::test::writeFile(sound, HiveBuilder().key("SOFTWARE\\Corvane").str());

    const struct
    {
        std::string store;
        std::string reasonStart;
    } cases[] = {
        {malformed, malformed + ":3: "},
        {folder, folder + ": cannot be read: not a regular file (a folder)"},
        {sound, ""},
    };
    for (const auto& c : cases) {
        velnet::registry::FileRegistry store(c.store);
        GTestResponder responder;
        responder.expect(nicsetupBox("Could not find any Velnet NIC's or registry corrupted!!!"));
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(ConfigLoader(store).load(), LoadResult::ServiceKeyMissing);
        const std::string printed = ::testing::internal::GetCapturedStderr();
        if (c.reasonStart.empty()) {
            EXPECT_EQ(printed, "");
            continue;
        }
        EXPECT_EQ(printed,
                  "nicsetup: " + velnet::registry::FileRegistry(c.store).errorText() + "\n");
        EXPECT_EQ(printed.substr(0, 10 + c.reasonStart.size()), "nicsetup: " + c.reasonStart);
    }
}

TEST(LoadStart, EveryLoadStartsFromEmptyTables)
{
    TestStore first(fixtureText("load-relations.reg"));
    {
        GTestResponder responder;
        responder.expect(nicsetupBox(kFailover));
        ASSERT_EQ(loadStore(first), LoadResult::Loaded);
    }
    TestStore empty(HiveBuilder().key("SYSTEM\\CurrentControlSet\\Services\\vxsrvnt").str());
    GTestResponder responder;
    EXPECT_EQ(loadStore(empty), LoadResult::Loaded);
    for (const CARD_INFO& card : ETHCard)
        EXPECT_TRUE(isAllZero(card));
    EXPECT_EQ(markCount(), 0);
}

// --- The tables themselves ----------------------------------------------------------

TEST(Tables, RecordLayoutKeepsItsFieldsInOrder)
{
    EXPECT_EQ(offsetof(VlanEntry, VLANID), 128u);
    EXPECT_EQ(offsetof(VlanEntry, Network_Address), 132u);
    EXPECT_EQ(offsetof(VlanEntry, EntryFlags), 264u);
    EXPECT_EQ(offsetof(CARD_INFO, VlanCount), 128u);
    EXPECT_EQ(offsetof(CARD_INFO, CardFlags), 156u);
    EXPECT_EQ(offsetof(CARD_INFO, VlanTable), 160u);
    EXPECT_EQ(offsetof(CARD_INFO, LastInstance), 160u + 16 * sizeof(VlanEntry));
    EXPECT_LT(offsetof(CARD_INFO, SelfCheckLevel), offsetof(CARD_INFO, SamplingWindow));
    EXPECT_LT(offsetof(CARD_INFO, ErrorTolerance), offsetof(CARD_INFO, AlertType));
    EXPECT_EQ(sizeof(ETHCard) / sizeof(ETHCard[0]), 50u);
    EXPECT_EQ(sizeof(RL_INFO), 50u * 50u * 4u);
}

TEST(Tables, TextsAreCutToTheirField)
{
    CARD_INFO card{};
    std::memset(&card.VlanCount, 0x5a, sizeof card.VlanCount);
    setText(card.Base_Mac_Address, std::string(300, 'x'));
    EXPECT_EQ(text(card.Base_Mac_Address), std::string(127, 'x'));
    EXPECT_EQ(card.VlanCount, 0x5a5a5a5au) << "the next field was overwritten";

    std::memset(card.SelfCheckLevel, 'y', sizeof card.SelfCheckLevel); // no NUL at all
    EXPECT_EQ(textOf(card.SelfCheckLevel).size(), TEXT_FIELD_SIZE);
    setText(card.SelfCheckLevel, "ab");
    EXPECT_EQ(text(card.SelfCheckLevel), "ab");
}
