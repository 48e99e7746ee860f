#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <enet/enet.h>
#include <nlohmann/json.hpp>

namespace bastion::coop::testing {

// Calls `step` until `done` holds, for at most `limit` (long enough for a
// sanitized server on a loaded machine); false on time-out.
inline bool pumpUntil(const std::function<void()>& step, const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        step();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A CBOR object {"p": "..."} of exactly `size` encoded bytes (size >= 12).
inline nlohmann::json messageOfSize(std::size_t size) {
    const std::size_t fixed = 3;  // map header, key header, key
    std::size_t header = 5;
    if (size - fixed - 3 <= 0xFFFF) header = 3;
    return {{"p", std::string(size - fixed - header, 'x')}};
}

// A bare ENet client that speaks any connect data and sends any bytes: the
// misbehaving side of adversarial tests. Records what the server does to it.
class RawClient {
public:
    explicit RawClient(std::uint16_t port, std::uint32_t connectData = 0x53425839u) {
        host_ = enet_host_create(nullptr, 1, 3, 0, 0);
        host_->maximumPacketSize = 0x100000;
        enet_host_compress_with_range_coder(host_);
        ENetAddress address{};
        enet_address_set_host(&address, "127.0.0.1");
        address.port = port;
        peer_ = enet_host_connect(host_, &address, 3, connectData);
    }
    ~RawClient() { enet_host_destroy(host_); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    void service() {
        ENetEvent event;
        while (enet_host_service(host_, &event, 0) > 0) {
            if (event.type == ENET_EVENT_TYPE_CONNECT) connected = true;
            if (event.type == ENET_EVENT_TYPE_DISCONNECT) {
                disconnected = true;
                disconnectData = event.data;
            }
            if (event.type == ENET_EVENT_TYPE_RECEIVE) {
                received.emplace_back(event.packet->data, event.packet->data + event.packet->dataLength);
                enet_packet_destroy(event.packet);
            }
        }
    }

    void sendBytes(const std::vector<std::uint8_t>& bytes, std::uint8_t channel = 0) {
        ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE);
        enet_peer_send(peer_, channel, packet);
        enet_host_flush(host_);
    }

    ENetPeer* peer() const { return peer_; }

    bool connected = false;
    bool disconnected = false;
    std::uint32_t disconnectData = 0xFFFFFFFFu;
    std::vector<std::vector<std::uint8_t>> received;

private:
    ENetHost* host_ = nullptr;
    ENetPeer* peer_ = nullptr;
};

}  // namespace bastion::coop::testing
