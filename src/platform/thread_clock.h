#pragma once

#include <chrono>

namespace bastion::platform {

// Processor time the calling thread has used. Unlike the wall clock it does
// not run while a busy machine leaves the thread waiting for a core, so a
// bound on work measured with it holds however loaded the machine is.
std::chrono::nanoseconds threadProcessorTime();

}  // namespace bastion::platform
