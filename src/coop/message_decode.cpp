#include "coop/internal/message_decode.h"

#include <exception>

namespace bastion::coop {
namespace {

constexpr std::uint8_t kBreak = 0xFF;

// Walks the CBOR structure without building anything: every declared length
// is checked against the bytes left (each item takes at least one byte), so
// the decoder never starts on a claim the packet cannot back.
class Scan {
public:
    Scan(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool wholeItem() { return item(0) && at_ == size_; }

private:
    std::size_t left() const { return size_ - at_; }

    bool argument(std::uint8_t info, std::uint64_t& value) {
        if (info < 24) {
            value = info;
            return true;
        }
        if (info > 27) return false;
        const std::size_t bytes = std::size_t{1} << (info - 24);
        if (left() < bytes) return false;
        value = 0;
        for (std::size_t i = 0; i < bytes; ++i) value = (value << 8) | data_[at_++];
        return true;
    }

    bool item(std::size_t depth) {
        if (depth > kMaxMessageDepth || left() == 0) return false;
        const std::uint8_t head = data_[at_++];
        const std::uint8_t major = head >> 5;
        const std::uint8_t info = head & 31;
        if (major == 6) return false;  // tags are refused
        if (info == 31) return indefinite(major, depth);
        std::uint64_t value = 0;
        if (!argument(info, value)) return false;
        switch (major) {
            case 2:
            case 3:
                if (value > left()) return false;
                at_ += static_cast<std::size_t>(value);
                return true;
            case 4:
            case 5: {
                const std::uint64_t items = major == 5 ? value * 2 : value;
                if (value > left() || items > left()) return false;
                for (std::uint64_t i = 0; i < items; ++i)
                    if (!item(depth + 1)) return false;
                return true;
            }
            default:
                return true;  // integers, simple values and floats
        }
    }

    bool indefinite(std::uint8_t major, std::size_t depth) {
        if (major < 2 || major > 5) return false;  // a stray break or reserved form
        for (;;) {
            if (left() == 0) return false;
            if (data_[at_] == kBreak) {
                ++at_;
                return true;
            }
            // Chunks of an indefinite string are definite strings of its kind.
            if (major <= 3 && (data_[at_] >> 5) != major) return false;
            if (major <= 3 && (data_[at_] & 31) == 31) return false;
            if (!item(depth + 1)) return false;
            if (major == 5 && !item(depth + 1)) return false;
        }
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace

std::optional<nlohmann::json> decodeMessage(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || !Scan(data, size).wholeItem()) return std::nullopt;
    try {
        nlohmann::json message = nlohmann::json::from_cbor(data, data + size, true, false,
                                                           nlohmann::json::cbor_tag_handler_t::error);
        if (!message.is_object()) return std::nullopt;
        return message;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace bastion::coop
