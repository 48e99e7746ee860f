#include "render/internal/bounded_json.h"

#include <sstream>
#include <stdexcept>

#include "platform/regular_file.h"
#include "world/decoded_json.h"

namespace bastion {
namespace {

// The first JSON value of the file, or none with the reason in `refusal`.
std::optional<nlohmann::json> readFirstValue(const std::filesystem::path& path, std::uintmax_t maxBytes,
                                             const std::string& tooLarge, platform::FileRefusal& refusal) {
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

}  // namespace

std::optional<nlohmann::json> readBoundedJson(const std::filesystem::path& path, std::uintmax_t maxBytes,
                                              const std::string& tooLarge) {
    platform::FileRefusal refusal{};
    return readFirstValue(path, maxBytes, tooLarge, refusal);
}

nlohmann::json readRequiredJson(const std::filesystem::path& path, std::uintmax_t maxBytes,
                                const std::string& tooLarge) {
    platform::FileRefusal refusal{};
    if (std::optional<nlohmann::json> document = readFirstValue(path, maxBytes, tooLarge, refusal)) return *document;
    if (refusal == platform::FileRefusal::notRegular) throw notRegularFile(path);
    return nlohmann::json::parse("");
}

}  // namespace bastion
