#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include <nlohmann/json.hpp>

namespace bastion::contentgen {

// Encodes a spawn's "parameters": a big-endian record of a 32-bit behaviour
// word, sixteen 16-bit words from byte 4 and an optional route record.
class ParameterBytes {
public:
    // Sixteen words need 36 bytes; a route may lengthen the record.
    explicit ParameterBytes(std::size_t length = 36) : bytes_(length, 0) {}

    ParameterBytes& behaviour(std::uint32_t word);
    // Word k occupies bytes 4 + 2k and 5 + 2k (the low 5 bits of word 0 are
    // also the unit's flag bit).
    ParameterBytes& word(int k, std::uint32_t value);
    // A route record at byte `offset`: the point count, then (x, z) world
    // points as signed 32-bit hundredths with z pointing the file's way.
    ParameterBytes& route(std::size_t offset, const std::vector<std::array<double, 2>>& points);

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    nlohmann::json toJson() const { return bytes_; }

private:
    void put16(std::size_t at, std::uint32_t value);
    void put32(std::size_t at, std::uint32_t value);
    std::vector<std::uint8_t> bytes_;
};

}  // namespace bastion::contentgen
