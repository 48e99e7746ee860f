#include "world/decoded_json.h"

#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace bastion {

nlohmann::json readJsonDocument(const std::filesystem::path& path, std::string_view missingPrefix) {
    std::ifstream stream(path);
    if (!stream.is_open()) throw std::runtime_error(std::string(missingPrefix) + path.string());
    // Only the first value counts: decoders may append trailing data.
    nlohmann::json document;
    stream >> document;
    return document;
}

nlohmann::json readJson(const std::filesystem::path& path) {
    return readJsonDocument(path, "Missing decoded gameplay file: ");
}

bool entryExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

}  // namespace bastion
