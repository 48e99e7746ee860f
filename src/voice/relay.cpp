#include "voice/relay.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <vector>

#include "platform/secure_random.h"
#include "voice/internal/credentials.h"
#include "voice/internal/datagram_socket.h"
#include "voice/internal/opus_packet.h"
#include "voice/internal/wire.h"

namespace vant::voice {

namespace {

constexpr double burstAllowance = 12.0;
constexpr double datagramsPerSecond = 55.0;
constexpr std::chrono::seconds forwardSilenceLimit{5};
constexpr float proximityRange = 60.0f;
constexpr std::uint32_t replayWindow = 64;
// Datagrams one poll acts on. Rejected ones do not count, up to a bound on
// reads, so that a flood of stray datagrams is read and dropped cheaply
// instead of crowding the speakers out of the socket buffer.
constexpr std::uint64_t datagramsPerPoll = 128;
constexpr int batchesPerPoll = 8;

// The entry that speaks for each player: its first one in the list, so a
// list that names a player twice still gives one answer per player. Kept in
// ascending id order, the order in which hearers are served.
void indexParticipants(std::span<const Participant> participants, std::vector<const Participant*>& byId) {
    byId.clear();
    for (const Participant& participant : participants) byId.push_back(&participant);
    const auto idOrder = [](const Participant* a, const Participant* b) { return a->id < b->id; };
    std::stable_sort(byId.begin(), byId.end(), idOrder);
    const auto sameId = [](const Participant* a, const Participant* b) { return a->id == b->id; };
    byId.erase(std::unique(byId.begin(), byId.end(), sameId), byId.end());
}

const Participant* findParticipant(std::span<const Participant* const> byId, std::uint32_t id) {
    const auto below = [](const Participant* participant, std::uint32_t key) { return participant->id < key; };
    const auto found = std::lower_bound(byId.begin(), byId.end(), id, below);
    return found != byId.end() && (*found)->id == id ? *found : nullptr;
}

}  // namespace

struct Relay::Impl {
    struct Peer {
        wire::Token token{};
        sockaddr_storage address{};
        socklen_t addressLength = 0;
        bool registered = false;
        std::uint32_t highestSequence = 0;
        std::uint64_t window = 0;
        double allowance = burstAllowance;
        SteadyTime lastRefill{};
        SteadyTime lastHeard{};
    };

    DatagramSocket socket;
    std::map<std::uint32_t, Peer> peers;
    std::map<wire::Token, std::uint32_t> players;  // by token: every datagram is looked up
    std::uint64_t received = 0;
    std::uint64_t forwarded = 0;
    std::uint64_t rejected = 0;
    TimeSource now;
    RandomSource random;
    std::vector<const Participant*> participantsById;  // of the current poll, kept for its capacity

    // False when the datagram was rejected.
    bool handle(const Datagram& datagram, std::uint64_t session, SteadyTime time);
    void forward(std::uint32_t speakerId, const Participant& speaker, const wire::ClientDatagram& voice,
                 std::uint64_t session, SteadyTime time);
};

namespace {

// Accepts a sequence once, within the 64 below the highest seen.
bool acceptSequence(std::uint32_t sequence, std::uint32_t& highest, std::uint64_t& window) {
    if (sequence <= highest) {
        const std::uint32_t distance = highest - sequence;
        if (distance >= replayWindow) return false;
        const std::uint64_t bit = std::uint64_t{1} << distance;
        if ((window & bit) != 0) return false;
        window |= bit;
        return true;
    }
    const std::uint32_t shift = sequence - highest;
    window = shift >= replayWindow ? 1 : (window << shift) | 1;
    highest = sequence;
    return true;
}

}  // namespace

bool Relay::Impl::handle(const Datagram& datagram, std::uint64_t session, SteadyTime time) {
    ++received;
    const auto client = wire::decodeClient(datagram.bytes);
    if (!client) {
        ++rejected;
        return false;
    }
    const auto player = players.find(client->token);
    const auto found = player == players.end() ? peers.end() : peers.find(player->second);
    if (found == peers.end()) {
        ++rejected;
        return false;
    }
    const std::uint32_t id = found->first;
    Peer& peer = found->second;

    const double elapsed = std::chrono::duration<double>(time - peer.lastRefill).count();
    peer.allowance = std::min(peer.allowance + elapsed * datagramsPerSecond, burstAllowance);
    peer.lastRefill = time;
    if (peer.allowance < 1.0 || client->session != session) {
        ++rejected;
        return false;
    }
    peer.allowance -= 1.0;

    const Participant* sender = findParticipant(participantsById, id);
    if (sender == nullptr) {
        ++rejected;
        return false;
    }

    const std::size_t size = datagram.bytes.size();
    if (size == wire::clientHeaderBytes && client->channel == wire::helloChannel && client->sequence == 0) {
        peer.address = datagram.sender;
        peer.addressLength = datagram.senderLength;
        peer.registered = true;
        peer.lastHeard = time;
        socket.sendTo(wire::encode(wire::RelayDatagram{peer.token, 0, 0, session, wire::helloChannel, 0.0f, 0.0f, {}}),
                      peer.address, peer.addressLength);
        return true;
    }

    const bool voice = sender->active && size > wire::clientHeaderBytes && size <= wire::clientHeaderBytes + maxOpusBytes &&
                       client->channel <= 1 && validOpus(client->opus) && client->sequence != 0 &&
                       acceptSequence(client->sequence, peer.highestSequence, peer.window);
    if (!voice) {
        ++rejected;
        return false;
    }
    peer.address = datagram.sender;
    peer.addressLength = datagram.senderLength;
    peer.registered = true;
    peer.lastHeard = time;
    forward(id, *sender, *client, session, time);
    return true;
}

// Walks the poll's participants by id rather than every admitted peer: a
// peer without a participant hears nothing, and a lookup per hearer beats a
// participant search per peer. Each player is one entry there, so nobody
// hears a datagram twice.
void Relay::Impl::forward(std::uint32_t speakerId, const Participant& speaker, const wire::ClientDatagram& voice,
                          std::uint64_t session, SteadyTime time) {
    for (const Participant* entry : participantsById) {
        const Participant& hearer = *entry;
        if (hearer.id == speakerId || !hearer.active || hearer.group != speaker.group) continue;
        const auto found = peers.find(hearer.id);
        if (found == peers.end()) continue;
        const Peer& listener = found->second;
        if (!listener.registered || time - listener.lastHeard > forwardSilenceLimit) continue;
        if (voice.channel == 0 && !(std::hypot(hearer.position.x - speaker.position.x,
                                                hearer.position.z - speaker.position.z) < proximityRange)) {
            continue;
        }
        const auto datagram = wire::encode(wire::RelayDatagram{listener.token, speakerId, voice.sequence, session,
                                                               voice.channel, speaker.position.x,
                                                               speaker.position.z, voice.opus});
        if (socket.sendTo(datagram, listener.address, listener.addressLength)) ++forwarded;
    }
}

Relay::Relay(const std::string& host, std::uint16_t port)
    : Relay(host, port, steadyNow, native_socket::secureRandom) {}

Relay::Relay(const std::string& host, std::uint16_t port, TimeSource now, RandomSource random)
    : impl_(std::make_unique<Impl>()) {
    impl_->now = std::move(now);
    impl_->random = std::move(random);
    impl_->socket.open(host, port, true);
}

Relay::~Relay() = default;

std::uint16_t Relay::port() const { return impl_->socket.port(); }

nlohmann::json Relay::admit(std::uint32_t player) {
    wire::Token token{};
    if (!impl_->random(token)) throw std::runtime_error("Cannot obtain voice session credentials");
    const SteadyTime time = impl_->now();
    remove(player);
    impl_->players[token] = player;
    Impl::Peer& peer = impl_->peers[player];
    peer.token = token;
    peer.lastRefill = time;
    peer.lastHeard = time;
    return credentialsObject(port(), token);
}

void Relay::remove(std::uint32_t player) {
    const auto found = impl_->peers.find(player);
    if (found == impl_->peers.end()) return;
    impl_->players.erase(found->second.token);
    impl_->peers.erase(found);
}

void Relay::poll(std::span<const Participant> participants, std::uint64_t session) {
    const SteadyTime time = impl_->now();
    indexParticipants(participants, impl_->participantsById);
    std::uint64_t actedOn = 0;
    for (int batch = 0; batch < batchesPerPoll && actedOn < datagramsPerPoll; ++batch) {
        bool mayHoldMore = false;
        const std::vector<Datagram> datagrams = impl_->socket.receive(&mayHoldMore);
        for (const Datagram& datagram : datagrams) {
            if (impl_->handle(datagram, session, time)) ++actedOn;
        }
        if (!mayHoldMore) break;
    }
    impl_->participantsById.clear();  // they are the caller's, valid only during the call
}

nlohmann::json Relay::report() const {
    return {
        {"received", impl_->received},
        {"forwarded", impl_->forwarded},
        {"rejected", impl_->rejected},
        {"port", static_cast<std::uint64_t>(port())},
    };
}

}  // namespace vant::voice
