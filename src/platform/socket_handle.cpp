#include "platform/socket_handle.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vant::native_socket {

bool setNonBlocking(Handle socket) {
    const int flags = ::fcntl(socket, F_GETFL);
    return flags != -1 && ::fcntl(socket, F_SETFL, flags | O_NONBLOCK) != -1;
}

bool setNotInheritable(Handle socket) {
    const int flags = ::fcntl(socket, F_GETFD);
    return flags != -1 && ::fcntl(socket, F_SETFD, flags | FD_CLOEXEC) != -1;
}

void closeHandle(Handle socket) {
    if (socket != invalidHandle) ::close(socket);
}

std::uint16_t localPort(Handle socket) {
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
    if (local.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(local).sin_port);
    if (local.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(local).sin6_port);
    return 0;
}

int sendFlags() { return MSG_NOSIGNAL; }

}  // namespace vant::native_socket
