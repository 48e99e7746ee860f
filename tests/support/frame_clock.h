#pragma once

#include <chrono>

namespace bastion::testing_support {

// The seconds since the previous call (since construction the first time),
// as the game's frame loop measures its frames. A test that drives a client
// with it keeps the client's time-outs in real time: on a slow machine a
// fixed step per pump would let them run out while the other side, another
// process, has had far less time to answer.
class FrameClock {
public:
    float next() {
        const auto now = std::chrono::steady_clock::now();
        const std::chrono::duration<float> elapsed = now - last_;
        last_ = now;
        return elapsed.count();
    }

private:
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

}  // namespace bastion::testing_support
