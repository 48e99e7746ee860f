#include "contentgen/parameter_bytes.h"

#include <cmath>

namespace bastion::contentgen {

void ParameterBytes::put16(std::size_t at, std::uint32_t value) {
    if (bytes_.size() < at + 2) bytes_.resize(at + 2, 0);
    bytes_[at] = static_cast<std::uint8_t>(value >> 8);
    bytes_[at + 1] = static_cast<std::uint8_t>(value);
}

void ParameterBytes::put32(std::size_t at, std::uint32_t value) {
    put16(at, value >> 16);
    put16(at + 2, value & 0xFFFFu);
}

ParameterBytes& ParameterBytes::behaviour(std::uint32_t word) {
    put32(0, word);
    return *this;
}

ParameterBytes& ParameterBytes::word(int k, std::uint32_t value) {
    put16(4 + 2 * static_cast<std::size_t>(k), value);
    return *this;
}

ParameterBytes& ParameterBytes::route(std::size_t offset, const std::vector<std::array<double, 2>>& points) {
    put16(offset, static_cast<std::uint32_t>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::size_t at = offset + 2 + 8 * i;
        put32(at, static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(points[i][0] * 100))));
        put32(at + 4, static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(-points[i][1] * 100))));
    }
    return *this;
}

}  // namespace bastion::contentgen
