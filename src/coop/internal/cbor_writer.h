#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace bastion::coop {

// Appends CBOR byte for byte as nlohmann::json::to_cbor writes the same
// document: the shortest heads, floats widened from 32 bits (a 4-byte float,
// or the 3-byte half-precision NaN and infinities), and map members in the
// order the caller gives, which must be the sorted order of their keys.
class CborWriter {
public:
    explicit CborWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void map(std::size_t members) { head(0xA0, members); }
    void array(std::size_t elements) { head(0x80, elements); }
    void text(std::string_view value) {
        head(0x60, value.size());
        out_.insert(out_.end(), value.begin(), value.end());
    }
    void key(std::string_view name) { text(name); }
    void boolean(bool value) { out_.push_back(value ? 0xF5 : 0xF4); }
    void unsignedInt(std::uint64_t value) { head(0x00, value); }
    void signedInt(std::int64_t value) {
        if (value >= 0) {
            head(0x00, static_cast<std::uint64_t>(value));
        } else {
            head(0x20, static_cast<std::uint64_t>(-1 - value));
        }
    }
    void real(float value) {
        if (std::isnan(value)) {
            out_.insert(out_.end(), {0xF9, 0x7E, 0x00});
        } else if (std::isinf(value)) {
            out_.insert(out_.end(), {0xF9, static_cast<std::uint8_t>(value > 0 ? 0x7C : 0xFC), 0x00});
        } else {
            std::uint32_t bits = 0;
            std::memcpy(&bits, &value, sizeof bits);
            out_.push_back(0xFA);
            bigEndian(bits, 4);
        }
    }

private:
    void head(std::uint8_t major, std::uint64_t value) {
        if (value <= 0x17) {
            out_.push_back(static_cast<std::uint8_t>(major + value));
        } else if (value <= 0xFF) {
            out_.push_back(static_cast<std::uint8_t>(major + 24));
            bigEndian(value, 1);
        } else if (value <= 0xFFFF) {
            out_.push_back(static_cast<std::uint8_t>(major + 25));
            bigEndian(value, 2);
        } else if (value <= 0xFFFFFFFFu) {
            out_.push_back(static_cast<std::uint8_t>(major + 26));
            bigEndian(value, 4);
        } else {
            out_.push_back(static_cast<std::uint8_t>(major + 27));
            bigEndian(value, 8);
        }
    }
    void bigEndian(std::uint64_t value, int bytes) {
        for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
            out_.push_back(static_cast<std::uint8_t>(value >> shift));
    }

    std::vector<std::uint8_t>& out_;
};

}  // namespace bastion::coop
