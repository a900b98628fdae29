// SPDX-License-Identifier: MIT
#include "linux/cfm/CfmEcho.h"

#include "linux/cfm/EchoRecord.h"
#include "linux/cfm/LoopbackResponder.h"
#include "linux/cfm/LoopbackSender.h"
#include "linux/cfm/PacketSocket.h"
#include "linux/cfm/StopSignal.h"

#include <mutex>
#include <unistd.h>

namespace velnet::cfmecho {

namespace {

std::string hostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

} // namespace

struct EchoSession::Impl
{
    mutable std::mutex mutex;
    std::string interfaceName;
    std::string computerName;
    std::atomic<std::uint8_t> state{Idle};
    StopSignal stop;
    EchoRecord record;

    std::optional<std::string> runOnSocket(Role role, bool continuous);
};

EchoSession::EchoSession() : impl_(std::make_unique<Impl>()) {}
EchoSession::~EchoSession() = default;

void EchoSession::setInterface(const std::string& name)
{
    std::lock_guard lock(impl_->mutex);
    impl_->interfaceName = name;
}

void EchoSession::setComputerName(const std::string& name)
{
    std::lock_guard lock(impl_->mutex);
    impl_->computerName = name;
}

std::optional<std::string> EchoSession::run(Role role, bool continuous)
{
    std::uint8_t idle = Idle;
    if (!impl_->state.compare_exchange_strong(idle, role == Role::Send ? Sending : Responding))
        return std::string("The echo test is already running.");
    std::optional<std::string> result;
    if (!impl_->stop.takePending())
        result = impl_->runOnSocket(role, continuous);
    impl_->stop.forget(); // this run took it
    impl_->state = Idle;
    return result;
}

std::optional<std::string> EchoSession::Impl::runOnSocket(Role role, bool continuous)
{
    if (const auto& ready = stop.ready(); !ready)
        return ready.error();
    std::string interface;
    std::string name;
    {
        std::lock_guard lock(mutex);
        interface = interfaceName;
        name = computerName.empty() ? hostName() : computerName;
    }
    PacketSocket socket;
    if (auto failure = socket.open(interface, kEchoMdLevel))
        return failure;
    if (role == Role::Respond)
        return LoopbackResponder(socket, stop, record, name).run();
    return LoopbackSender(socket, stop, record, name).run(continuous);
}

void EchoSession::stop()
{
    impl_->stop.raise();
}

void EchoSession::clear()
{
    // A stop for the run in progress stays: a clear right after it must not
    // take it away before the run has seen it.
    if (impl_->state.load() == Idle)
        impl_->stop.forget();
    impl_->record.clear();
}

EchoSession::State EchoSession::state() const
{
    return static_cast<State>(impl_->state.load());
}
EchoFigures EchoSession::figures() const
{
    return impl_->record.figures();
}
std::string EchoSession::lastResponder() const
{
    return impl_->record.lastResponder();
}
std::string EchoSession::lastSender() const
{
    return impl_->record.lastSender();
}

} // namespace velnet::cfmecho
