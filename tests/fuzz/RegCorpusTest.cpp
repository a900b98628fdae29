// SPDX-License-Identifier: MIT
// Every input of the fuzzer's corpus, among them each one that ever failed,
// keeps the round-trip promise in the ordinary builds too.
#include "tests/fuzz/RegRoundTrip.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

TEST(RegCorpus, EveryInputKeepsTheRoundTrip)
{
    const std::filesystem::path corpus = VELNET_FUZZ_CORPUS;
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        ++inputs;
        EXPECT_EQ(velnet::test::roundTripProblem(velnet::test::readFile(entry.path())), "")
            << entry.path();
    }
    EXPECT_GE(inputs, 5) << "the seed corpus is missing";
}
