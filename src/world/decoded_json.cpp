#include "world/decoded_json.h"

#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "platform/regular_file.h"

namespace bastion {

nlohmann::json readJsonDocument(const std::filesystem::path& path, std::string_view missingPrefix) {
    std::optional<std::string> text = platform::readRegularFile(path, kDecodedDocumentLimit);
    if (!text) throw std::runtime_error(std::string(missingPrefix) + path.string());
    // Only the first value counts: decoders may append trailing data.
    std::istringstream stream(std::move(*text));
    nlohmann::json document;
    stream >> document;
    return document;
}

nlohmann::json readJson(const std::filesystem::path& path) {
    return readJsonDocument(path, "Missing decoded gameplay file: ");
}

nlohmann::json parseJsonFile(const std::filesystem::path& path, std::uintmax_t sizeLimit) {
    platform::FileRefusal refusal{};
    std::optional<std::string> text = platform::readRegularFile(path, sizeLimit, &refusal);
    if (!text && refusal == platform::FileRefusal::notRegular) throw notRegularFile(path);
    std::istringstream stream(text.value_or(std::string()));
    return nlohmann::json::parse(stream);
}

nlohmann::json::parse_error notRegularFile(const std::filesystem::path& path) {
    return nlohmann::json::parse_error::create(101, std::size_t{0}, "not a regular file: " + path.string(), nullptr);
}

bool entryExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

}  // namespace bastion
