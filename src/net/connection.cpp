#include "net/internal/connection.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <deque>
#include <stdexcept>

#include "net/internal/cbor_scan.h"
#include "net/internal/tcp_socket.h"
#include "platform/native_socket.h"

namespace vant::net {

namespace {

using native_socket::Handle;
using native_socket::invalidHandle;

constexpr std::size_t headerBytes = 4;
constexpr std::uint64_t largestCall = INT_MAX;

struct Frame {
    std::vector<std::uint8_t> bytes;  // header included
    std::size_t sent = 0;
    bool replaceable = false;
};

}  // namespace

struct Connection::Impl {
    Handle socket = invalidHandle;
    Limits limits;
    std::string error;
    std::deque<Frame> outgoing;
    std::uint64_t queuedBytes = 0;
    std::array<std::uint8_t, headerBytes> header{};
    std::size_t headerHave = 0;
    std::size_t bodyHave = 0;
    std::vector<std::uint8_t> body;

    ~Impl() { native_socket::closeHandle(socket); }

    bool open() const { return socket != invalidHandle; }

    void close() {
        native_socket::closeHandle(socket);
        socket = invalidHandle;
        outgoing.clear();
        queuedBytes = 0;
        headerHave = 0;
        bodyHave = 0;
        body = {};
    }

    void fail(std::string text) {
        error = std::move(text);
        close();
    }

    void flush() {
        std::uint64_t budget = limits.bytesPerPass;
        while (open() && !outgoing.empty() && budget > 0) {
            Frame& frame = outgoing.front();
            const std::size_t want = static_cast<std::size_t>(
                std::min<std::uint64_t>({frame.bytes.size() - frame.sent, budget, largestCall}));
            const ssize_t sent = ::send(socket, frame.bytes.data() + frame.sent, want, native_socket::sendFlags());
            if (sent < 0) {
                const std::int32_t code = native_socket::lastError();
                if (code == native_socket::interrupted) continue;
                if (code != native_socket::wouldBlock) fail(native_socket::failure("TCP send", code));
                return;
            }
            if (sent == 0) return fail("TCP peer stopped accepting data");
            frame.sent += static_cast<std::size_t>(sent);
            budget -= static_cast<std::uint64_t>(sent);
            if (frame.sent == frame.bytes.size()) {
                queuedBytes -= frame.bytes.size();
                outgoing.pop_front();
            }
        }
    }

    // Reads until the socket is empty, the budget is spent, the message
    // limit is reached or the connection fails.
    void receive(std::vector<nlohmann::json>& messages) {
        std::uint64_t budget = limits.bytesPerPass;
        while (open() && budget > 0 && messages.size() < limits.messagesPerPoll) {
            const bool inHeader = headerHave < headerBytes;
            std::uint8_t* into = inHeader ? header.data() + headerHave : body.data() + bodyHave;
            const std::size_t rest = inHeader ? headerBytes - headerHave : body.size() - bodyHave;
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>({rest, budget, largestCall}));
            const ssize_t got = ::recv(socket, into, want, 0);
            if (got == 0) return fail("TCP peer disconnected");
            if (got < 0) {
                const std::int32_t code = native_socket::lastError();
                if (code == native_socket::interrupted) continue;
                if (code != native_socket::wouldBlock) fail(native_socket::failure("TCP receive", code));
                return;
            }
            budget -= static_cast<std::uint64_t>(got);
            if (inHeader) {
                headerHave += static_cast<std::size_t>(got);
                if (headerHave < headerBytes) continue;
                const std::uint64_t size = std::uint64_t{header[0]} << 24 | std::uint64_t{header[1]} << 16 |
                                           std::uint64_t{header[2]} << 8 | header[3];
                if (size == 0 || size > limits.frameBytes) {
                    return fail("Incoming frame size outside configured limit");
                }
                body.resize(static_cast<std::size_t>(size));
                bodyHave = 0;
                continue;
            }
            bodyHave += static_cast<std::size_t>(got);
            if (bodyHave < body.size()) continue;
            try {
                scanCbor(body, limits);
                messages.push_back(nlohmann::json::from_cbor(body, true, true, nlohmann::json::cbor_tag_handler_t::error));
            } catch (const std::exception& failure) {
                return fail(std::string("Invalid TCP message: ") + failure.what());
            }
            headerHave = 0;
            bodyHave = 0;
            body = {};
        }
    }
};

Connection::Connection() : impl_(std::make_unique<Impl>()) {}

Connection::Connection(std::int64_t socket, const Limits& limits) : impl_(std::make_unique<Impl>()) {
    checkLimits(limits);
    impl_->socket = static_cast<Handle>(socket);
    impl_->limits = limits;
}

Connection::~Connection() = default;
Connection::Connection(Connection&&) noexcept = default;
Connection& Connection::operator=(Connection&&) noexcept = default;

Connection Connection::connect(const std::string& host, std::uint16_t port, std::int32_t timeoutMs,
                               const Limits& limits) {
    checkLimits(limits);
    if (timeoutMs < 1 || port == 0 || host.empty()) {
        throw std::invalid_argument("Invalid TCP connection endpoint/timeout");
    }
    const tcp::AddressList addresses = tcp::lookup(host, port, false);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string pending = "No TCP address accepted the connection";

    for (const addrinfo* address = addresses.get(); address != nullptr; address = address->ai_next) {
        tcp::HandleGuard socket(::socket(address->ai_family, address->ai_socktype, address->ai_protocol));
        if (socket.get() == invalidHandle) {
            pending = native_socket::failure("TCP socket", native_socket::lastError());
        } else {
            tcp::prepare(socket.get(), true);
            bool done = ::connect(socket.get(), address->ai_addr, address->ai_addrlen) == 0;
            if (!done) {
                const std::int32_t code = native_socket::lastError();
                if (code == native_socket::wouldBlock || code == native_socket::inProgress) {
                    for (;;) {
                        const auto left =
                            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
                        if (left < 1) {
                            pending = "TCP connection timed out";
                            break;
                        }
                        pollfd waiting{socket.get(), POLLOUT, 0};
                        const int ready = ::poll(&waiting, 1, static_cast<int>(std::min<long long>(left, INT_MAX)));
                        if (ready < 0 && native_socket::lastError() == native_socket::interrupted) continue;
                        if (ready == 0) {
                            pending = "TCP connection timed out";
                        } else if (ready < 0) {
                            pending = native_socket::failure("TCP connect poll", native_socket::lastError());
                        } else {
                            int status = 0;
                            socklen_t length = sizeof status;
                            if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &status, &length) != 0) {
                                pending = native_socket::failure("TCP connection status", native_socket::lastError());
                            } else if (status != 0) {
                                pending = native_socket::failure("TCP connect", native_socket::normalizedError(status));
                            } else {
                                done = true;
                            }
                        }
                        break;
                    }
                } else {
                    pending = native_socket::failure("TCP connect", code);
                }
            }
            if (done) return Connection(socket.release(), limits);
        }
        if (Clock::now() >= deadline) break;
    }
    throw std::runtime_error(pending);
}

bool Connection::send(const nlohmann::json& message, bool replaceable) {
    if (!impl_ || !impl_->open()) return false;
    Impl& state = *impl_;
    try {
        std::vector<std::uint8_t> payload = nlohmann::json::to_cbor(message);
        if (payload.size() > state.limits.frameBytes) {
            state.fail("Outgoing message exceeds frame size limit");
            return false;
        }
        if (replaceable) {
            // A frame already begun must finish, or the stream would break.
            for (auto it = state.outgoing.begin(); it != state.outgoing.end();) {
                if (it->replaceable && it->sent == 0) {
                    state.queuedBytes -= it->bytes.size();
                    it = state.outgoing.erase(it);
                } else {
                    ++it;
                }
            }
        }
        const std::uint64_t frameSize = payload.size() + headerBytes;
        if (frameSize > state.limits.queuedBytes - state.queuedBytes ||
            state.outgoing.size() >= state.limits.queuedFrames) {
            state.fail("TCP peer exceeded outgoing queue limit");
            return false;
        }
        Frame frame;
        frame.bytes.reserve(static_cast<std::size_t>(frameSize));
        const auto size = static_cast<std::uint32_t>(payload.size());
        frame.bytes = {static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
                       static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)};
        frame.bytes.insert(frame.bytes.end(), payload.begin(), payload.end());
        frame.replaceable = replaceable;
        state.queuedBytes += frameSize;
        state.outgoing.push_back(std::move(frame));
        state.flush();
    } catch (const std::exception& failure) {
        state.fail(std::string("Cannot encode TCP message: ") + failure.what());
    }
    return state.open();
}

std::vector<nlohmann::json> Connection::poll() {
    std::vector<nlohmann::json> messages;
    if (!impl_ || !impl_->open()) return messages;
    impl_->flush();
    impl_->receive(messages);
    return messages;
}

bool Connection::connected() const { return impl_ && impl_->open(); }

std::string Connection::peerHost() const {
    if (!connected()) return {};
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(impl_->socket, reinterpret_cast<sockaddr*>(&peer), &length) != 0) return {};
    char host[NI_MAXHOST];
    if (::getnameinfo(reinterpret_cast<sockaddr*>(&peer), length, host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0) {
        return {};
    }
    return host;
}

std::string Connection::error() const { return impl_ ? impl_->error : std::string(); }

std::uint64_t Connection::queuedBytes() const { return impl_ ? impl_->queuedBytes : 0; }

void Connection::close() {
    if (impl_) impl_->close();
}

}  // namespace vant::net
