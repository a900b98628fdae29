// SPDX-License-Identifier: MIT
// The other computer of an echo test: loads the NIC libraries the way
// cardcheck does (NICPORT_SCENARIO names the scenario, which gives this
// process its own computer name and UDP port), selects the first NIC and
// answers echoes as the responder until its standard input says "stop" or
// closes. It prints "responding" once the library responds, and at the end
// the number of echoes it received.
#include "cardcheck/adapter/AdapterLibrary.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

int main()
{
    using velnet::cardcheck::AdapterLibrary;
    std::string error;
    velnet::cardcheck::Discovery discovery;
    if (discovery.Discover(error) <= 0) {
        std::fprintf(stderr, "echo responder: no NIC: %s\n", error.c_str());
        return 1;
    }
    velnet::cardcheck::BindingState state;
    AdapterLibrary library(std::move(discovery), state);
    std::string message;
    if (!library.select(0, message)) {
        std::fprintf(stderr, "echo responder: cannot select NIC 0: %s\n", message.c_str());
        return 1;
    }

    std::int32_t result = 0;
    std::thread worker([&] { result = library.EchoTest(VELNET_ECHO_RESPOND, 1); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (library.EchoState() != VELNET_ECHO_RESPOND &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const bool responding = library.EchoState() == VELNET_ECHO_RESPOND;
    std::printf("%s\n", responding ? "responding" : "not responding");
    std::fflush(stdout);

    std::string line;
    while (responding && std::getline(std::cin, line) && line != "stop") {
    }
    library.EchoTest(VELNET_ECHO_STOP, 0);
    worker.join();
    std::printf("received %s\n", library.NumberEchosReceived().c_str());
    library.putDriversBack();
    return responding && result == 0 ? 0 : 2;
}
