#include "voice/relay.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

#include "platform/datagram_batch.h"
#include "platform/secure_random.h"
#include "platform/thread_clock.h"
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
// Datagrams one poll acts on. Rejected ones do not count: a flood of stray
// datagrams is read and dropped cheaply instead of crowding the speakers
// out of the socket buffer, and its reading is bounded by the processor
// time the poll spends instead (not the wall clock, which a busy machine
// stretches). One machine sends hundreds of thousands a second, so a count
// bound on reads let the system's buffer overflow and drop the speakers'
// datagrams too.
constexpr std::uint64_t datagramsPerPoll = 128;
constexpr auto pollReadTime = std::chrono::milliseconds(2);
// Datagrams read in one system call, each into a buffer longer than any
// datagram the relay keeps, so that a longer one shows as cut.
constexpr std::size_t batchSize = 64;
constexpr std::size_t slotBytes = 512;
// Datagrams read between polls that passed the checks needing no
// participants wait for the next poll. The rate limit keeps a player's share
// small, so this bound is reached only by a player the limit already
// rejects most of; beyond it they are dropped.
constexpr std::size_t heldLimit = 2048;

enum Drop : std::size_t {
    oversized,      // 444 bytes or more: nobody's datagram
    malformed,      // short, or not "VNV1"
    unknownToken,   // no admitted player's
    rateExceeded,   // the player's allowance is used up
    wrongSession,
    notParticipant,
    badVoice,       // inactive sender, bad size, channel, Opus or sequence
    backlog,        // read between polls beyond the held bound
    dropReasons,
};
constexpr const char* dropNames[dropReasons] = {"oversized", "malformed", "unknown_token", "rate",
                                                "session", "not_participant", "bad_voice", "backlog"};

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

    // A datagram read between polls, waiting for the next one.
    struct Held {
        std::uint32_t player = 0;
        sockaddr_storage sender{};
        socklen_t senderLength = 0;
        std::vector<std::byte> bytes;
    };

    DatagramSocket socket;
    std::map<std::uint32_t, Peer> peers;
    std::map<wire::Token, std::uint32_t> players;  // by token: every datagram is looked up
    std::uint64_t received = 0;
    std::uint64_t forwarded = 0;
    std::uint64_t rejected = 0;
    std::array<std::uint64_t, dropReasons> dropped{};
    TimeSource now;
    RandomSource random;
    std::vector<const Participant*> participantsById;  // of the current poll, kept for its capacity
    std::optional<std::uint64_t> lastSession;  // of the last poll
    std::deque<Held> held;
    std::vector<std::byte> buffers = std::vector<std::byte>(batchSize * slotBytes);
    std::array<native_socket::ReceivedDatagram, batchSize> slots{};

    // Reads one batch into `slots`; how many.
    std::size_t read();
    // Counts a datagram read and decodes it; drops one too long to be
    // anyone's or not a client's.
    std::optional<wire::ClientDatagram> take(const native_socket::ReceivedDatagram& datagram);
    void reject(Drop reason) {
        ++rejected;
        ++dropped[reason];
    }
    // The checks that need no participants, up to spending the allowance:
    // the player whose datagram it is, or nothing when it was rejected.
    std::optional<std::uint32_t> screen(const wire::ClientDatagram& client, std::uint64_t session, SteadyTime time);
    // The rest, for a datagram that passed the screen. False when rejected.
    bool act(std::uint32_t id, const wire::ClientDatagram& client, const sockaddr_storage& sender,
             socklen_t senderLength, std::uint64_t session, SteadyTime time);
    // Both, for a datagram read in a poll.
    bool handle(const native_socket::ReceivedDatagram& datagram, std::uint64_t session, SteadyTime time);
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

std::size_t Relay::Impl::read() {
    for (std::size_t i = 0; i < batchSize; ++i) slots[i].buffer = std::span(buffers).subspan(i * slotBytes, slotBytes);
    return native_socket::receiveBatch(socket.handle(), slots);
}

std::optional<std::uint32_t> Relay::Impl::screen(const wire::ClientDatagram& client, std::uint64_t session,
                                                  SteadyTime time) {
    const auto player = players.find(client.token);
    const auto found = player == players.end() ? peers.end() : peers.find(player->second);
    if (found == peers.end()) {
        reject(unknownToken);
        return std::nullopt;
    }
    Peer& peer = found->second;
    const double elapsed = std::chrono::duration<double>(time - peer.lastRefill).count();
    peer.allowance = std::min(peer.allowance + elapsed * datagramsPerSecond, burstAllowance);
    peer.lastRefill = time;
    if (peer.allowance < 1.0) {
        reject(rateExceeded);
        return std::nullopt;
    }
    if (client.session != session) {
        reject(wrongSession);
        return std::nullopt;
    }
    peer.allowance -= 1.0;
    return found->first;
}

bool Relay::Impl::act(std::uint32_t id, const wire::ClientDatagram& client, const sockaddr_storage& sender,
                      socklen_t senderLength, std::uint64_t session, SteadyTime time) {
    const auto found = peers.find(id);
    // Held since a poll of another session, or removed meanwhile.
    if (found == peers.end() || client.session != session) {
        reject(found == peers.end() ? unknownToken : wrongSession);
        return false;
    }
    Peer& peer = found->second;
    const Participant* speaker = findParticipant(participantsById, id);
    if (speaker == nullptr) {
        reject(notParticipant);
        return false;
    }

    const std::size_t size = wire::clientHeaderBytes + client.opus.size();
    if (size == wire::clientHeaderBytes && client.channel == wire::helloChannel && client.sequence == 0) {
        peer.address = sender;
        peer.addressLength = senderLength;
        peer.registered = true;
        peer.lastHeard = time;
        socket.sendTo(wire::encode(wire::RelayDatagram{peer.token, 0, 0, session, wire::helloChannel, 0.0f, 0.0f, {}}),
                      peer.address, peer.addressLength);
        return true;
    }

    const bool voice = speaker->active && size > wire::clientHeaderBytes && size <= wire::clientHeaderBytes + maxOpusBytes &&
                       client.channel <= 1 && validOpus(client.opus) && client.sequence != 0 &&
                       acceptSequence(client.sequence, peer.highestSequence, peer.window);
    if (!voice) {
        reject(badVoice);
        return false;
    }
    peer.address = sender;
    peer.addressLength = senderLength;
    peer.registered = true;
    peer.lastHeard = time;
    forward(id, *speaker, client, session, time);
    return true;
}

std::optional<wire::ClientDatagram> Relay::Impl::take(const native_socket::ReceivedDatagram& datagram) {
    ++received;
    if (datagram.truncated || datagram.length >= wire::oversizedBytes) {
        reject(oversized);
        return std::nullopt;
    }
    auto client = wire::decodeClient(datagram.buffer.first(datagram.length));
    if (!client) reject(malformed);
    return client;
}

bool Relay::Impl::handle(const native_socket::ReceivedDatagram& datagram, std::uint64_t session, SteadyTime time) {
    const auto client = take(datagram);
    if (!client) return false;
    const auto id = screen(*client, session, time);
    return id && act(*id, *client, datagram.sender, datagram.senderLength, session, time);
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
    Impl& state = *impl_;
    const SteadyTime time = state.now();
    state.lastSession = session;
    indexParticipants(participants, state.participantsById);
    std::uint64_t actedOn = 0;
    // What was read since the last poll came first.
    while (!state.held.empty() && actedOn < datagramsPerPoll) {
        const Impl::Held& datagram = state.held.front();
        // Only its bytes are held; they decoded when it was screened.
        const auto client = wire::decodeClient(datagram.bytes);
        if (client && state.act(datagram.player, *client, datagram.sender, datagram.senderLength, session, time)) ++actedOn;
        state.held.pop_front();
    }
    const std::chrono::nanoseconds readUntil = bastion::platform::threadProcessorTime() + pollReadTime;
    while (actedOn < datagramsPerPoll) {
        const std::size_t got = state.read();
        for (std::size_t i = 0; i < got; ++i) {
            if (state.handle(state.slots[i], session, time)) ++actedOn;
        }
        if (got < batchSize || bastion::platform::threadProcessorTime() >= readUntil) break;
    }
    state.participantsById.clear();  // they are the caller's, valid only during the call
}

std::uint64_t Relay::drain(std::chrono::steady_clock::time_point until) {
    Impl& state = *impl_;
    // The screen needs the session, which the first poll brings; until
    // then everything waits in the socket.
    if (!state.lastSession) return 0;
    const SteadyTime time = state.now();
    std::uint64_t read = 0;
    for (;;) {
        const std::size_t got = state.read();
        read += got;
        for (std::size_t i = 0; i < got; ++i) {
            const native_socket::ReceivedDatagram& datagram = state.slots[i];
            const auto client = state.take(datagram);
            if (!client) continue;
            const auto id = state.screen(*client, *state.lastSession, time);
            if (!id) continue;
            if (state.held.size() >= heldLimit) {
                state.reject(backlog);
                continue;
            }
            const std::span<const std::byte> bytes = datagram.buffer.first(datagram.length);
            state.held.push_back({*id, datagram.sender, datagram.senderLength, {bytes.begin(), bytes.end()}});
        }
        if (got < batchSize || std::chrono::steady_clock::now() >= until) break;
    }
    return read;
}

int Relay::socket() const { return impl_->socket.handle(); }

nlohmann::json Relay::report() const {
    nlohmann::json report = {
        {"received", impl_->received},
        {"forwarded", impl_->forwarded},
        {"rejected", impl_->rejected},
        {"port", static_cast<std::uint64_t>(port())},
    };
    nlohmann::json byReason = nlohmann::json::object();
    for (std::size_t reason = 0; reason < dropReasons; ++reason) byReason[dropNames[reason]] = impl_->dropped[reason];
    report["rejected_by_reason"] = std::move(byReason);
    if (const auto overflowed = native_socket::receiveDrops(impl_->socket.handle())) report["overflowed"] = *overflowed;
    return report;
}

}  // namespace vant::voice
