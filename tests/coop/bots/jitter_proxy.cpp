#include "coop/bots/jitter_proxy.h"

#include <stdexcept>
#include <utility>

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "support/loopback_address.h"

namespace bastion::coopbots {
namespace {

using testing_support::loopbackAddress;

// A non-blocking UDP socket bound to 127.0.0.1 on any free port.
int openSocket() {
    const int handle = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (handle < 0) throw std::runtime_error("Cannot open proxy socket");
    sockaddr_in local = loopbackAddress(0);
    if (::bind(handle, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(handle);
        throw std::runtime_error("Cannot bind proxy socket");
    }
    ::fcntl(handle, F_SETFL, O_NONBLOCK);
    const int buffer = 4 << 20;
    ::setsockopt(handle, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    return handle;
}

std::uint16_t boundPort(int handle) {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    ::getsockname(handle, reinterpret_cast<sockaddr*>(&local), &length);
    return ntohs(local.sin_port);
}

std::uint64_t key(const sockaddr_in& address) {
    return (static_cast<std::uint64_t>(address.sin_addr.s_addr) << 16) | address.sin_port;
}

}  // namespace

// One proxied server port: the socket the clients send to, and one upstream
// socket per client toward the server.
struct JitterProxy::Front {
    int socket = -1;
    sockaddr_in server{};
    std::map<std::uint64_t, std::pair<int, sockaddr_in>> upstream;  // client address -> socket, client
    ~Front() {
        ::close(socket);
        for (auto& [address, entry] : upstream) ::close(entry.first);
    }
};

JitterProxy::JitterProxy(std::uint16_t lobbyPort, std::uint16_t voicePort, double loss,
                         std::chrono::microseconds jitter, std::uint32_t seed)
    : loss_(loss), jitter_(jitter), random_(seed) {
    for (std::uint16_t port : {lobbyPort, voicePort}) {
        auto front = std::make_unique<Front>();
        front->socket = openSocket();
        front->server = loopbackAddress(port);
        fronts_.push_back(std::move(front));
    }
    thread_ = std::thread([this] { run(); });
}

JitterProxy::~JitterProxy() {
    stop_ = true;
    thread_.join();
}

std::uint16_t JitterProxy::lobbyPort() const { return boundPort(fronts_[0]->socket); }
std::uint16_t JitterProxy::voicePort() const { return boundPort(fronts_[1]->socket); }

JitterProxy::Counts JitterProxy::counts() const { return {forwarded_.load(), dropped_.load()}; }

void JitterProxy::run() {
    std::vector<pollfd> sockets;
    std::vector<std::pair<Front*, const sockaddr_in*>> owners;
    while (!stop_) {
        sockets.clear();
        owners.clear();
        for (auto& front : fronts_) {
            sockets.push_back({front->socket, POLLIN, 0});
            owners.emplace_back(front.get(), nullptr);
            for (auto& [address, entry] : front->upstream) {
                sockets.push_back({entry.first, POLLIN, 0});
                owners.emplace_back(front.get(), &entry.second);
            }
        }
        int wait = 1;
        if (pending_.empty()) wait = 5;
        ::poll(sockets.data(), sockets.size(), wait);
        for (std::size_t i = 0; i < sockets.size(); ++i)
            if (sockets[i].revents & POLLIN) receive(sockets[i].fd, owners[i].first, owners[i].second);
        deliverDue();
    }
}

// `client` is null for the front socket, else the client an upstream socket
// serves.
void JitterProxy::receive(int socket, Front* front, const sockaddr_in* client) {
    std::uint8_t buffer[65536];
    for (int i = 0; i < 1024; ++i) {
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t got =
            ::recvfrom(socket, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (got < 0) return;
        if (client != nullptr) {
            queue(front->socket, *client, buffer, static_cast<std::size_t>(got));
            continue;
        }
        auto found = front->upstream.find(key(from));
        if (found == front->upstream.end())
            found = front->upstream.emplace(key(from), std::make_pair(openSocket(), from)).first;
        queue(found->second.first, front->server, buffer, static_cast<std::size_t>(got));
    }
}

void JitterProxy::queue(int socket, const sockaddr_in& to, const std::uint8_t* bytes, std::size_t size) {
    if (std::uniform_real_distribution<double>(0.0, 1.0)(random_) < loss_) {
        ++dropped_;
        return;
    }
    const auto delay = std::chrono::microseconds(
        std::uniform_int_distribution<std::int64_t>(0, jitter_.count())(random_));
    pending_.push({std::chrono::steady_clock::now() + delay, socket, to, std::vector<std::uint8_t>(bytes, bytes + size)});
}

void JitterProxy::deliverDue() {
    const auto now = std::chrono::steady_clock::now();
    while (!pending_.empty() && pending_.top().due <= now) {
        const Pending& next = pending_.top();
        ::sendto(next.socket, next.bytes.data(), next.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&next.to),
                 sizeof next.to);
        ++forwarded_;
        pending_.pop();
    }
}

}  // namespace bastion::coopbots
