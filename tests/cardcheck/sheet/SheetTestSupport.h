#pragma once

#include "TempDir.h"
#include "adapter/AdapterLibrary.h"
#include "adapter/BindingState.h"
#include "ui/ProgramState.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace cardcheck::test {

// One run against the simulated NICs: the scenario the libraries read when
// they are loaded, a trace file of the calls that reach them, and fresh
// program-wide state before and after.
class SimulatedNics
{
public:
    // `scenario`: a file under tests/fixtures/cardcheck/sheet, or empty for
    // the libraries' built-in one.
    explicit SimulatedNics(const std::string& scenario = {})
    {
        reset();
        if (scenario.empty())
            ::unsetenv("NICPORT_SCENARIO");
        else
            ::setenv("NICPORT_SCENARIO",
                     velnet::test::fixturePath("cardcheck/sheet/" + scenario).c_str(), 1);
        ::setenv("NICPORT_TRACE", trace_.c_str(), 1);
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
            if (line.rfind(prefix, 0) == 0)
                found.push_back(line);
        return found;
    }

    static void reset() { ProgramState::current().reset(); }

private:
    velnet::test::TempDir dir_;
    std::string trace_ = dir_.file("trace.txt");
};

} // namespace cardcheck::test
