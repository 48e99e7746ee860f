#include "contentgen/binary_file.h"

#include <fstream>
#include <stdexcept>

namespace bastion::contentgen {

void writeBinaryFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::error_code error;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    if (stream) stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!stream) throw std::runtime_error("Cannot write content file: " + path.string());
}

void appendBigEndian16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void appendBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    appendBigEndian16(out, static_cast<std::uint16_t>(value >> 16));
    appendBigEndian16(out, static_cast<std::uint16_t>(value));
}

}  // namespace bastion::contentgen
