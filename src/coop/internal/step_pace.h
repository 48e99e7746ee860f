#pragma once

#include <chrono>

namespace bastion::coop {

// The lobby server's pace of sixty steps a second. After a step that ran
// long, the next ones start at once until the lost ticks are made up, so
// snapshot ticks that take longer than a tick still average sixty a second.
// Further behind than the catch-up limit (the process was stopped or
// starved), the pace restarts from now instead of running a burst of steps.
using StepClock = std::chrono::steady_clock;
inline constexpr auto kStepPeriod = std::chrono::microseconds(1'000'000 / 60);
inline constexpr auto kCatchUpLimit = std::chrono::milliseconds(250);

// When the next step begins, after the step scheduled for `scheduled` began
// at `now`.
inline StepClock::time_point nextStepTime(StepClock::time_point scheduled, StepClock::time_point now) {
    const StepClock::time_point next = scheduled + kStepPeriod;
    return now - next > kCatchUpLimit ? now + kStepPeriod : next;
}

}  // namespace bastion::coop
