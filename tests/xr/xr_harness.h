#pragma once

// Runs the headset layer in a forked child with its own SDL window and
// OpenGL 3.3 context, against the test runtime: the loader, the runtime and
// SDL keep process-wide state, so every case gets a fresh process.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/test_runtime.h"
#include "xr/xr.h"

struct SDL_Window;

namespace bastion::testing_support {

struct XrOutcome {
    std::string error;   // the exception's message, empty when none
    std::string stderrText;  // what the layer wrote to standard error
    std::string result;  // what the body returned
};

// Builds a vant::XR, initializes it on the child's window and hands it to
// `body` (null when initialize threw). The object is destroyed before the
// child ends, so its closing line is part of `stderrText`.
XrOutcome runXr(const TestRuntime& runtime, const std::function<std::string(vant::XR&, SDL_Window*)>& body,
                const std::vector<std::pair<std::string, std::string>>& overrides = {});

}  // namespace bastion::testing_support
