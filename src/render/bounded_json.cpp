#include "render/bounded_json.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

namespace bastion {

std::optional<nlohmann::json> readBoundedJson(const std::filesystem::path& path, std::uintmax_t maxBytes,
                                              const std::string& tooLarge) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return std::nullopt;
    if (size > maxBytes) throw std::runtime_error(tooLarge);
    std::ifstream stream(path, std::ios::binary);
    if (!stream.is_open()) return std::nullopt;
    // Only the first value counts: decoders may append trailing data.
    nlohmann::json document;
    stream >> document;
    return document;
}

nlohmann::json readRequiredJson(const std::filesystem::path& path, std::uintmax_t maxBytes,
                                const std::string& tooLarge) {
    if (std::optional<nlohmann::json> document = readBoundedJson(path, maxBytes, tooLarge)) return *document;
    return nlohmann::json::parse("");
}

}  // namespace bastion
