#include "voice/internal/datagram_socket.h"

#include <netdb.h>
#include <netinet/in.h>

#include <memory>
#include <stdexcept>

#include "platform/native_socket.h"
#include "voice/internal/wire.h"

namespace vant::voice {

namespace {

constexpr int batchLimit = 128;
constexpr std::size_t receiveBufferBytes = 1024;
// A relay's socket holds a slow server step's worth of datagrams: 128
// speakers need about 1 MB for a fifth of a second, but a flood of tiny
// stray datagrams fills that in a few milliseconds, and a step that sends
// snapshots takes tens of them on a slow machine, during which the system
// would drop the speakers' voice with the strays. The same as the lobby's
// socket; the system may grant less, which is fine.
constexpr int relaySocketBufferBytes = 4 << 20;

struct AddressListDeleter {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};

native_socket::Handle openOne(const addrinfo& address, bool bind) {
    const native_socket::Handle handle = ::socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (handle == native_socket::invalidHandle) return handle;
    bool ready = native_socket::setNonBlocking(handle) && native_socket::setNotInheritable(handle);
    if (ready && bind) {
        if (address.ai_family == AF_INET6) {
            // IPv4 clients must reach a relay bound to the IPv6 wildcard.
            const int off = 0;
            ready = ::setsockopt(handle, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off) == 0;
        }
        ::setsockopt(handle, SOL_SOCKET, SO_RCVBUF, &relaySocketBufferBytes, sizeof relaySocketBufferBytes);
        ready = ready && ::bind(handle, address.ai_addr, address.ai_addrlen) == 0;
    } else if (ready) {
        ready = ::connect(handle, address.ai_addr, address.ai_addrlen) == 0;
    }
    if (!ready) {
        native_socket::closeHandle(handle);
        return native_socket::invalidHandle;
    }
    return handle;
}

}  // namespace

DatagramSocket::~DatagramSocket() { close(); }

void DatagramSocket::close() {
    native_socket::closeHandle(handle_);
    handle_ = native_socket::invalidHandle;
    port_ = 0;
}

void DatagramSocket::open(const std::string& host, std::uint16_t port, bool bind, int family) {
    close();
    native_socket::initialize();

    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_flags = bind ? AI_PASSIVE : 0;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int status = ::getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &found);
    if (status != 0) throw std::runtime_error(std::string("Voice address: ") + ::gai_strerror(status));
    const std::unique_ptr<addrinfo, AddressListDeleter> addresses(found);

    for (const addrinfo* address = addresses.get(); address != nullptr; address = address->ai_next) {
        handle_ = openOne(*address, bind);
        if (handle_ != native_socket::invalidHandle) break;
    }
    if (handle_ == native_socket::invalidHandle) throw std::runtime_error("Cannot open native UDP voice socket");
    port_ = native_socket::localPort(handle_);
}

std::vector<Datagram> DatagramSocket::receive() {
    std::vector<Datagram> batch;
    if (!isOpen()) return batch;
    std::byte buffer[receiveBufferBytes];
    for (int reads = 0; reads < batchLimit; ++reads) {
        Datagram datagram;
        datagram.senderLength = sizeof datagram.sender;
        const ssize_t got = ::recvfrom(handle_, buffer, sizeof buffer, 0,
                                       reinterpret_cast<sockaddr*>(&datagram.sender), &datagram.senderLength);
        if (got < 0) break;
        // Longer datagrams arrive cut to the buffer and are dropped here too.
        if (static_cast<std::size_t>(got) >= wire::oversizedBytes) continue;
        datagram.bytes.assign(buffer, buffer + got);
        batch.push_back(std::move(datagram));
    }
    return batch;
}

bool DatagramSocket::send(std::span<const std::byte> bytes) {
    if (!isOpen()) return false;
    const ssize_t sent = ::send(handle_, bytes.data(), bytes.size(), native_socket::sendFlags());
    return sent >= 0 && static_cast<std::size_t>(sent) == bytes.size();
}

bool DatagramSocket::sendTo(std::span<const std::byte> bytes, const sockaddr_storage& address, socklen_t length) {
    if (!isOpen()) return false;
    const ssize_t sent = ::sendto(handle_, bytes.data(), bytes.size(), native_socket::sendFlags(),
                                  reinterpret_cast<const sockaddr*>(&address), length);
    return sent >= 0 && static_cast<std::size_t>(sent) == bytes.size();
}

}  // namespace vant::voice
