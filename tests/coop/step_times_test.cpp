#include <gtest/gtest.h>

#include "coop/internal/step_times.h"

namespace bastion::coop {
namespace {

TEST(StepTimes, PercentilesOfTheTimedSteps) {
    const struct {
        const char* what;
        std::vector<double> seconds;
        double p50, p99, max;
    } cases[] = {
        {"no steps", {}, 0.0, 0.0, 0.0},
        {"one step reports itself", {0.0042}, 0.0042, 0.0042, 0.0042},
        // 98 fast steps and two slow ones: the p99 lands on the slow ones.
        {"a slow tail", [] {
             std::vector<double> v(98, 0.001);
             v.push_back(0.020);
             v.push_back(0.030);
             return v;
         }(),
         0.001, 0.020, 0.030},
        {"beyond the last bucket", {0.5, 0.5}, 0.5, 0.5, 0.5},
        {"a negative time counts as zero", {-1.0}, 0.0, 0.0, 0.0},
    };
    for (const auto& c : cases) {
        StepTimes times;
        for (double s : c.seconds) times.add(s);
        const nlohmann::json report = times.report();
        EXPECT_EQ(report["steps"], c.seconds.size()) << c.what;
        EXPECT_NEAR(report["p50_ms"].get<double>(), c.p50 * 1000.0, 0.0101) << c.what;  // a bucket's width
        EXPECT_NEAR(report["p99_ms"].get<double>(), c.p99 * 1000.0, 0.0101) << c.what;
        EXPECT_NEAR(report["max_ms"].get<double>(), c.max * 1000.0, 1e-9) << c.what;
    }
}

}  // namespace
}  // namespace bastion::coop
