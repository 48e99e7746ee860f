#pragma once

#include <system_error>

namespace bastion::platform {

// The failure of a system call: `error` (an errno value) in the system
// category, with `what` as the message prefix.
std::system_error systemError(int error, const char* what);

}  // namespace bastion::platform
