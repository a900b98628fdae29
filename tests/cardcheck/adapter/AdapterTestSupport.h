// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/adapter/Discovery.h"
#include "common/ui/ScriptedResponder.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velnet::cardcheck::test {

// Runs the real libraries of lib/velnet on a scenario: sets NICPORT_SCENARIO
// and a trace file of the test's own, and removes both afterwards.
class AdapterTest : public ::testing::Test
{
protected:
    void TearDown() override;

    // A scenario of tests/fixtures/cardcheck/.
    void useScenario(const std::string& fixture);
    // A scenario written for this test.
    void useScenarioText(const std::string& json);

    // Discovery, then the AdapterLibrary made from it (when n > 0).
    std::int32_t discover(std::string& error);
    // useScenario(fixture), then discover(): the number of NICs found.
    std::int32_t discoverIn(const std::string& fixture);
    // Discovery on the scenario in use, then the first NIC selected; a
    // fatal failure when either fails.
    void discoverAndSelectFirst();
    AdapterLibrary& adapter() { return *adapter_; }
    void destroy() { adapter_.reset(); }

    // The lines the libraries traced so far.
    std::vector<std::string> trace() const;
    // How many traced lines equal `line`.
    long traced(const std::string& line) const;

    velnet::test::TempDir temp_;
    BindingState state_;
    std::unique_ptr<AdapterLibrary> adapter_;
    Discovery discovery_;
    std::string tracePath_;
};

} // namespace velnet::cardcheck::test
