// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

namespace velnet::test {

// The main of a test binary that runs inside namespace A of a
// NamespacePair: the first process makes the pair and runs itself again
// through "ip netns exec" (which also mounts that namespace's /sys), with
// VELNET_NICS naming the veth end and VELNET_TEST_* describing the pair; it
// removes the pair when that run ends, however it ends. Where namespaces
// cannot be made it reports the test as skipped (exit code 77).
int runInsideNetns(int argc, char** argv, const std::function<int(int, char**)>& body);

// What the outer process tells the run inside.
struct NetnsEnvironment
{
    std::string namespaceA, namespaceB, interfaceA, interfaceB, addressA, addressB;
    static NetnsEnvironment fromEnvironment();
};

} // namespace velnet::test
