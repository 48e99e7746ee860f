#include "voice/transport.h"

#include <cmath>

#include "voice/internal/credentials.h"
#include "voice/internal/datagram_socket.h"
#include "voice/internal/opus_packet.h"
#include "voice/internal/wire.h"

namespace vant::voice {

namespace {

constexpr std::chrono::seconds helloInterval{1};
constexpr std::chrono::seconds silenceLimit{3};
constexpr float speakerHeight = 12.0f;

bool isNever(SteadyTime time) { return time == SteadyTime{}; }

}  // namespace

struct Transport::Impl {
    DatagramSocket socket;
    wire::Token token{};
    std::uint32_t sequence = 0;
    std::uint64_t session = 0;
    std::uint64_t sent = 0;
    std::uint64_t received = 0;
    std::uint64_t rejected = 0;
    SteadyTime lastHello{};
    SteadyTime lastHeard{};

    bool heardRecently(SteadyTime now) const {
        return socket.isOpen() && !isNever(lastHeard) && now - lastHeard < silenceLimit;
    }
};

Transport::Transport(TimeSource now) : impl_(std::make_unique<Impl>()), now_(std::move(now)) {}
Transport::~Transport() = default;

void Transport::connect(const std::string& host, const nlohmann::json& credentials) {
    impl_ = std::make_unique<Impl>();
    const Credentials read = readCredentials(credentials);
    impl_->token = read.token;
    // The lobby speaks IPv4 only; a name that resolves to IPv6 first must
    // still reach the relay beside it.
    impl_->socket.open(host, read.port, false, AF_INET);
}

void Transport::close() { impl_ = std::make_unique<Impl>(); }

std::vector<Packet> Transport::poll(std::uint64_t session) {
    std::vector<Packet> packets;
    Impl& state = *impl_;
    if (!state.socket.isOpen()) return packets;
    const SteadyTime now = now_();

    if (session != state.session) {
        state.session = session;
        state.lastHello = SteadyTime{};
        state.lastHeard = SteadyTime{};
    }
    if (isNever(state.lastHello) || now - state.lastHello >= helloInterval) {
        state.socket.send(wire::encode(wire::ClientDatagram{state.token, 0, session, wire::helloChannel, {}}));
        state.lastHello = now;
    }

    for (const Datagram& datagram : state.socket.receive()) {
        const auto relayed = wire::decodeRelay(datagram.bytes);
        if (!relayed || relayed->token != state.token || relayed->session != session) {
            ++state.rejected;
            continue;
        }
        const std::size_t size = datagram.bytes.size();
        if (size == wire::relayHeaderBytes && relayed->speaker == 0 && relayed->sequence == 0 &&
            relayed->channel == wire::helloChannel) {
            state.lastHeard = now;
            continue;
        }
        const bool voice = relayed->speaker != 0 && relayed->sequence != 0 && size > wire::relayHeaderBytes &&
                           size < wire::oversizedBytes && relayed->channel <= 1 && std::isfinite(relayed->x) &&
                           std::isfinite(relayed->z) && validOpus(relayed->opus);
        if (!voice) {
            ++state.rejected;
            continue;
        }
        packets.push_back(Packet{relayed->speaker, relayed->sequence, session, static_cast<Channel>(relayed->channel),
                                 bastion::Vec3{relayed->x, speakerHeight, relayed->z},
                                 std::vector<std::byte>(relayed->opus.begin(), relayed->opus.end())});
        ++state.received;
    }
    return packets;
}

bool Transport::send(Channel channel, std::uint64_t session, std::span<const std::byte> opus) {
    Impl& state = *impl_;
    if (!state.socket.isOpen() || static_cast<std::uint8_t>(channel) > 1 || !state.heardRecently(now_()) ||
        !validOpus(opus) || state.sequence == UINT32_MAX) {
        return false;
    }
    ++state.sequence;
    const auto datagram = wire::encode(
        wire::ClientDatagram{state.token, state.sequence, session, static_cast<std::uint8_t>(channel), opus});
    if (!state.socket.send(datagram)) return false;
    ++state.sent;
    return true;
}

bool Transport::ready() const { return impl_->heardRecently(now_()); }

nlohmann::json Transport::report() const {
    return {
        {"ready", ready()},
        {"sent", impl_->sent},
        {"received", impl_->received},
        {"rejected", impl_->rejected},
    };
}

}  // namespace vant::voice
