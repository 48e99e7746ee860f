#include "platform/secure_random.h"

#include <cerrno>
#include <sys/random.h>

namespace vant::native_socket {

bool secureRandom(std::span<std::byte> out) {
    std::size_t filled = 0;
    while (filled < out.size()) {
        const ssize_t got = ::getrandom(out.data() + filled, out.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        filled += static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace vant::native_socket
