#include "render/internal/world_atlas.h"

#include <array>
#include <cmath>
#include <optional>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "platform/regular_file.h"
#include "world/decoded_json.h"

namespace bastion {
namespace {

constexpr double kMaxAtlasSide = 4096.0;

int atlasSide(double side) {
    if (!(side >= 1.0 && side <= kMaxAtlasSide) || side != std::floor(side))
        throw std::runtime_error("Invalid atlas dimensions");
    return static_cast<int>(side);
}

std::uintmax_t imageBytes(AtlasSize size) {
    return static_cast<std::uintmax_t>(size.width) * static_cast<std::uintmax_t>(size.height) * 4u;
}

// SB2's copy of the SB1 gameplay folder.
std::filesystem::path sharedGameplayFolder(const std::filesystem::path& retail) {
    return retail / "sb2/shared/gameplay";
}

bool sharedCopyExists(const std::filesystem::path& retail) {
    return entryExists(sharedGameplayFolder(retail) / "missions.json");
}

}  // namespace

int atlasKey(int campaign, bool prototype) { return prototype ? 2 : campaign; }

std::filesystem::path gameplayAtlasFolder(const std::filesystem::path& retail, int campaign, bool prototype) {
    if ((campaign == 0 || prototype) && sharedCopyExists(retail)) return sharedGameplayFolder(retail);
    return campaign == 0 ? retail / "gameplay" : retail / "sb2/gameplay";
}

std::filesystem::path pickupAtlasFolder(const std::filesystem::path& retail) {
    return sharedCopyExists(retail) ? sharedGameplayFolder(retail) : retail / "gameplay";
}

AtlasSize atlasSize(const std::filesystem::path& folder) {
    const nlohmann::json document = parseJsonFile(folder / "missions.json", kDecodedDocumentLimit);
    if (!document.is_object()) return {};
    const auto found = document.find("atlas_size");
    if (found == document.end()) return {};
    // Anything but an array of two numbers is the JSON library's error.
    const auto [width, height] = found->get<std::array<double, 2>>();
    if (found->size() != 2) throw std::runtime_error("Invalid atlas dimensions");
    return {atlasSide(width), atlasSide(height)};
}

std::vector<std::uint8_t> readGameplayAtlas(const std::filesystem::path& file, AtlasSize size) {
    const std::uintmax_t bytes = imageBytes(size);
    std::optional<platform::RegularFile> image = platform::RegularFile::open(file, bytes);
    std::vector<std::uint8_t> pixels;
    if (image && image->size() == bytes) {
        pixels.resize(static_cast<std::size_t>(bytes));
        const std::optional<std::size_t> got = image->read(pixels.data(), pixels.size());
        if (got && *got == pixels.size()) return pixels;
    }
    throw std::runtime_error("Decode gameplay atlas first");
}

std::vector<std::uint8_t> readPickupAtlas(const std::filesystem::path& file, AtlasSize size) {
    // Bytes past the image are ignored, so the file may be of any length.
    std::optional<platform::RegularFile> image = platform::RegularFile::open(file, UINTMAX_MAX);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(imageBytes(size)));
    std::size_t filled = 0;
    while (image && filled < pixels.size()) {
        const std::optional<std::size_t> got = image->read(pixels.data() + filled, pixels.size() - filled);
        if (!got || *got == 0) break;
        filled += *got;
    }
    if (filled < pixels.size()) throw std::runtime_error("Missing pickup atlas");
    return pixels;
}

}  // namespace bastion
