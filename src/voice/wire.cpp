#include "voice/internal/wire.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace vant::voice::wire {

namespace {

constexpr std::array<char, 4> clientMagic{'V', 'N', 'V', '1'};
constexpr std::array<char, 4> relayMagic{'V', 'N', 'R', '1'};

class Writer {
public:
    explicit Writer(std::size_t size) { bytes_.reserve(size); }

    void magic(const std::array<char, 4>& text) {
        for (const char c : text) bytes_.push_back(static_cast<std::byte>(c));
    }
    void raw(std::span<const std::byte> data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
    template <class Unsigned>
    void number(Unsigned value) {
        for (int shift = 8 * (static_cast<int>(sizeof(Unsigned)) - 1); shift >= 0; shift -= 8) {
            bytes_.push_back(static_cast<std::byte>((value >> shift) & 0xFF));
        }
    }
    void real(float value) { number(std::bit_cast<std::uint32_t>(value)); }
    std::vector<std::byte> take() { return std::move(bytes_); }

private:
    std::vector<std::byte> bytes_;
};

class Reader {
public:
    explicit Reader(std::span<const std::byte> bytes) : bytes_(bytes) {}

    bool magic(const std::array<char, 4>& text) {
        for (const char c : text) {
            if (bytes_[at_++] != static_cast<std::byte>(c)) return false;
        }
        return true;
    }
    Token token() {
        Token token{};
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at_), token.size(), token.begin());
        at_ += token.size();
        return token;
    }
    template <class Unsigned>
    Unsigned number() {
        Unsigned value = 0;
        for (std::size_t i = 0; i < sizeof(Unsigned); ++i) {
            value = static_cast<Unsigned>((value << 8) | std::to_integer<Unsigned>(bytes_[at_++]));
        }
        return value;
    }
    float real() { return std::bit_cast<float>(number<std::uint32_t>()); }
    std::span<const std::byte> rest() const { return bytes_.subspan(at_); }

private:
    std::span<const std::byte> bytes_;
    std::size_t at_ = 0;
};

}  // namespace

std::vector<std::byte> encode(const ClientDatagram& datagram) {
    Writer out(clientHeaderBytes + datagram.opus.size());
    out.magic(clientMagic);
    out.raw(datagram.token);
    out.number(datagram.sequence);
    out.number(datagram.session);
    out.number(datagram.channel);
    out.raw(datagram.opus);
    return out.take();
}

std::vector<std::byte> encode(const RelayDatagram& datagram) {
    Writer out(relayHeaderBytes + datagram.opus.size());
    out.magic(relayMagic);
    out.raw(datagram.token);
    out.number(datagram.speaker);
    out.number(datagram.sequence);
    out.number(datagram.session);
    out.number(datagram.channel);
    out.real(datagram.x);
    out.real(datagram.z);
    out.raw(datagram.opus);
    return out.take();
}

std::optional<ClientDatagram> decodeClient(std::span<const std::byte> bytes) {
    if (bytes.size() < clientHeaderBytes) return std::nullopt;
    Reader in(bytes);
    if (!in.magic(clientMagic)) return std::nullopt;
    ClientDatagram datagram;
    datagram.token = in.token();
    datagram.sequence = in.number<std::uint32_t>();
    datagram.session = in.number<std::uint64_t>();
    datagram.channel = in.number<std::uint8_t>();
    datagram.opus = in.rest();
    return datagram;
}

std::optional<RelayDatagram> decodeRelay(std::span<const std::byte> bytes) {
    if (bytes.size() < relayHeaderBytes) return std::nullopt;
    Reader in(bytes);
    if (!in.magic(relayMagic)) return std::nullopt;
    RelayDatagram datagram;
    datagram.token = in.token();
    datagram.speaker = in.number<std::uint32_t>();
    datagram.sequence = in.number<std::uint32_t>();
    datagram.session = in.number<std::uint64_t>();
    datagram.channel = in.number<std::uint8_t>();
    datagram.x = in.real();
    datagram.z = in.real();
    datagram.opus = in.rest();
    return datagram;
}

}  // namespace vant::voice::wire
