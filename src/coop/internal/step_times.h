#pragma once

#include <array>
#include <cstdint>

#include <nlohmann/json.hpp>

namespace bastion::coop {

// How long the lobby server's steps take, for the operator's report: a fixed
// histogram of 10 µs buckets up to 100 ms (anything longer lands in the last
// one), so a long-running server keeps constant memory.
class StepTimes {
public:
    void add(double seconds);
    // Upper edge of the bucket holding the given share (0..1) of the steps,
    // in milliseconds; 0 when no step was timed.
    double percentile(double share) const;
    // {"steps", "p50_ms", "p99_ms", "max_ms"}.
    nlohmann::json report() const;

private:
    static constexpr std::size_t kBuckets = 10'000;
    static constexpr double kBucketSeconds = 10e-6;
    std::array<std::uint64_t, kBuckets> counts_{};
    std::uint64_t steps_ = 0;
    double longest_ = 0.0;
};

}  // namespace bastion::coop
