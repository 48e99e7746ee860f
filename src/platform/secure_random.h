#pragma once

#include <cstddef>
#include <span>

namespace vant::native_socket {

// Fills `out` from the system's cryptographic random source; false when the
// source cannot deliver every byte.
bool secureRandom(std::span<std::byte> out);

}  // namespace vant::native_socket
