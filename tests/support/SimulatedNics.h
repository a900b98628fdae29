// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/ui/ProgramState.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace velnet::cardcheck::test {

// One run of cardcheck's code against the simulated NICs: the scenario the
// libraries read when they are loaded, a trace file of the calls that reach
// them, and fresh program-wide state before and after. Whatever library a
// case left loaded gets its drivers back and is released at the end.
class SimulatedNics
{
public:
    struct Text
    {
        std::string json;
    };

    // `scenario`: a file under tests/fixtures/cardcheck/sheet, or empty for
    // the libraries' built-in one.
    explicit SimulatedNics(const std::string& scenario = {})
    {
        start(scenario.empty() ? std::string()
                               : velnet::test::fixturePath("cardcheck/sheet/" + scenario));
    }
    // A scenario written for this test.
    explicit SimulatedNics(const Text& scenario)
    {
        const std::string path = dir_.file("scenario.json");
        velnet::test::writeFile(path, scenario.json);
        start(path);
    }
    SimulatedNics(const SimulatedNics&) = delete;
    SimulatedNics& operator=(const SimulatedNics&) = delete;
    ~SimulatedNics()
    {
        if (AdapterLibrary* library = theAdapterLibrary()) {
            library->putDriversBack();
            destroyAdapterLibrary();
        }
        reset();
        ::unsetenv("NICPORT_TRACE");
        ::unsetenv("NICPORT_SCENARIO");
    }

    // The calls that reached the libraries, a line each ("VX410CFG SelectCard 0 1").
    std::vector<std::string> trace() const
    {
        std::vector<std::string> lines;
        std::istringstream in(velnet::test::readFile(trace_));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    // The trace lines that start with `prefix`.
    std::vector<std::string> calls(const std::string& prefix) const
    {
        std::vector<std::string> found;
        for (const std::string& line : trace())
            if (line.starts_with(prefix))
                found.push_back(line);
        return found;
    }
    // How many trace lines end with `call` ("RunTest 1").
    int traced(const std::string& call) const
    {
        int count = 0;
        for (const std::string& line : trace())
            count += line.ends_with(call);
        return count;
    }

    const std::string& folder() const { return dir_.path(); }

    static void reset() { ProgramState::current().reset(); }

private:
    void start(const std::string& scenarioPath)
    {
        reset();
        if (scenarioPath.empty())
            ::unsetenv("NICPORT_SCENARIO");
        else
            ::setenv("NICPORT_SCENARIO", scenarioPath.c_str(), 1);
        ::setenv("NICPORT_TRACE", trace_.c_str(), 1);
    }

    velnet::test::TempDir dir_;
    std::string trace_ = dir_.file("trace.txt");
};

} // namespace velnet::cardcheck::test
