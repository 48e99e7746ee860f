#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "support/loopback_address.h"

namespace bastion::coop::testing {

// A UDP relay on 127.0.0.1 between one client and a server that drops a
// share of the datagrams in both directions, from a fixed seed, and may hold
// them back: each datagram leaves `delay(arrival)` after it came, never
// before one that came earlier. Pumped by the test's own loop; bounded to
// loopback.
class LossyProxy {
public:
    using Clock = std::chrono::steady_clock;
    using Delay = std::function<Clock::duration(Clock::time_point)>;

    LossyProxy(std::uint16_t serverPort, double loss, std::uint32_t seed) : loss_(loss), random_(seed) {
        socket_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local = testing_support::loopbackAddress();
        ::bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local);
        ::fcntl(socket_, F_SETFL, O_NONBLOCK);
        socklen_t length = sizeof local;
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &length);
        port_ = ntohs(local.sin_port);
        server_ = testing_support::loopbackAddress(serverPort);
    }
    ~LossyProxy() { ::close(socket_); }
    LossyProxy(const LossyProxy&) = delete;
    LossyProxy& operator=(const LossyProxy&) = delete;

    std::uint16_t port() const { return port_; }

    void setDelay(Delay delay) { delay_ = std::move(delay); }

    // Forwards what is waiting and due, dropping datagrams at random.
    void pump() {
        read();
        const Clock::time_point now = Clock::now();
        while (!held_.empty() && held_.front().due <= now) {
            const Held& h = held_.front();
            ::sendto(socket_, h.bytes.data(), h.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&h.to), sizeof h.to);
            held_.pop_front();
        }
    }

private:
    struct Held {
        Clock::time_point due;
        sockaddr_in to;
        std::vector<std::uint8_t> bytes;
    };

    void read() {
        std::uint8_t buffer[65536];
        for (int i = 0; i < 4096; ++i) {
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t got = ::recvfrom(socket_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            if (got < 0) return;
            const bool fromServer = from.sin_port == server_.sin_port;
            if (!fromServer) {
                client_ = from;
                known_ = true;
            }
            if (std::uniform_real_distribution<double>(0.0, 1.0)(random_) < loss_) continue;
            if (fromServer && !known_) continue;
            const Clock::time_point now = Clock::now();
            Clock::time_point due = delay_ ? now + delay_(now) : now;
            if (!held_.empty()) due = std::max(due, held_.back().due);
            held_.push_back({due, fromServer ? client_ : server_, {buffer, buffer + got}});
        }
    }

    int socket_ = -1;
    std::uint16_t port_ = 0;
    sockaddr_in server_{};
    sockaddr_in client_{};
    bool known_ = false;
    double loss_;
    std::mt19937 random_;
    Delay delay_;
    std::deque<Held> held_;
};

}  // namespace bastion::coop::testing
