// SPDX-License-Identifier: MIT
#include "linux/cfm/EchoRecord.h"

#include <algorithm>

namespace velnet::cfmecho {

void EchoRecord::countSent()
{
    std::lock_guard lock(mutex_);
    ++figures_.sent;
}

void EchoRecord::countLost()
{
    std::lock_guard lock(mutex_);
    ++figures_.lost;
}

void EchoRecord::countReply(std::chrono::nanoseconds roundTrip, const std::string& responder)
{
    // Whole microseconds, rounded up: an echo never took no time at all.
    const auto us =
        static_cast<std::uint64_t>(std::max<std::int64_t>(1, (roundTrip.count() + 999) / 1000));
    std::lock_guard lock(mutex_);
    ++figures_.received;
    figures_.rttMinUs = figures_.rttSamples == 0 ? us : std::min(figures_.rttMinUs, us);
    figures_.rttMaxUs = std::max(figures_.rttMaxUs, us);
    figures_.rttSumUs += us;
    ++figures_.rttSamples;
    if (lastResponder_ != responder)
        lastResponder_ = responder;
}

void EchoRecord::countMessage(const std::string& sender)
{
    std::lock_guard lock(mutex_);
    ++figures_.received;
    if (lastSender_ != sender)
        lastSender_ = sender;
}

void EchoRecord::countReplySent()
{
    std::lock_guard lock(mutex_);
    ++figures_.sent;
}

void EchoRecord::clear()
{
    std::lock_guard lock(mutex_);
    figures_ = {};
    lastResponder_.clear();
    lastSender_.clear();
}

EchoFigures EchoRecord::figures() const
{
    std::lock_guard lock(mutex_);
    return figures_;
}

std::string EchoRecord::lastResponder() const
{
    std::lock_guard lock(mutex_);
    return lastResponder_;
}

std::string EchoRecord::lastSender() const
{
    std::lock_guard lock(mutex_);
    return lastSender_;
}

} // namespace velnet::cfmecho
