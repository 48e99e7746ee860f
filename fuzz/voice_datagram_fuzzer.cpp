#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "voice/relay.h"
#include "voice/transport.h"

// The input is a run of datagrams, each a header byte and up to 127 x 4
// bytes. An even header sends to the relay, an odd one to a transport from
// the address it takes for its relay. Every token is sixteen 0x11 bytes, so
// forged datagrams reach the deep paths. Neither end may crash, throw, or
// hand playback a packet that breaks the payload rules.
namespace {

using namespace vant::voice;

constexpr std::uint64_t session = 1;
const nlohmann::json fixedCredentials = {{"version", 1},  {"port", 0},      {"token", std::string(32, '1')},
                                         {"rate", 48000}, {"samples", 960}, {"bitrate", 24000}};

struct UdpEnd {
    int handle = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    std::uint16_t port = 0;
    UdpEnd() {
        sockaddr_in self{};
        self.sin_family = AF_INET;
        self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(handle, reinterpret_cast<sockaddr*>(&self), sizeof self);
        socklen_t length = sizeof self;
        ::getsockname(handle, reinterpret_cast<sockaddr*>(&self), &length);
        port = ntohs(self.sin_port);
    }
    void sendTo(std::uint16_t to, std::span<const std::uint8_t> bytes) const {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(to);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::sendto(handle, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    // The port of whoever sends the next datagram.
    std::uint16_t senderOfNext() const {
        pollfd waiting{handle, POLLIN, 0};
        if (::poll(&waiting, 1, 5000) != 1) std::abort();
        std::uint8_t buffer[1024];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        ::recvfrom(handle, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        return ntohs(from.sin_port);
    }
};

struct Rig {
    Relay relay{"127.0.0.1", 0, steadyNow, [](std::span<std::byte> out) {
                    std::fill(out.begin(), out.end(), std::byte{0x11});
                    return true;
                }};
    std::vector<Participant> participants{{1, {0, 0, 0}, true, 1}, {2, {5, 0, 5}, true, 1}};
    Transport listener;  // player 1 at the relay, hearing what the relay forwards
    UdpEnd client;       // speaks to the relay as anyone
    UdpEnd fakeRelay;    // speaks to the transport under test
    Transport transport;
    std::uint16_t transportPort = 0;

    Rig() {
        relay.admit(1);
        relay.admit(2);
        auto credentials = fixedCredentials;
        credentials["port"] = relay.port();
        listener.connect("127.0.0.1", credentials);
        credentials["port"] = fakeRelay.port;
        transport.connect("127.0.0.1", credentials);
        transport.poll(session);
        transportPort = fakeRelay.senderOfNext();
    }
};

void checkPackets(const std::vector<Packet>& packets) {
    for (const Packet& packet : packets) {
        if (packet.speaker == 0 || packet.sequence == 0 || packet.opus.empty() || packet.opus.size() > 398) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Rig rig;
    std::size_t at = 0;
    while (at < size) {
        const std::uint8_t header = data[at++];
        const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(header >> 1) * 4, size - at);
        const std::span<const std::uint8_t> datagram(data + at, length);
        at += length;
        if ((header & 1) == 0) {
            rig.client.sendTo(rig.relay.port(), datagram);
        } else {
            rig.fakeRelay.sendTo(rig.transportPort, datagram);
        }
    }
    rig.listener.poll(session);
    rig.relay.poll(rig.participants, session);
    checkPackets(rig.listener.poll(session));
    checkPackets(rig.transport.poll(session));
    const auto report = rig.relay.report();
    if (report["received"].get<std::uint64_t>() < report["rejected"].get<std::uint64_t>()) std::abort();
    return 0;
}
