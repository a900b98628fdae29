// SPDX-License-Identifier: MIT
// cardcheck and nicsetup meet only in the server driver's registry keys: the
// addresses cardcheck's General page copies there are what nicsetup shows.

#include "cardcheck/sheet/BaseAddressSync.h"
#include "cardcheck/sheet/StartupDiscovery.h"
#include "cardcheck/ui/ProgramState.h"
#include "common/registry/FileRegistry.h"
#include "nicsetup/ConfigLoader.h"
#include "nicsetup/ParameterRows.h"
#include "nicsetup/Tables.h"
#include "tests/support/GTestResponder.h"
#include "tests/support/SimulatedNics.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using velnet::nicsetup::CARD_MAC_VALID;
using velnet::nicsetup::ConfigLoader;
using velnet::nicsetup::ETHCard;
using velnet::nicsetup::LoadResult;
using velnet::nicsetup::ParameterRows;

TEST(RegistryMeetingTest, NicsetupShowsTheAddressesCardcheckStored)
{
    velnet::test::TempDir dir;
    const std::string path = dir.file("registry.reg");
    velnet::test::writeFile(
        path, velnet::test::readFile(velnet::test::fixturePath("cardcheck/sheet/servers.reg")));
    {
        velnet::cardcheck::test::SimulatedNics nics("two-servers.json");
        velnet::registry::FileRegistry store(path);
        std::string error;
        ASSERT_EQ(velnet::cardcheck::StartupDiscovery::run(error, false), 2);
        velnet::test::GTestResponder quiet;
        velnet::cardcheck::BaseAddressSync(*velnet::cardcheck::theAdapterLibrary(), store).run();
    }

    // nicsetup starts afresh on the same file.
    velnet::registry::FileRegistry store(path);
    velnet::test::GTestResponder quiet; // the keys are complete: no message
    ASSERT_EQ(ConfigLoader(store).load(), LoadResult::Loaded);
    EXPECT_NE(ParameterRows::nicLabel(ETHCard[0], 0).find("[00-A0-CC-4E-1F-02]"), std::string::npos)
        << ParameterRows::nicLabel(ETHCard[0], 0);
    EXPECT_NE(ParameterRows::nicLabel(ETHCard[1], 1).find("[00-A0-CC-4E-1F-03]"), std::string::npos)
        << ParameterRows::nicLabel(ETHCard[1], 1);
    EXPECT_NE(ETHCard[0].CardFlags & CARD_MAC_VALID, 0u);
    EXPECT_NE(ETHCard[1].CardFlags & CARD_MAC_VALID, 0u);
    EXPECT_STREQ(ETHCard[0].Base_Mac_Address, "00-A0-CC-4E-1F-02");
}
