#include <gtest/gtest.h>

#include "coop/internal/step_pace.h"

namespace bastion::coop {
namespace {

using namespace std::chrono_literals;

TEST(StepPace, LateStepsAreMadeUpUnlessFarBehind) {
    const StepClock::time_point scheduled{10s};
    const struct {
        const char* what;
        StepClock::duration late;  // how long after `scheduled` the step began
        StepClock::time_point next;
    } cases[] = {
        {"on time", 0ms, scheduled + kStepPeriod},
        {"a long snapshot tick: the next step starts at once", 40ms, scheduled + kStepPeriod},
        {"at the catch-up limit", kStepPeriod + kCatchUpLimit, scheduled + kStepPeriod},
        {"past it: the pace restarts", kStepPeriod + kCatchUpLimit + 1ms, scheduled + 2 * kStepPeriod + kCatchUpLimit + 1ms},
        {"a two-second stop", 2s, scheduled + 2s + kStepPeriod},
    };
    for (const auto& c : cases) EXPECT_EQ(nextStepTime(scheduled, scheduled + c.late), c.next) << c.what;
}

// Every third step sends snapshots and runs 40 ms; the others take 5 ms. The
// work fits in a second, so the pace holds sixty steps a second.
TEST(StepPace, SlowSnapshotTicksKeepSixtyStepsASecond) {
    StepClock::time_point now{};
    StepClock::time_point next = now;
    int steps = 0;
    while (now < StepClock::time_point{10s}) {
        now = std::max(now, next);
        next = nextStepTime(next, now);
        now += steps % 3 == 0 ? 40ms : 5ms;
        ++steps;
    }
    EXPECT_NEAR(steps, 600, 3);
}

}  // namespace
}  // namespace bastion::coop
