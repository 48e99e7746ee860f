#include "platform/native_socket.h"

#include <cerrno>
#include <stdexcept>

namespace vant::native_socket {

namespace {

// POSIX sockets need no start-up; the hook keeps the once-only contract that
// callers rely on. Broken-pipe signals are avoided per call (MSG_NOSIGNAL),
// so the process's signal dispositions stay the embedding program's own.
int startSocketLayer() { return 0; }

}  // namespace

bool initialize() {
    // A throwing initialiser leaves the static unset, so a failed start-up is
    // tried again on the next call.
    static const bool started = [] {
        if (startSocketLayer() != 0) {
            throw std::runtime_error("Cannot initialize Winsock 2.2");
        }
        return true;
    }();
    return started;
}

std::string failure(const char* what, std::int32_t code) {
    std::string text = what;
    text += " (socket error ";
    text += std::to_string(code);
    text += ')';
    return text;
}

std::int32_t normalizedError(int platformError) {
    if (platformError == EAGAIN || platformError == EWOULDBLOCK) return wouldBlock;
    if (platformError == EINTR) return interrupted;
    if (platformError == EINPROGRESS || platformError == EALREADY) return inProgress;
    return platformError;
}

std::int32_t lastError() { return normalizedError(errno); }

}  // namespace vant::native_socket
