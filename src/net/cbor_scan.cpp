#include "net/internal/cbor_scan.h"

#include <set>
#include <stdexcept>
#include <string_view>

namespace vant::net {

namespace {

enum Major : std::uint8_t {
    unsignedInteger = 0,
    negativeInteger = 1,
    byteString = 2,
    textString = 3,
    array = 4,
    map = 5,
    tag = 6,
    simple = 7,
};

class Scanner {
public:
    Scanner(std::span<const std::uint8_t> bytes, const Limits& limits) : bytes_(bytes), limits_(limits) {}

    void run() {
        item(0);
        if (at_ != bytes_.size()) fail();
    }

private:
    [[noreturn]] static void fail() { throw std::runtime_error("Malformed or excessive CBOR message"); }

    std::uint64_t left() const { return bytes_.size() - at_; }

    std::uint8_t next() {
        if (at_ >= bytes_.size()) fail();
        return bytes_[at_++];
    }

    std::uint64_t bigEndian(int count) {
        if (left() < static_cast<std::uint64_t>(count)) fail();
        std::uint64_t value = 0;
        for (int i = 0; i < count; ++i) value = (value << 8) | bytes_[at_++];
        return value;
    }

    std::uint64_t argument(std::uint8_t info) {
        if (info < 24) return info;
        if (info == 24) return bigEndian(1);
        if (info == 25) return bigEndian(2);
        if (info == 26) return bigEndian(4);
        if (info == 27) return bigEndian(8);
        fail();  // reserved, or an indefinite length
    }

    // One more data item at `depth`; returns its initial byte.
    std::uint8_t count(std::uint64_t depth) {
        if (depth > limits_.nestingDepth) fail();
        if (++items_ > limits_.itemsPerMessage) fail();
        return next();
    }

    std::uint64_t itemsLeft() const { return limits_.itemsPerMessage - items_; }

    void item(std::uint64_t depth) {
        const std::uint8_t initial = count(depth);
        const auto major = static_cast<Major>(initial >> 5);
        const auto info = static_cast<std::uint8_t>(initial & 0x1F);
        if (major == simple) return simpleValue(info);
        const std::uint64_t value = argument(info);
        switch (major) {
            case unsignedInteger:
                return;
            case negativeInteger:
                if (value >= (std::uint64_t{1} << 63)) fail();
                return;
            case textString:
                text(value);
                return;
            case array:
                if (value > left() || value > itemsLeft()) fail();
                for (std::uint64_t i = 0; i < value; ++i) item(depth + 1);
                return;
            case map:
                return mapEntries(value, depth);
            default:  // byte strings and tags have no JSON meaning here
                fail();
        }
    }

    void mapEntries(std::uint64_t pairs, std::uint64_t depth) {
        if (pairs > left() / 2 || pairs > itemsLeft() / 2) fail();
        std::set<std::string_view> keys;
        for (std::uint64_t i = 0; i < pairs; ++i) {
            const std::uint8_t initial = count(depth + 1);
            if ((initial >> 5) != textString) fail();
            const std::size_t start = at_;
            text(argument(static_cast<std::uint8_t>(initial & 0x1F)));
            const std::string_view key(reinterpret_cast<const char*>(bytes_.data() + start), at_ - start);
            if (!keys.insert(key).second) fail();
            item(depth + 1);
        }
    }

    void simpleValue(std::uint8_t info) {
        switch (info) {
            case 20:  // false
            case 21:  // true
            case 22:  // null
                return;
            case 25: {
                const std::uint64_t half = bigEndian(2);
                if ((half & 0x7C00) == 0x7C00) fail();
                return;
            }
            case 26: {
                const std::uint64_t single = bigEndian(4);
                if ((single & 0x7F800000) == 0x7F800000) fail();
                return;
            }
            case 27: {
                const std::uint64_t dbl = bigEndian(8);
                if ((dbl & 0x7FF0000000000000) == 0x7FF0000000000000) fail();
                return;
            }
            default:  // undefined, other simple values, break
                fail();
        }
    }

    static bool continuation(std::uint8_t byte) { return (byte & 0xC0) == 0x80; }

    void text(std::uint64_t length) {
        if (length > left()) fail();
        const std::size_t end = at_ + static_cast<std::size_t>(length);
        while (at_ < end) {
            const std::uint8_t lead = bytes_[at_++];
            if (lead < 0x80) continue;
            int follow = 0;
            std::uint32_t point = 0;
            if (lead >= 0xC2 && lead <= 0xDF) {
                follow = 1;
                point = lead & 0x1F;
            } else if (lead >= 0xE0 && lead <= 0xEF) {
                follow = 2;
                point = lead & 0x0F;
            } else if (lead >= 0xF0 && lead <= 0xF4) {
                follow = 3;
                point = lead & 0x07;
            } else {
                fail();
            }
            if (end - at_ < static_cast<std::size_t>(follow)) fail();
            for (int i = 0; i < follow; ++i) {
                const std::uint8_t byte = bytes_[at_++];
                if (!continuation(byte)) fail();
                point = (point << 6) | (byte & 0x3F);
            }
            const bool overlong = (follow == 2 && point < 0x800) || (follow == 3 && point < 0x10000);
            if (overlong || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) fail();
        }
    }

    std::span<const std::uint8_t> bytes_;
    const Limits& limits_;
    std::size_t at_ = 0;
    std::uint64_t items_ = 0;
};

}  // namespace

void scanCbor(std::span<const std::uint8_t> payload, const Limits& limits) { Scanner(payload, limits).run(); }

}  // namespace vant::net
