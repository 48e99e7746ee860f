#include <stdexcept>
#include <string>

#include "xr/xr.h"

namespace vant {

void check(XrResult result, const char* call) {
    if (result >= 0) return;
    throw std::runtime_error(std::string(call) + " (OpenXR " + std::to_string(static_cast<int>(result)) + ")");
}

}  // namespace vant
