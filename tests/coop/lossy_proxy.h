#pragma once

#include <cstdint>
#include <random>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "support/loopback_address.h"

namespace bastion::coop::testing {

// A UDP relay on 127.0.0.1 between one client and a server that drops a
// share of the datagrams in both directions, from a fixed seed. Pumped by
// the test's own loop; bounded to loopback.
class LossyProxy {
public:
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

    // Forwards what is waiting, dropping datagrams at random.
    void pump() {
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
            const sockaddr_in& to = fromServer ? client_ : server_;
            ::sendto(socket_, buffer, static_cast<std::size_t>(got), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        }
    }

private:
    int socket_ = -1;
    std::uint16_t port_ = 0;
    sockaddr_in server_{};
    sockaddr_in client_{};
    bool known_ = false;
    double loss_;
    std::mt19937 random_;
};

}  // namespace bastion::coop::testing
