#include "render/internal/bounded_json.h"

#include <sstream>
#include <stdexcept>

#include "platform/regular_file.h"

namespace bastion {

std::optional<nlohmann::json> readBoundedJson(const std::filesystem::path& path, std::uintmax_t maxBytes,
                                              const std::string& tooLarge) {
    platform::FileRefusal refusal{};
    std::optional<std::string> text = platform::readRegularFile(path, maxBytes, &refusal);
    if (!text) {
        if (refusal == platform::FileRefusal::tooLarge) throw std::runtime_error(tooLarge);
        return std::nullopt;
    }
    // Only the first value counts: decoders may append trailing data.
    std::istringstream stream(std::move(*text));
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
