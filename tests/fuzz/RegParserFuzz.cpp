// SPDX-License-Identifier: MIT
// libFuzzer entry: any input that breaks the store's round trip aborts.
#include "tests/fuzz/RegRoundTrip.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string problem =
        velnet::test::roundTripProblem({reinterpret_cast<const char*>(data), size});
    if (!problem.empty()) {
        std::fprintf(stderr, "round trip broken: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
