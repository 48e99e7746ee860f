#pragma once

// Internal to the voice library: the one datagram socket of a transport or
// the relay.

#include <sys/socket.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/socket_handle.h"

namespace vant::voice {

struct Datagram {
    sockaddr_storage sender{};
    socklen_t senderLength = 0;
    std::vector<std::byte> bytes;
};

class DatagramSocket {
public:
    DatagramSocket() = default;
    ~DatagramSocket();
    DatagramSocket(const DatagramSocket&) = delete;
    DatagramSocket& operator=(const DatagramSocket&) = delete;

    // Binds (server) or connects (client) to the first usable address of
    // `host` ("" for none) and `port`; `family` narrows the lookup (AF_UNSPEC
    // for any). Throws std::runtime_error "Voice address: ..." or "Cannot open
    // native UDP voice socket".
    void open(const std::string& host, std::uint16_t port, bool bind, int family = AF_UNSPEC);
    void close();
    bool isOpen() const { return handle_ != native_socket::invalidHandle; }
    std::uint16_t port() const { return port_; }
    native_socket::Handle handle() const { return handle_; }

    // Up to 128 waiting datagrams, never blocking; oversized ones are dropped.
    std::vector<Datagram> receive();
    // True when the whole datagram went out.
    bool send(std::span<const std::byte> bytes);
    bool sendTo(std::span<const std::byte> bytes, const sockaddr_storage& address, socklen_t length);

private:
    native_socket::Handle handle_ = native_socket::invalidHandle;
    std::uint16_t port_ = 0;
};

}  // namespace vant::voice
