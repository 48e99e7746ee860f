#include "coop/transport.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <mutex>
#include <stdexcept>

#include "coop/internal/message_decode.h"
#include "net/endpoint.h"
#include "platform/datagram_batch.h"
#include "platform/thread_clock.h"

namespace bastion::coop {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMaxEventsPerPoll = 256;
// ENet reads at most this many datagrams per service call and then reports
// nothing pending even when more wait in the socket.
constexpr std::uint64_t kENetReceiveRound = 256;
// Receive rounds' worth of the peers' datagrams one poll reads, so that the
// peers' traffic cannot stretch a step without end.
constexpr std::uint64_t kMaxPeerDatagramsPerPoll = 8 * kENetReceiveRound;
// Datagrams from no peer (and those too long for ENet) are bounded by the
// processor time the poll spends instead: a stray datagram costs a system
// call and little else, about a microsecond, and one machine can send
// hundreds of thousands a second. A count bound let them fill the system's
// buffer while the server idled, so that the peers' own datagrams were
// lost; counting them against the peers' bound let them crowd the peers'
// datagrams out of a poll. Processor time, not the wall clock, so that a
// poll the machine leaves waiting for a core still reads its share.
constexpr auto kPollReadTime = std::chrono::milliseconds(3);
// A server's socket holds a slow step's worth of 128 peers' datagrams (and
// of a flood beside them) instead of ENet's 256 kB. The system may grant less.
constexpr int kServerReceiveBuffer = 4 << 20;
constexpr enet_uint32 kTimeoutLimit = 8;
constexpr enet_uint32 kTimeoutMinimum = 3000;
constexpr enet_uint32 kTimeoutMaximum = 8000;

std::mutex initializeMutex;
bool initialized = false;

// Once per process; a failure is retried by the next construction.
void initializeENet() {
    std::lock_guard<std::mutex> lock(initializeMutex);
    if (initialized) return;
    if (enet_initialize() != 0) throw std::runtime_error("ENet initialization failed");
    initialized = true;
}

void setTimeouts(ENetPeer* peer) { enet_peer_timeout(peer, kTimeoutLimit, kTimeoutMinimum, kTimeoutMaximum); }

// ENet's packet throttle drops a share of the unreliable packets queued for
// a peer whenever a round trip takes longer than the last one plus twice
// its variance. The only round trips here are those of the few lobby
// messages, so a late step or a busy scheduler looks like congestion, and
// whole snapshots and inputs were dropped before they left: up to a twelfth
// of a client's snapshots with 32 rooms on loopback. Snapshots come at a
// fixed rate and each replaces the last, and the backlog rule bounds what a
// slow peer holds, so the throttle never lowers its rate (deceleration 0).
// ENet sends the setting to the other end, which then sends the same way.
void configurePeer(ENetPeer* peer) {
    setTimeouts(peer);
    enet_peer_throttle_configure(peer, ENET_PEER_PACKET_THROTTLE_INTERVAL, ENET_PEER_PACKET_THROTTLE_ACCELERATION, 0);
}

// The counter of the transport whose poll is servicing its host on this
// thread: ENet's intercept hook carries no pointer of ours.
thread_local std::uint64_t* foreignCounter = nullptr;

// True for a datagram that ENet is about to drop before reading a command:
// too short for a header, or naming a peer slot that is unused, held by
// another address or by an earlier session. Connection requests pass.
bool foreignDatagram(const ENetHost& host) {
    if (host.receivedDataLength < sizeof(enet_uint16)) return true;
    enet_uint16 header = 0;
    std::memcpy(&header, host.receivedData, sizeof header);
    header = ENET_NET_TO_HOST_16(header);
    const enet_uint16 slot = header & ~(ENET_PROTOCOL_HEADER_FLAG_MASK | ENET_PROTOCOL_HEADER_SESSION_MASK);
    if (slot == ENET_PROTOCOL_MAXIMUM_PEER_ID) return false;
    if (slot >= host.peerCount) return true;
    const ENetPeer& peer = host.peers[slot];
    const enet_uint8 session = (header & ENET_PROTOCOL_HEADER_SESSION_MASK) >> ENET_PROTOCOL_HEADER_SESSION_SHIFT;
    return peer.state == ENET_PEER_STATE_DISCONNECTED || peer.state == ENET_PEER_STATE_ZOMBIE ||
           (peer.address.host != host.receivedAddress.host && peer.address.host != ENET_HOST_BROADCAST) ||
           peer.address.port != host.receivedAddress.port ||
           (peer.outgoingPeerID < ENET_PROTOCOL_MAXIMUM_PEER_ID && session != peer.incomingSessionID);
}

// Only counts; ENet still judges every datagram itself.
int ENET_CALLBACK countForeign(ENetHost* host, ENetEvent*) {
    if (foreignCounter != nullptr && foreignDatagram(*host)) ++*foreignCounter;
    return 0;
}

}  // namespace

Transport::Transport(bool server, const std::string& address, std::uint16_t port, std::size_t peersPerAddress) {
    initializeENet();
    ENetAddress bind{};
    bind.host = ENET_HOST_ANY;
    bind.port = port;
    if (address != "0.0.0.0" && enet_address_set_host(&bind, address.c_str()) != 0)
        throw std::runtime_error("Invalid server address");
    host_ = enet_host_create(server ? &bind : nullptr, server ? kServerPeerSlots : 1, kChannelCount, 0, 0);
    if (host_ == nullptr) throw std::runtime_error("Cannot open ENet socket");
    if (server) {
        enet_socket_set_option(host_->socket, ENET_SOCKOPT_RCVBUF, kServerReceiveBuffer);
        host_->duplicatePeers = peersPerAddress;
    }
    host_->maximumPacketSize = kPacketLimit;
    host_->maximumWaitingData = kWaitingDataLimit;
    enet_host_compress_with_range_coder(host_);
    host_->intercept = countForeign;
}

Transport::~Transport() {
    if (host_ != nullptr) enet_host_destroy(host_);
}

bool Transport::server() const { return host_->peerCount >= 2; }

std::uint16_t Transport::port() const { return host_->address.port; }

std::uint64_t Transport::foreign() const { return foreign_; }

std::uint64_t Transport::serviceErrors() const { return serviceErrors_; }

std::optional<std::uint64_t> Transport::overflowed() const { return vant::native_socket::receiveDrops(host_->socket); }

int Transport::socket() const { return host_->socket; }

ENetPeer* Transport::connect(const std::string& server) {
    const vant::net::Endpoint endpoint = vant::net::parseEndpoint(server, kDefaultLobbyPort);
    ENetAddress address{};
    if (enet_address_set_host(&address, endpoint.host.c_str()) != 0)
        throw std::runtime_error("Cannot resolve lobby server");
    address.port = endpoint.port;
    ENetPeer* peer = enet_host_connect(host_, &address, kChannelCount, kProtocolMagic);
    if (peer == nullptr) throw std::runtime_error("Cannot connect to lobby server");
    setTimeouts(peer);
    return peer;
}

void Transport::take(ENetEvent& event, std::vector<Event>& events) {
    const std::size_t limit = server() ? kServerMessageLimit : kClientMessageLimit;
    switch (event.type) {
        case ENET_EVENT_TYPE_CONNECT:
            if (server() && event.data != kProtocolMagic) {
                enet_peer_disconnect_now(event.peer, kWrongProtocol);
                break;
            }
            configurePeer(event.peer);
            events.push_back({Event::kConnect, event.peer, nullptr, 0});
            break;
        case ENET_EVENT_TYPE_DISCONNECT:
            events.push_back({Event::kDisconnect, event.peer, nullptr, 0, event.data});
            break;
        case ENET_EVENT_TYPE_RECEIVE: {
            std::optional<nlohmann::json> message;
            if (event.packet->dataLength <= limit) message = decodeMessage(event.packet->data, event.packet->dataLength);
            enet_packet_destroy(event.packet);
            if (message) {
                events.push_back({Event::kMessage, event.peer, std::move(*message), event.channelID});
            } else {
                enet_peer_disconnect_now(event.peer, kBadMessage);
                events.push_back({Event::kDisconnect, event.peer, nullptr, 0, kBadMessage});
            }
            break;
        }
        default:
            break;
    }
}

std::vector<Event> Transport::poll() {
    // What the reading between polls took from ENet comes first.
    const std::size_t carried = std::min<std::size_t>(pending_.size(), kMaxEventsPerPoll);
    std::vector<Event> events(std::make_move_iterator(pending_.begin()),
                              std::make_move_iterator(pending_.begin() + static_cast<std::ptrdiff_t>(carried)));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(carried));
    ENetEvent event;
    foreignCounter = &foreign_;
    const std::chrono::nanoseconds readUntil = bastion::platform::threadProcessorTime() + kPollReadTime;
    const auto timeLeft = [&] { return bastion::platform::threadProcessorTime() < readUntil; };
    std::uint64_t fromPeers = 0;
    for (int serviced = static_cast<int>(carried); serviced < kMaxEventsPerPoll;) {
        const enet_uint32 readBefore = host_->totalReceivedPackets;
        const std::uint64_t foreignBefore = foreign_;
        const int result = enet_host_service(host_, &event, 0);
        const enet_uint32 read = host_->totalReceivedPackets - readBefore;
        fromPeers += read - (foreign_ - foreignBefore);
        if (result < 0) {
            // ENet fails the whole service call for a datagram longer than
            // its 4096-byte buffer, after taking it off the socket. Anyone
            // can send one, so it ends this read, not the step's reading:
            // the datagrams behind it, the peers' own among them, are read
            // on, as long as the poll has time.
            ++serviceErrors_;
            if (!timeLeft()) break;
            continue;
        }
        if (result == 0) {
            if (read < kENetReceiveRound || fromPeers >= kMaxPeerDatagramsPerPoll || !timeLeft()) break;
            continue;
        }
        ++serviced;
        take(event, events);
    }
    foreignCounter = nullptr;
    return events;
}

std::uint64_t Transport::drain(Clock::time_point until) {
    foreignCounter = &foreign_;
    std::uint64_t read = 0;
    do {
        const enet_uint32 readBefore = host_->totalReceivedPackets;
        // Events are taken as they come and kept for the next poll: a
        // connection left undelivered in ENet stays half made, and ENet
        // drops what that peer sends meanwhile. Beyond a poll's worth, ENet
        // keeps them (without an event to fill it queues them itself).
        ENetEvent event;
        const bool room = pending_.size() < static_cast<std::size_t>(kMaxEventsPerPoll);
        const int result = enet_host_service(host_, room ? &event : nullptr, 0);
        const enet_uint32 round = host_->totalReceivedPackets - readBefore;
        read += round;
        if (result < 0) {
            ++serviceErrors_;  // a datagram too long for ENet, as in poll
            ++read;
            continue;
        }
        if (result > 0) {
            take(event, pending_);
            continue;
        }
        if (round < kENetReceiveRound) break;
    } while (Clock::now() < until);
    foreignCounter = nullptr;
    return read;
}

void Transport::send(ENetPeer* peer, const nlohmann::json& message, std::uint8_t channel) {
    send(std::span<ENetPeer* const>(&peer, 1), message, channel);
}

void Transport::send(std::span<ENetPeer* const> peers, const nlohmann::json& message, std::uint8_t channel) {
    sendEncoded(peers, nlohmann::json::to_cbor(message), channel);
}

void Transport::sendEncoded(std::span<ENetPeer* const> peers, std::span<const std::uint8_t> bytes, std::uint8_t channel) {
    std::vector<ENetPeer*> ready;
    for (ENetPeer* peer : peers) {
        if (peer == nullptr || peer->state != ENET_PEER_STATE_CONNECTED) continue;
        if (peer->outgoingDataTotal > kWaitingDataLimit) {
            enet_peer_disconnect_later(peer, kBacklog);
            continue;
        }
        ready.push_back(peer);
    }
    if (ready.empty()) return;
    if (bytes.size() > host_->maximumPacketSize) throw std::runtime_error("Network state exceeds limit");
    // Snapshots and input beyond one datagram go as unreliable fragments: a
    // snapshot that lost a fragment is dropped, as a whole late one would be,
    // instead of holding newer ones back behind a retransmission.
    const enet_uint32 flags = channel == kLobbyChannel
                                  ? ENET_PACKET_FLAG_RELIABLE
                                  : ENET_PACKET_FLAG_UNSEQUENCED | ENET_PACKET_FLAG_UNRELIABLE_FRAGMENT;
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), flags);
    if (packet == nullptr) throw std::runtime_error("ENet packet allocation failed");
    // ENet counts the peers holding the packet and frees it after the last.
    for (ENetPeer* peer : ready) enet_peer_send(peer, channel, packet);
    if (packet->referenceCount == 0) enet_packet_destroy(packet);
}

void Transport::flush() { enet_host_flush(host_); }

}  // namespace bastion::coop
