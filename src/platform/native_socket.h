#pragma once

#include <cstdint>
#include <string>

// The socket layer every network path of the game starts before its first
// socket, and the one shape of a socket failure text.
namespace vant::native_socket {

// Starts the platform socket layer once per process; true once it runs.
// Throws std::runtime_error "Cannot initialize Winsock 2.2" when it cannot
// start (the next call tries again).
bool initialize();

// "<what> (socket error <code>)".
std::string failure(const char* what, std::int32_t code);

// The platform error code of a socket failure, with would-block (140),
// interrupted (4) and in-progress or already-connecting (112) made the same
// on every platform; other codes stay native.
std::int32_t normalizedError(int platformError);

// The normalised codes, for callers that branch on them.
inline constexpr std::int32_t wouldBlock = 140;
inline constexpr std::int32_t interrupted = 4;
inline constexpr std::int32_t inProgress = 112;

// The normalised code of the calling thread's last socket failure.
std::int32_t lastError();

}  // namespace vant::native_socket
