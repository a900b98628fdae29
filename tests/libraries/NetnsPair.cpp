#include "NetnsPair.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace velnet::test {

namespace {

constexpr int kSkipped = 77;

std::string env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

int runCommand(const std::vector<std::string>& command, std::string* output)
{
    std::vector<char*> argv;
    for (const auto& part : command)
        argv.push_back(const_cast<char*>(part.c_str()));
    argv.push_back(nullptr);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    if (!output)
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return -1;
    }
    std::array<char, 4096> buffer;
    for (ssize_t n; (n = ::read(pipeFds[0], buffer.data(), buffer.size())) > 0;) {
        if (output)
            output->append(buffer.data(), static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void NetnsPair::removeStale()
{
    std::error_code error;
    for (std::filesystem::directory_iterator it("/run/netns", error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(kPrefix, 0) != 0)
            continue;
        const pid_t owner = std::atoi(name.c_str() + std::strlen(kPrefix));
        if (owner > 0 && ::kill(owner, 0) != 0 && errno == ESRCH)
            runCommand({"ip", "netns", "delete", name});
    }
}

NetnsPair::NetnsPair()
{
    const std::string pid = std::to_string(::getpid());
    namespaceA = kPrefix + pid + "-a";
    namespaceB = kPrefix + pid + "-b";
    interfaceA = "vt" + pid + "a";
    interfaceB = "vt" + pid + "b";
    const std::string net = "10.213." + std::to_string(::getpid() % 250 + 1) + ".";
    addressA = net + "1";
    addressB = net + "2";
    removeStale();
    if (!make() && failure_.empty())
        failure_ = "the network namespaces could not be set up";
}

bool NetnsPair::make()
{
    if (::geteuid() != 0) {
        failure_ = "making network namespaces needs root (CAP_SYS_ADMIN and CAP_NET_ADMIN)";
        return false;
    }
    madeA_ = runCommand({"ip", "netns", "add", namespaceA}) == 0;
    madeB_ = madeA_ && runCommand({"ip", "netns", "add", namespaceB}) == 0;
    if (!madeB_) {
        failure_ = "\"ip netns add\" failed: this machine does not let the test make namespaces";
        return false;
    }
    const std::vector<std::vector<std::string>> steps = {
        {"ip", "link", "add", interfaceA, "netns", namespaceA, "type", "veth", "peer", "name",
         interfaceB, "netns", namespaceB},
        {"ip", "-n", namespaceA, "address", "add", addressA + "/24", "dev", interfaceA},
        {"ip", "-n", namespaceB, "address", "add", addressB + "/24", "dev", interfaceB},
        {"ip", "-n", namespaceA, "link", "set", "lo", "up"},
        {"ip", "-n", namespaceB, "link", "set", "lo", "up"},
        {"ip", "-n", namespaceA, "link", "set", interfaceA, "up"},
        {"ip", "-n", namespaceB, "link", "set", interfaceB, "up"},
    };
    for (const auto& step : steps) {
        if (runCommand(step) != 0) {
            failure_ = "\"" + step[0] + " " + step[1] + " " + step[2] + " " + step[3] + "\" failed";
            return false;
        }
    }
    return true;
}

NetnsPair::~NetnsPair()
{
    // Deleting a namespace deletes the veth end in it, and with it the pair.
    if (madeA_)
        runCommand({"ip", "netns", "delete", namespaceA});
    if (madeB_)
        runCommand({"ip", "netns", "delete", namespaceB});
}

NetnsEnvironment NetnsEnvironment::fromEnvironment()
{
    return {env("VELNET_TEST_NETNS_A"), env("VELNET_TEST_NETNS_B"),   env("VELNET_TEST_IFACE_A"),
            env("VELNET_TEST_IFACE_B"), env("VELNET_TEST_ADDRESS_A"), env("VELNET_TEST_ADDRESS_B")};
}

int runInsideNetns(int argc, char** argv, const std::function<int(int, char**)>& body)
{
    if (!env("VELNET_TEST_NETNS_A").empty())
        return body(argc, argv);

    NetnsPair pair;
    if (!pair.failure().empty()) {
        std::cout << "SKIPPED: " << pair.failure() << "\n";
        return kSkipped;
    }
    ::setenv("VELNET_TEST_NETNS_A", pair.namespaceA.c_str(), 1);
    ::setenv("VELNET_TEST_NETNS_B", pair.namespaceB.c_str(), 1);
    ::setenv("VELNET_TEST_IFACE_A", pair.interfaceA.c_str(), 1);
    ::setenv("VELNET_TEST_IFACE_B", pair.interfaceB.c_str(), 1);
    ::setenv("VELNET_TEST_ADDRESS_A", pair.addressA.c_str(), 1);
    ::setenv("VELNET_TEST_ADDRESS_B", pair.addressB.c_str(), 1);
    ::setenv("VELNET_NICS", pair.interfaceA.c_str(), 1);

    std::vector<std::string> command = {"ip", "netns", "exec", pair.namespaceA,
                                        std::filesystem::read_symlink("/proc/self/exe").string()};
    for (int i = 1; i < argc; ++i)
        command.emplace_back(argv[i]);
    std::vector<char*> childArgv;
    for (auto& part : command)
        childArgv.push_back(part.data());
    childArgv.push_back(nullptr);
    // The run inside gets the terminal; an interrupt ends it, and then this
    // process removes the namespaces.
    ::signal(SIGINT, SIG_IGN);
    ::signal(SIGTERM, SIG_IGN);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "ip", nullptr, nullptr, childArgv.data(), environ) != 0) {
        std::cout << "the test could not be started inside " << pair.namespaceA << "\n";
        return 1;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace velnet::test
