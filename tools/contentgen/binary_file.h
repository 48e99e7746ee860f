#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace bastion::contentgen {

// Writes `bytes` to `path`, making the folders on the way. Throws
// std::runtime_error "Cannot write content file: " + path on failure.
void writeBinaryFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// `value` appended as 2 or 4 bytes, most significant first.
void appendBigEndian16(std::vector<std::uint8_t>& out, std::uint16_t value);
void appendBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value);

}  // namespace bastion::contentgen
