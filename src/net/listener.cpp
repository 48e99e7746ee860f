#include "net/internal/listener.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <stdexcept>

#include "net/internal/tcp_socket.h"
#include "platform/native_socket.h"

namespace vant::net {

namespace {

using native_socket::Handle;
using native_socket::invalidHandle;

constexpr int backlog = 64;

}  // namespace

struct Listener::Impl {
    Handle socket = invalidHandle;
    std::uint16_t port = 0;
    Limits limits;

    ~Impl() { native_socket::closeHandle(socket); }
};

Listener::Listener() : impl_(std::make_unique<Impl>()) {}
Listener::~Listener() = default;
Listener::Listener(Listener&&) noexcept = default;
Listener& Listener::operator=(Listener&&) noexcept = default;

Listener Listener::bind(const std::string& host, std::uint16_t port, const Limits& limits) {
    checkLimits(limits);
    const tcp::AddressList addresses = tcp::lookup(host, port, true);
    std::string pending = "No TCP listen address";
    for (const addrinfo* address = addresses.get(); address != nullptr; address = address->ai_next) {
        tcp::HandleGuard socket(::socket(address->ai_family, address->ai_socktype, address->ai_protocol));
        if (socket.get() == invalidHandle) {
            pending = native_socket::failure("TCP listen socket", native_socket::lastError());
            continue;
        }
        const int on = 1, off = 0;
        ::setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (address->ai_family == AF_INET6) {
            ::setsockopt(socket.get(), IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
        }
        if (::bind(socket.get(), address->ai_addr, address->ai_addrlen) != 0 || ::listen(socket.get(), backlog) != 0) {
            pending = native_socket::failure("TCP listen", native_socket::lastError());
            continue;
        }
        try {
            tcp::prepare(socket.get(), false);
        } catch (const std::runtime_error& failure) {
            pending = failure.what();
            continue;
        }
        const std::uint16_t bound = native_socket::localPort(socket.get());
        if (bound == 0) {
            pending = native_socket::failure("TCP listen port", native_socket::lastError());
            continue;
        }
        Listener listener;
        listener.impl_->socket = socket.release();
        listener.impl_->port = bound;
        listener.impl_->limits = limits;
        return listener;
    }
    throw std::runtime_error(pending);
}

std::uint16_t Listener::port() const { return impl_ ? impl_->port : 0; }

std::optional<Connection> Listener::accept() {
    if (!impl_ || impl_->socket == invalidHandle) return std::nullopt;
    for (;;) {
        const Handle accepted = ::accept(impl_->socket, nullptr, nullptr);
        if (accepted == invalidHandle) {
            const std::int32_t code = native_socket::lastError();
            if (code == native_socket::interrupted) continue;
            if (code == native_socket::wouldBlock) return std::nullopt;
            throw std::runtime_error(native_socket::failure("TCP accept", code));
        }
        tcp::HandleGuard socket(accepted);
        tcp::prepare(socket.get(), true);
        return Connection(socket.release(), impl_->limits);
    }
}

void Listener::close() { impl_ = std::make_unique<Impl>(); }

}  // namespace vant::net
