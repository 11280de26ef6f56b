// Stopping long engine work from outside. A loop over many independent work
// items (the grid points of a curve, the reflux values of a sweep) asks its
// Interrupt between items whether to go on. The Interrupt reads a steady
// clock and calls its poll at most once per interval, so asking costs at
// most one clock read per item; a poll that answers "stop" ends the work
// with an Interrupted error. Items that come quickly read the clock less
// often: the stride between readings doubles, up to 16 items, while the
// items between two readings take less than a 64th of the interval, and is
// one item otherwise (always, with a zero interval). The poll's owner knows
// why it stopped (a pending signal) and reports that instead of the error.
// The thermodynamic solvers ask the same Interrupt through their stop
// request, between their own steps.
#pragma once

#include "engine/error.hpp"

#include "thermo/flash.hpp"

#include <algorithm>
#include <chrono>

namespace kolvar::engine {

class Interrupt {
public:
    // Answers true to stop the work.
    using Poll = bool (*)(void* context);

    // The time between two polls (apart from the length of one item): short
    // enough for a prompt stop, long enough that polling costs nothing.
    static constexpr std::chrono::nanoseconds default_interval = std::chrono::milliseconds(10);

    // Never stops and never reads the clock.
    Interrupt() noexcept = default;
    // The first poll comes one interval after construction.
    Interrupt(Poll poll, void* context, std::chrono::nanoseconds interval = default_interval) noexcept
        : poll_(poll), context_(context), interval_(interval), next_(std::chrono::steady_clock::now() + interval),
          last_read_(next_ - interval)
    {
    }

    // Called between work items: polls once the interval has passed since the
    // previous poll; fails with Interrupted "stopped between work items" when
    // the poll says stop, and from then on without polling again.
    Result<void> check()
    {
        if (poll_ == nullptr) return {};
        if (stopped_) return interrupted("stopped between work items");
        if (--countdown_ > 0) return {};
        const auto now = std::chrono::steady_clock::now();
        stride_ = now - last_read_ < interval_ / 64 ? std::min(2 * stride_, max_stride) : 1;
        countdown_ = stride_;
        last_read_ = now;
        if (now < next_) return {};
        if (poll_(context_)) {
            stopped_ = true;
            return interrupted("stopped between work items");
        }
        next_ = std::chrono::steady_clock::now() + interval_;
        return {};
    }

    // Whether a poll has said stop.
    bool stopped() const noexcept { return stopped_; }

    // The library's view of this interrupt, valid while it lives: a stop
    // request that checks it.
    thermo::StopRequest stop_request() noexcept
    {
        if (poll_ == nullptr) return {};
        return {[](void* self) { return !static_cast<Interrupt*>(self)->check(); }, this};
    }

private:
    static constexpr unsigned max_stride = 16;

    Poll poll_ = nullptr;
    void* context_ = nullptr;
    std::chrono::nanoseconds interval_{};
    std::chrono::steady_clock::time_point next_{};
    std::chrono::steady_clock::time_point last_read_{};
    unsigned stride_ = 1;     // items between two clock readings
    unsigned countdown_ = 1;  // items left until the next reading
    bool stopped_ = false;
};

}  // namespace kolvar::engine
