#include "platform/internal/system_error.h"

namespace bastion::platform {

std::system_error systemError(int error, const char* what) {
    return std::system_error(error, std::system_category(), what);
}

}  // namespace bastion::platform
