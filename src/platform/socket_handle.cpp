#include "platform/socket_handle.h"

#include <fcntl.h>
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

int sendFlags() { return MSG_NOSIGNAL; }

}  // namespace vant::native_socket
