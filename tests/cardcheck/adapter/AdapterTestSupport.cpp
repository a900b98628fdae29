// SPDX-License-Identifier: MIT
#include "tests/cardcheck/adapter/AdapterTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace velnet::cardcheck::test {

void AdapterTest::TearDown()
{
    adapter_.reset();
    discovery_ = Discovery();
    ::unsetenv("NICPORT_SCENARIO");
    ::unsetenv("NICPORT_TRACE");
}

void AdapterTest::useScenario(const std::string& fixture)
{
    ::setenv("NICPORT_SCENARIO", velnet::test::fixturePath("cardcheck/" + fixture).c_str(), 1);
    tracePath_ = temp_.file("trace.txt");
    ::setenv("NICPORT_TRACE", tracePath_.c_str(), 1);
}

void AdapterTest::useScenarioText(const std::string& json)
{
    const std::string path = temp_.file("scenario.json");
    velnet::test::writeFile(path, json);
    ::setenv("NICPORT_SCENARIO", path.c_str(), 1);
    tracePath_ = temp_.file("trace.txt");
    ::setenv("NICPORT_TRACE", tracePath_.c_str(), 1);
}

std::int32_t AdapterTest::discover(std::string& error)
{
    const std::int32_t n = discovery_.Discover(error);
    if (n > 0)
        adapter_ = std::make_unique<AdapterLibrary>(std::move(discovery_), state_);
    return n;
}

std::int32_t AdapterTest::discoverIn(const std::string& fixture)
{
    useScenario(fixture);
    std::string error;
    return discover(error);
}

void AdapterTest::discoverAndSelectFirst()
{
    std::string error;
    ASSERT_GT(discover(error), 0) << error;
    std::string message;
    ASSERT_EQ(adapter().select(0, message), 1) << message;
}

std::vector<std::string> AdapterTest::trace() const
{
    std::vector<std::string> lines;
    std::istringstream in(velnet::test::readFile(tracePath_));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

long AdapterTest::traced(const std::string& line) const
{
    const auto lines = trace();
    return std::count(lines.begin(), lines.end(), line);
}

} // namespace velnet::cardcheck::test
