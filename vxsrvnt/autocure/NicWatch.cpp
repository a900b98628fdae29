// SPDX-License-Identifier: MIT
#include "vxsrvnt/autocure/NicWatch.h"

#include <algorithm>
#include <limits>

namespace velnet::vxsrvnt::autocure {

namespace {

// The longest pause between cures that did not help, in windows.
constexpr int kMaxPauseWindows = 64;

// Growth across a wrap is taken for one when it is below half the counter's
// range; anything larger means the counter started again from zero.
constexpr std::uint64_t kWrapLimit32 = std::uint64_t{1} << 31;

} // namespace

std::uint64_t counterGrowth(std::uint64_t before, std::uint64_t now)
{
    if (now >= before)
        return now - before;
    const std::uint64_t across64 = now - before; // modulo 2^64
    if (across64 < kWrapLimit32)
        return across64;
    if (before <= std::numeric_limits<std::uint32_t>::max()) {
        const std::uint64_t across32 = (std::uint64_t{1} << 32) - before + now;
        if (across32 < kWrapLimit32)
            return across32;
    }
    return now; // reset
}

NicWatch::NicWatch(const AcdPolicy& policy, std::chrono::milliseconds now)
    : policy_(policy), windowStart_(now)
{
}

void NicWatch::restart(std::chrono::milliseconds now)
{
    windowStart_ = now;
    baseline_.reset();
    packets_ = 0;
    bad_ = 0;
    linkLost_ = false;
    adminUp_ = true;
    carrier_ = true;
}

bool NicWatch::observe(const LinkCounters& link, std::chrono::milliseconds now)
{
    if (baseline_) {
        const Counters& b = *baseline_;
        packets_ +=
            counterGrowth(b.rxPackets, link.rxPackets) + counterGrowth(b.txPackets, link.txPackets);
        bad_ +=
            counterGrowth(b.rxErrors, link.rxErrors) + counterGrowth(b.txErrors, link.txErrors) +
            counterGrowth(b.rxDropped, link.rxDropped) + counterGrowth(b.txDropped, link.txDropped);
    }
    baseline_ = Counters{link.rxPackets, link.txPackets, link.rxErrors,
                         link.txErrors,  link.rxDropped, link.txDropped};
    const bool wasUp = linkUp();
    if (graceUntil_ && now >= *graceUntil_)
        graceUntil_.reset();
    adminUp_ = link.adminUp;
    carrier_ = link.carrier || graceUntil_.has_value();
    const bool lost = adminUp_ && !carrier_;
    linkLost_ = linkLost_ || lost;
    return wasUp && lost;
}

bool NicWatch::windowDue(std::chrono::milliseconds now) const
{
    return policy_.watched() && now - windowStart_ >= std::chrono::seconds(policy_.windowSeconds);
}

double NicWatch::windowElapsedSeconds(std::chrono::milliseconds now) const
{
    return std::chrono::duration<double>(now - windowStart_).count();
}

WindowFigures NicWatch::close(std::chrono::milliseconds now, bool selfTestFailed)
{
    WindowFigures f;
    f.packets = packets_;
    f.badPackets = bad_;
    const std::uint64_t all = packets_ + bad_;
    f.badPercent = all == 0 ? 0.0 : 100.0 * static_cast<double>(bad_) / static_cast<double>(all);
    f.linkLost = linkLost_;
    f.selfTestFailed = selfTestFailed;
    if (linkLost_ || selfTestFailed)
        f.verdict = WindowVerdict::Bad;
    else if (!adminUp_ || all < AcdPolicy::kPacketFloor)
        f.verdict = WindowVerdict::Idle;
    else
        f.verdict = policy_.badShare(packets_, bad_) ? WindowVerdict::Bad : WindowVerdict::Good;

    // The next window starts from this reading.
    windowStart_ = now;
    packets_ = 0;
    bad_ = 0;
    linkLost_ = false;
    ++closes_;

    if (f.verdict == WindowVerdict::Bad)
        ++run_;
    else if (f.verdict == WindowVerdict::Good)
        run_ = 0;

    verdict_ = CureVerdict::None;
    if (awaitingVerdict_ && f.verdict != WindowVerdict::Idle) {
        awaitingVerdict_ = false;
        if (f.verdict == WindowVerdict::Good) {
            verdict_ = CureVerdict::Helped;
            failedInARow_ = 0;
            allowedFrom_ = 0;
        } else {
            verdict_ = CureVerdict::DidNotHelp;
            growPause();
        }
    }
    last_ = f;
    return f;
}

bool NicWatch::cureDue() const
{
    return last_ && last_->verdict == WindowVerdict::Bad && run_ >= policy_.toleranceWindows &&
           !awaitingVerdict_ && closes_ >= allowedFrom_;
}

void NicWatch::cured(std::chrono::milliseconds now)
{
    graceUntil_ = now + kCureGrace;
    ++cures_;
    run_ = 0;
    awaitingVerdict_ = true;
}

void NicWatch::cureWithheld()
{
    growPause();
}

void NicWatch::growPause()
{
    // The window after this one is skipped, then twice as many each time.
    ++failedInARow_;
    const int pause = std::min(kMaxPauseWindows, 1 << std::min(failedInARow_ - 1, 6));
    allowedFrom_ = closes_ + 1 + pause;
}

} // namespace velnet::vxsrvnt::autocure
