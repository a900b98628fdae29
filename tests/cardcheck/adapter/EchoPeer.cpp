// SPDX-License-Identifier: MIT
// The other computer of the echo test: loads the card-type library through
// the adapter binding, answers echoes as responder and, when its standard
// input closes, stops and writes what it saw.
//
//   cardcheck_echo_peer SCENARIO RESULT-FILE

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/adapter/Discovery.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <thread>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: cardcheck_echo_peer SCENARIO RESULT-FILE\n";
        return 2;
    }
    ::setenv("NICPORT_SCENARIO", argv[1], 1);
    velnet::cardcheck::Discovery discovery;
    std::string error;
    if (discovery.Discover(error) <= 0) {
        std::cerr << error << "\n";
        return 1;
    }
    velnet::cardcheck::BindingState state;
    velnet::cardcheck::AdapterLibrary adapter(std::move(discovery), state);
    std::string message;
    if (!adapter.select(0, message)) {
        std::cerr << message << "\n";
        return 1;
    }
    adapter.ClearStats();
    std::int32_t result = -2;
    std::thread worker([&] { result = adapter.EchoTest(VELNET_ECHO_RESPOND, 1); });
    while (adapter.EchoState() != VELNET_ECHO_RESPOND)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::cout << "ready" << std::endl;

    for (std::string line; std::getline(std::cin, line);) {
    }
    const std::int32_t stop = adapter.EchoTest(VELNET_ECHO_STOP, 0);
    worker.join();
    std::ofstream out(argv[2]);
    out << "result=" << result << "\nstop=" << stop
        << "\nreceived=" << adapter.NumberEchosReceived() << "\nsent=" << adapter.NumberEchosSent()
        << "\nsender=" << adapter.LastEchoSender() << "\n";
    adapter.putDriversBack();
    return 0;
}
