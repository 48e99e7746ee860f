#include "shell/imported_cartridge.h"

#include <algorithm>
#include <optional>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "platform/regular_file.h"

namespace bastion {
namespace {

// The marker may start up to two bytes late.
constexpr std::size_t kMarkerWindow = 50;

}  // namespace

std::string_view supportedCartridgeDigest() { return STORMBASTION_CARTRIDGE_SHA256; }

ImportedCartridge checkImportedCartridge(const std::filesystem::path& retail, std::string_view digest) {
    nlohmann::json manifest;
    {
        std::optional<std::string> text =
            platform::readRegularFile(retail / "manifest.json", kImportManifestLimit);
        if (!text) {
            throw std::runtime_error(
                "Import the local cart with tools/import_cartridge first, or use --fixture to skip "
                "cartridge validation");
        }
        // Only the first value counts; whatever follows it is not examined.
        std::istringstream stream(std::move(*text));
        stream >> manifest;
    }
    // value() rejects a manifest that is not an object with the library's type error.
    const nlohmann::json schema = manifest.value("schema", nlohmann::json());
    if (!schema.is_number() || schema != 1) {
        throw std::runtime_error("Unsupported cartridge manifest");
    }
    const nlohmann::json sha256 = manifest.value("sha256", nlohmann::json());
    if (!sha256.is_string() || sha256.get_ref<const std::string&>() != digest) {
        throw std::runtime_error("Unsupported cartridge manifest");
    }

    {
        const std::optional<std::string> image =
            platform::readRegularFile(retail / "cartridge.bin", kCartridgeImageSize);
        if (!image || image->size() != kCartridgeImageSize) {
            throw std::runtime_error("Missing or truncated imported cartridge");
        }
        const std::string_view window = std::string_view(*image).substr(kCartridgeMarkerOffset, kMarkerWindow);
        if (std::search(window.begin(), window.end(), kCartridgeMarker.begin(), kCartridgeMarker.end()) ==
            window.end()) {
            throw std::runtime_error("Imported cartridge module marker is damaged");
        }
    }

    // Both are read before either is printed, so a bad manifest prints nothing.
    return {manifest.value("module", nlohmann::json()).get<std::string>(),
            manifest.value("status", nlohmann::json()).get<std::string>()};
}

}  // namespace bastion
