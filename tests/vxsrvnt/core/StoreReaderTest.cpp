// SPDX-License-Identifier: MIT
// The service reads the store as nicsetup does: on nicsetup's own test
// stores, every adapter the reader gives matches nicsetup's tables after its
// load and the roles its save would write.
#include "vxsrvnt/store/StoreReader.h"

#include "nicsetup/ConfigLoader.h"
#include "nicsetup/ConfigSaver.h"
#include "nicsetup/Tables.h"
#include "tests/support/GTestResponder.h"
#include "tests/support/TempDir.h"
#include "tests/vxsrvnt/core/CoreTestSupport.h"

#include <gtest/gtest.h>

namespace velnet::vxsrvnt::test {
namespace {

using namespace nicsetup;

void expectSameAsNicsetup(const std::string& regText)
{
    nicsetup::test::TestStore store(regText);
    StoreReader reader(store.registry());
    const auto config = reader.read();
    ASSERT_TRUE(config.ok()) << config.error();
    EXPECT_TRUE(reader.warnings().empty()) << reader.warnings().front();
    velnet::test::GTestResponder noBoxes; // complete stores: nicsetup shows none either
    ASSERT_EQ(ConfigLoader(store.registry()).load(), LoadResult::Loaded);

    std::size_t inUse = 0;
    for (std::uint32_t i = 0; i < MAX_ADAPTERS; ++i) {
        if (!isInUse(i))
            continue;
        ++inUse;
        const CARD_INFO& card = ETHCard[i];
        const AdapterConfig* a = config->adapter(static_cast<int>(i + 1));
        ASSERT_NE(a, nullptr) << "adapter " << i + 1;
        SCOPED_TRACE("adapter " + std::to_string(i + 1));
        ConfigSaver::assignRole(i); // the roles nicsetup's save writes
        EXPECT_EQ(a->primaryAdapter, card.PRIMARYADAPTERNUMBER);
        EXPECT_EQ(a->backupAdapter, card.BACKUPADAPTERNUMBER);
        EXPECT_EQ(a->instances.back(), static_cast<int>(card.LastInstance));
        EXPECT_EQ(a->baseMacAddress, textOf(card.Base_Mac_Address));
        EXPECT_EQ(a->vlanOp, card.Vlan_op);
        EXPECT_EQ(a->vlanNameMissing, card.VlanNameMissing != 0);
        EXPECT_EQ(a->failover.failureCount, card.FailureCount);
        EXPECT_EQ(a->failover.preferredNic, textOf(card.PreferredNic));
        EXPECT_EQ(a->failover.nicSwitchForever, textOf(card.NicSwitchForever));
        EXPECT_EQ(a->acd.selfCheckLevel, textOf(card.SelfCheckLevel));
        EXPECT_EQ(a->acd.samplingWindow, card.SamplingWindow);
        EXPECT_EQ(a->acd.errorTolerance, textOf(card.ErrorTolerance));
        if (card.VlanNameMissing)
            continue;
        ASSERT_EQ(a->vlans.size(), card.VlanCount);
        for (std::uint32_t e = 0; e < card.VlanCount; ++e) {
            EXPECT_EQ(a->vlans[e].name, textOf(card.VlanTable[e].VLAN_NAME));
            EXPECT_EQ(a->vlans[e].id, card.VlanTable[e].VLANID);
            EXPECT_EQ(a->vlans[e].networkAddress, textOf(card.VlanTable[e].Network_Address));
            EXPECT_EQ(a->vlans[e].instance, static_cast<int>(card.VlanTable[e].InstanceNumber));
        }
    }
    EXPECT_EQ(config->adapters.size(), inUse);
}

TEST(StoreReader, ReadsTheLargestStoreAsNicsetupDoes)
{
    expectSameAsNicsetup(nicsetup::test::maximalHive());
}

TEST(StoreReader, ReadsTheDemonstrationStoreAsNicsetupDoes)
{
    expectSameAsNicsetup(
        velnet::test::readFile(std::string(VELNET_SOURCE_DIR) + "/examples/registry/demo.reg"));
}

TEST(StoreReader, NamesWhereTheStoreCannotBeRead)
{
    nicsetup::test::TestStore store("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SYSTEM]\nthis is no value\n");
    const auto config = StoreReader(store.registry()).read();
    ASSERT_FALSE(config.ok());
    EXPECT_EQ(config.error().substr(0, store.path().size() + 3), store.path() + ":4:");
}

TEST(StoreReader, WithoutTheServiceKeySaysToInstall)
{
    nicsetup::test::TestStore store("REGEDIT4\n\n");
    const auto config = StoreReader(store.registry()).read();
    ASSERT_FALSE(config.ok());
    EXPECT_EQ(config.error(), "the store has no driver service key HKEY_LOCAL_MACHINE\\SYSTEM\\"
                              "CurrentControlSet\\Services\\vxsrvnt (run vxsrvnt install)");
}

} // namespace
} // namespace velnet::vxsrvnt::test
