#pragma once

// Internal to the net library: what connecting, listening and accepting
// share.

#include <netdb.h>

#include <memory>
#include <string>

#include "platform/socket_handle.h"

namespace vant::net::tcp {

struct AddressListDeleter {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

// Starts the socket layer and resolves `host` ("" for none) and `port` for
// TCP. Throws std::runtime_error "TCP address: <resolver text>".
AddressList lookup(const std::string& host, std::uint16_t port, bool passive);

// Non-blocking and not inheritable, plus TCP_NODELAY when `connected`.
// Throws std::runtime_error with the socket failure text; the caller closes.
void prepare(native_socket::Handle socket, bool connected);

// Closes the handle when the scope ends unless released.
class HandleGuard {
public:
    explicit HandleGuard(native_socket::Handle handle) : handle_(handle) {}
    ~HandleGuard() { native_socket::closeHandle(handle_); }
    HandleGuard(const HandleGuard&) = delete;
    HandleGuard& operator=(const HandleGuard&) = delete;
    native_socket::Handle get() const { return handle_; }
    native_socket::Handle release() {
        const native_socket::Handle handle = handle_;
        handle_ = native_socket::invalidHandle;
        return handle;
    }

private:
    native_socket::Handle handle_;
};

}  // namespace vant::net::tcp
