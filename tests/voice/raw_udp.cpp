#include "voice/raw_udp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <bit>
#include <stdexcept>

#include "support/loopback_address.h"

namespace vant::voice::testing {

using bastion::testing_support::loopbackAddress;

RawUdp::RawUdp() {
    handle_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopbackAddress(0);
    if (handle_ < 0 || ::bind(handle_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        throw std::runtime_error("test socket");
    }
    socklen_t length = sizeof address;
    ::getsockname(handle_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
}

RawUdp::~RawUdp() { ::close(handle_); }

void RawUdp::sendTo(std::uint16_t port, std::span<const std::byte> bytes) {
    const sockaddr_in address = loopbackAddress(port);
    ::sendto(handle_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

void RawUdp::reply(std::span<const std::byte> bytes) { sendTo(lastSender_, bytes); }

std::optional<std::vector<std::byte>> RawUdp::receive(std::chrono::milliseconds timeout) {
    pollfd waiting{handle_, POLLIN, 0};
    if (::poll(&waiting, 1, static_cast<int>(timeout.count())) != 1) return std::nullopt;
    std::vector<std::byte> buffer(2048);
    sockaddr_in sender{};
    socklen_t length = sizeof sender;
    const ssize_t got =
        ::recvfrom(handle_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&sender), &length);
    if (got < 0) return std::nullopt;
    lastSender_ = ntohs(sender.sin_port);
    buffer.resize(static_cast<std::size_t>(got));
    return buffer;
}

std::vector<std::vector<std::byte>> RawUdp::drain() {
    std::vector<std::vector<std::byte>> all;
    while (auto datagram = receive(std::chrono::milliseconds(0))) all.push_back(std::move(*datagram));
    return all;
}

Bytes& Bytes::text(const std::string& s) {
    for (const char c : s) data.push_back(static_cast<std::byte>(c));
    return *this;
}
Bytes& Bytes::raw(std::span<const std::byte> bytes) {
    data.insert(data.end(), bytes.begin(), bytes.end());
    return *this;
}
Bytes& Bytes::u8(std::uint8_t v) {
    data.push_back(static_cast<std::byte>(v));
    return *this;
}
Bytes& Bytes::u32(std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) u8(static_cast<std::uint8_t>(v >> shift));
    return *this;
}
Bytes& Bytes::u64(std::uint64_t v) {
    u32(static_cast<std::uint32_t>(v >> 32));
    return u32(static_cast<std::uint32_t>(v));
}
Bytes& Bytes::f32(float v) { return u32(std::bit_cast<std::uint32_t>(v)); }
Bytes& Bytes::fill(std::size_t count, std::uint8_t v) {
    data.insert(data.end(), count, static_cast<std::byte>(v));
    return *this;
}

std::vector<std::byte> tokenBytes(const std::string& hex) {
    std::vector<std::byte> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<std::byte>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

std::vector<std::byte> opusPayload(std::size_t size) {
    std::vector<std::byte> payload(size, std::byte{0x5A});
    payload[0] = std::byte{0x48};
    return payload;
}

}  // namespace vant::voice::testing
