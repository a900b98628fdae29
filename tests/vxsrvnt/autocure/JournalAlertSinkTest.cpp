// SPDX-License-Identifier: MIT
#include "vxsrvnt/autocure/JournalAlertSink.h"

#include "tests/vxsrvnt/autocure/PrivateJournal.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace velnet::vxsrvnt::autocure {
namespace {

Alert cureFailed(const std::string& mark)
{
    return {AlertKind::Error,
            "cure-failed",
            "the cure did not help; next cure in 2 windows at the earliest",
            "vxnic0",
            7,
            {{"BAD_PERCENT", "9.09"}, {"VXSRVNT_TEST_MARK", mark}}};
}

TEST(JournalAlertSink, WritesToTheJournalWhereOneRunsElseToStandardError)
{
    const std::string mark = "m" + std::to_string(::getpid());
    JournalAlertSink sink;
    if (JournalAlertSink::journalAvailable()) {
        sink.write(cureFailed(mark));
        const auto entries = test::PrivateJournal::entries("VXSRVNT_TEST_MARK=" + mark);
        ASSERT_EQ(entries.size(), 1u);
        const auto& e = entries[0];
        EXPECT_EQ(e.at("MESSAGE_ID"), JournalAlertSink::kMessageId);
        EXPECT_EQ(e.at("PRIORITY"), "3");
        EXPECT_EQ(e.at("INTERFACE"), "vxnic0");
        EXPECT_EQ(e.at("ADAPTER_NUMBER"), "7");
        EXPECT_EQ(e.at("BAD_PERCENT"), "9.09");
        EXPECT_EQ(e.at("MESSAGE"), "vxnic0 (adapter 7): the cure did not help; next cure in 2 "
                                   "windows at the earliest");
        return;
    }
    ::testing::internal::CaptureStderr();
    sink.write(cureFailed(mark));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "vxsrvnt: autocure Error: vxnic0 (adapter 7): the cure did not help; next cure in 2 "
              "windows at the earliest BAD_PERCENT=9.09 VXSRVNT_TEST_MARK=" +
                  mark + "\n");
}

} // namespace
} // namespace velnet::vxsrvnt::autocure
