// SPDX-License-Identifier: MIT
// The monitor inside the running service: a change of a NIC's values in the
// store (as a save in nicsetup makes it) changes what the service watches,
// without a restart. On a veth end in a namespace of the test's own; the
// service's alerts go to its standard error (no journal here).
#include "common/registry/FileRegistry.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"
#include "tests/vxsrvnt/autocure/ScratchNetns.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <nlohmann/json.hpp>
#include <thread>

namespace velnet::vxsrvnt::autocure {
namespace {

using namespace std::chrono_literals;
using test::ScratchNetns;
using velnet::test::ChildProcess;

std::vector<std::string> inNetns(const ScratchNetns& netns, std::vector<std::string> command)
{
    std::vector<std::string> full{"ip", "netns", "exec", netns.name()};
    full.insert(full.end(), command.begin(), command.end());
    return full;
}

// The instance key the service gave adapter 1.
std::string adapterKey(registry::FileRegistry& store)
{
    for (int n = 0; n < 50; ++n) {
        const std::string path =
            "SYSTEM\\CurrentControlSet\\Services\\vxsrvnt" + std::to_string(n) + "\\Parameters";
        registry::Key key = store.open(registry::Root::LocalMachine, path, registry::Access::Full);
        if (key)
            return path;
    }
    return {};
}

TEST(AutocureService, ASavedChangeOfTheValuesChangesTheMonitorWhileItRuns)
{
    velnet::test::TempDir scratch;
    const std::string store = scratch.file("registry.reg");
    ::setenv("VELNET_REGISTRY", store.c_str(), 1);
    ::setenv("VELNET_RUNTIME_DIR", scratch.path().c_str(), 1);
    ::setenv("VELNET_NICS", "vxnic0", 1);
    ScratchNetns netns("service");
    netns.ip({"link", "add", "vxnic0", "type", "veth", "peer", "name", "vxpeer0"});
    netns.ip({"link", "set", "vxnic0", "up"});
    netns.ip({"link", "set", "vxpeer0", "up"});

    std::string output;
    ASSERT_EQ(ChildProcess::run(inNetns(netns, {VXSRVNT, "--store", store, "install"}), &output), 0)
        << output;
    ChildProcess service(inNetns(netns, {VXSRVNT, "--store", store, "run"}));
    const auto started = service.readUntil("vxsrvnt: autocure Information: vxnic0", 20s);
    ASSERT_TRUE(started);
    EXPECT_NE(started->find("autocure started: Basic, window 10 s"), std::string::npos) << *started;

    {
        registry::FileRegistry registry(store);
        const std::string path = adapterKey(registry);
        registry::Key key =
            registry.open(registry::Root::LocalMachine, path, registry::Access::Full);
        ASSERT_TRUE(key) << path;
        registry.beginGroup();
        (void)key.setString("SelfCheckLevel", "enhanced"); // the group's commit reports
        (void)key.setDword("SamplingWindow", 1);
        ASSERT_EQ(registry.commitGroup(), registry::Status::Success);
    }
    const auto changed = service.readUntil("vxsrvnt: autocure Information: vxnic0", 20s);
    ASSERT_TRUE(changed);
    EXPECT_NE(changed->find("autocure changed: Enhanced, window 1 s"), std::string::npos)
        << *changed;

    std::this_thread::sleep_for(2500ms); // windows of a second close
    ASSERT_EQ(
        ChildProcess::run(inNetns(netns, {VXSRVNT, "--store", store, "status", "--json"}), &output),
        0)
        << output;
    const auto autocure = nlohmann::json::parse(output).at("adapters").at(0).at("autocure");
    EXPECT_EQ(autocure.at("level"), "Enhanced");
    EXPECT_EQ(autocure.at("windowSeconds"), 1);
    EXPECT_EQ(autocure.at("lastWindow").at("verdict"), "idle") << autocure.dump();

    service.signal(SIGTERM);
    EXPECT_EQ(service.wait(10s), 0);
}

} // namespace
} // namespace velnet::vxsrvnt::autocure
