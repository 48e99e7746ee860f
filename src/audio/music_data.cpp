#include "audio/internal/music_data.h"

#include <optional>
#include <stdexcept>

#include "platform/regular_file.h"

namespace bastion::music_data {

std::vector<std::uint8_t> bytes(const std::filesystem::path& path, std::uintmax_t limit) {
    platform::FileRefusal refusal{};
    std::optional<platform::RegularFile> file = platform::RegularFile::open(path, limit, &refusal);
    if (!file) {
        const char* prefix = refusal == platform::FileRefusal::tooLarge ? "Oversized music data: " : "Missing music data: ";
        throw std::runtime_error(prefix + path.string());
    }
    // One byte more than the size seen at opening tells a file that grew.
    std::vector<std::uint8_t> data(static_cast<std::size_t>(file->size()) + 1);
    std::size_t filled = 0;
    while (filled < data.size()) {
        const std::optional<std::size_t> got = file->read(data.data() + filled, data.size() - filled);
        if (!got) throw std::runtime_error("Missing music data: " + path.string());
        if (*got == 0) break;
        filled += *got;
    }
    if (filled > limit || filled > file->size()) throw std::runtime_error("Oversized music data: " + path.string());
    data.resize(filled);
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
