#pragma once

#include <chrono>
#include <functional>

namespace vant::voice {

using SteadyTime = std::chrono::steady_clock::time_point;
// Where the network objects read the time; tests hand in a clock they step.
using TimeSource = std::function<SteadyTime()>;

inline SteadyTime steadyNow() { return std::chrono::steady_clock::now(); }

}  // namespace vant::voice
