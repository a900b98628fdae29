#pragma once

#include <functional>
#include <string>
#include <vector>

namespace velnet::test {

// Two network namespaces of this test run joined by a veth pair, each end
// with an address and up. Everything is removed when the object goes away;
// what a killed run left behind (namespaces of this prefix whose process is
// gone) is removed when the next one starts. Nothing touches the machine's
// own interfaces.
class NetnsPair
{
public:
    static constexpr const char* kPrefix = "velnet-test-";

    NetnsPair();
    ~NetnsPair();
    NetnsPair(const NetnsPair&) = delete;
    NetnsPair& operator=(const NetnsPair&) = delete;

    // Empty when both namespaces are ready; else why they could not be made.
    const std::string& failure() const { return failure_; }

    std::string namespaceA, namespaceB; // "velnet-test-<pid>-a"
    std::string interfaceA, interfaceB; // "vt<pid>a"
    std::string addressA, addressB;     // "10.213.<n>.1", ".2" (prefix /24)

    static void removeStale();

private:
    bool make();

    std::string failure_;
    bool madeA_ = false;
    bool madeB_ = false;
};

// Runs `command` (no shell) and answers its exit code; its output goes into
// `output` when given.
int runCommand(const std::vector<std::string>& command, std::string* output = nullptr);

// The main of a test binary that runs inside namespace A of a NetnsPair: the
// first process makes the pair and runs itself again through
// "ip netns exec" (which also mounts that namespace's /sys), with
// VELNET_NICS naming the veth end and VELNET_TEST_* describing the pair;
// it removes the pair when that run ends, however it ends. Without the
// rights to make namespaces it reports the test as skipped (exit code 77).
int runInsideNetns(int argc, char** argv, const std::function<int(int, char**)>& body);

// What the outer process tells the run inside.
struct NetnsEnvironment
{
    std::string namespaceA, namespaceB, interfaceA, interfaceB, addressA, addressB;
    static NetnsEnvironment fromEnvironment();
};

} // namespace velnet::test
