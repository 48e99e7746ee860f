#include "net/internal/tcp_socket.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <stdexcept>

#include "platform/native_socket.h"

namespace vant::net::tcp {

AddressList lookup(const std::string& host, std::uint16_t port, bool passive) {
    native_socket::initialize();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_NUMERICSERV | (passive ? AI_PASSIVE : 0);
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int status = ::getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &found);
    if (status != 0) throw std::runtime_error(std::string("TCP address: ") + ::gai_strerror(status));
    return AddressList(found);
}

void prepare(native_socket::Handle socket, bool connected) {
    if (!native_socket::setNonBlocking(socket) || !native_socket::setNotInheritable(socket)) {
        throw std::runtime_error(native_socket::failure("nonblocking socket", native_socket::lastError()));
    }
    const int on = 1;
    if (connected && ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0) {
        throw std::runtime_error(native_socket::failure("TCP_NODELAY", native_socket::lastError()));
    }
}

}  // namespace vant::net::tcp
