#include "audio/music_data.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace bastion::music_data {

std::vector<std::uint8_t> bytes(const std::filesystem::path& path, std::uintmax_t limit) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) throw std::runtime_error("Missing music data: " + path.string());
    std::ifstream stream(path, std::ios::binary);
    if (!stream.is_open()) throw std::runtime_error("Missing music data: " + path.string());
    // Read at most one byte past the limit, so a file that grows after the
    // check is refused too, without being read whole.
    std::vector<std::uint8_t> data;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size <= limit) data.reserve(static_cast<std::size_t>(size));
    char chunk[65536];
    while (stream.read(chunk, sizeof chunk), stream.gcount() > 0) {
        data.insert(data.end(), chunk, chunk + stream.gcount());
        if (data.size() > limit) throw std::runtime_error("Oversized music data: " + path.string());
    }
    if (stream.bad()) throw std::runtime_error("Missing music data: " + path.string());
    return data;
}

std::filesystem::path systemFolder(const std::filesystem::path& root) {
    std::filesystem::path normal = std::filesystem::absolute(root).lexically_normal();
    if (normal.filename().empty()) normal = normal.parent_path();  // "retail/" names "retail"
    return normal.parent_path() / "system";
}

bool plainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

}  // namespace bastion::music_data
