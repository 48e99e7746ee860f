#include "coop/internal/step_times.h"

#include <algorithm>
#include <cmath>

namespace bastion::coop {

void StepTimes::add(double seconds) {
    if (!(seconds >= 0.0)) seconds = 0.0;
    const double bucket = std::floor(seconds / kBucketSeconds);
    counts_[static_cast<std::size_t>(std::min(bucket, static_cast<double>(kBuckets - 1)))] += 1;
    ++steps_;
    longest_ = std::max(longest_, seconds);
}

double StepTimes::percentile(double share) const {
    if (steps_ == 0) return 0.0;
    // The step of that rank, counted from 1, so the median of one step is it.
    const auto rank = static_cast<std::uint64_t>(std::max(1.0, std::ceil(share * static_cast<double>(steps_))));
    std::uint64_t seen = 0;
    for (std::size_t i = 0; i < kBuckets; ++i) {
        seen += counts_[i];
        if (seen >= rank) {
            if (i == kBuckets - 1) break;  // the last bucket holds everything longer
            return std::min(static_cast<double>(i + 1) * kBucketSeconds, longest_) * 1000.0;
        }
    }
    return longest_ * 1000.0;
}

nlohmann::json StepTimes::report() const {
    return {{"steps", steps_}, {"p50_ms", percentile(0.5)}, {"p99_ms", percentile(0.99)}, {"max_ms", longest_ * 1000.0}};
}

}  // namespace bastion::coop
