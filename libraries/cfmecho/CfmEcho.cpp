#include "CfmEcho.h"

#include <mutex>

// Placeholder until the frame engine lands: every run fails with a message.
namespace velnet::cfmecho {

struct EchoSession::Impl
{
    mutable std::mutex mutex;
    std::string interfaceName;
    std::string computerName;
};

EchoSession::EchoSession() : impl_(std::make_unique<Impl>()) {}
EchoSession::~EchoSession() = default;
void EchoSession::setInterface(const std::string& name) { std::lock_guard lock(impl_->mutex); impl_->interfaceName = name; }
void EchoSession::setComputerName(const std::string& name) { std::lock_guard lock(impl_->mutex); impl_->computerName = name; }
std::optional<std::string> EchoSession::run(Role, bool) { return std::string("The echo test is not available."); }
void EchoSession::stop() {}
void EchoSession::clear() {}
EchoSession::State EchoSession::state() const { return Idle; }
EchoFigures EchoSession::figures() const { return {}; }
std::string EchoSession::lastResponder() const { return {}; }
std::string EchoSession::lastSender() const { return {}; }

} // namespace velnet::cfmecho
