// SPDX-License-Identifier: MIT
#pragma once

#include "vxsrvnt/autocure/AcdPolicy.h"
#include "vxsrvnt/autocure/LinkCounters.h"
#include "vxsrvnt/autocure/NicHealth.h"

#include <chrono>
#include <cstdint>
#include <optional>

namespace velnet::vxsrvnt::autocure {

// Growth of a counter between two readings. A counter that went backwards
// either wrapped (a driver's 32-bit counter passing 2^32, or a 64-bit one
// passing 2^64: the growth across the wrap is small) or was reset (its
// value now is what it counted since).
std::uint64_t counterGrowth(std::uint64_t before, std::uint64_t now);

// One NIC's windows, judged by its policy: no kernel, no clock of its own,
// no side effects. The monitor feeds it readings and asks what to do.
class NicWatch
{
public:
    enum class CureVerdict
    {
        None,       // no cure awaiting judgement, or the window was idle
        Helped,     // the first judged window after a cure was good
        DidNotHelp, // ... was bad
    };

    NicWatch() = default;
    NicWatch(const AcdPolicy& policy, std::chrono::milliseconds now);

    const AcdPolicy& policy() const { return policy_; }
    // Keeps the window in progress and the run: the new values judge the
    // window when it closes (and its new length decides when).
    void setPolicy(const AcdPolicy& policy) { policy_ = policy; }
    // A new window from now, without a baseline (another interface, or back
    // after being gone). The run and the cure history stay.
    void restart(std::chrono::milliseconds now);

    // One tick's reading of this NIC's link. Answers true when the link was
    // there at the reading before and is lost now (for the alert). For
    // kCureGrace after a cure a lost link does not count: a reset NIC
    // negotiates its link afresh.
    bool observe(const LinkCounters& link, std::chrono::milliseconds now);
    bool windowDue(std::chrono::milliseconds now) const;
    double windowElapsedSeconds(std::chrono::milliseconds now) const;

    // Closes the window and opens the next. `selfTestFailed` is the online
    // self test's result when one ran.
    WindowFigures close(std::chrono::milliseconds now, bool selfTestFailed);
    CureVerdict lastCureVerdict() const { return verdict_; }
    // A cure is due: this window was bad, the run reached the tolerance, no
    // cure awaits judgement, and the pause is over.
    bool cureDue() const;
    // The monitor cured: the run starts again and the next judged window
    // tells whether it helped.
    void cured(std::chrono::milliseconds now);

    static constexpr std::chrono::seconds kCureGrace{10};
    // The monitor could not or would not cure (both members sick, a failed
    // hand-over or reset): the run stays and the pause grows.
    void cureWithheld();

    int badWindowsInARow() const { return run_; }
    int cures() const { return cures_; }
    bool awaitingVerdict() const { return awaitingVerdict_; }
    // Windows to close before a cure may come again; 0 when it may now.
    int pauseWindows() const { return allowedFrom_ > closes_ ? allowedFrom_ - closes_ : 0; }
    const std::optional<WindowFigures>& lastWindow() const { return last_; }
    bool linkUp() const { return carrier_ || !adminUp_; }

private:
    void growPause();

    AcdPolicy policy_;
    std::chrono::milliseconds windowStart_{0};
    std::optional<std::chrono::milliseconds> graceUntil_; // after a cure
    // The counters of the reading before (the six the windows add up).
    struct Counters
    {
        std::uint64_t rxPackets, txPackets, rxErrors, txErrors, rxDropped, txDropped;
    };
    std::optional<Counters> baseline_;
    std::uint64_t packets_ = 0;
    std::uint64_t bad_ = 0;
    bool linkLost_ = false;
    bool adminUp_ = true;
    bool carrier_ = true;

    std::optional<WindowFigures> last_;
    int run_ = 0;
    int cures_ = 0;
    bool awaitingVerdict_ = false;
    CureVerdict verdict_ = CureVerdict::None;
    int failedInARow_ = 0; // cures that did not help, or were withheld, in a row
    int closes_ = 0;       // windows closed so far
    int allowedFrom_ = 0;  // the close from which a cure may come again
};

} // namespace velnet::vxsrvnt::autocure
