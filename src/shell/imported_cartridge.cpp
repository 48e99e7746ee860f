#include "shell/imported_cartridge.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace bastion {
namespace {

// The marker may start up to two bytes late.
constexpr std::size_t kMarkerWindow = 50;

}  // namespace

std::string_view supportedCartridgeDigest() { return STORMBASTION_CARTRIDGE_SHA256; }

ImportedCartridge checkImportedCartridge(const std::filesystem::path& retail, std::string_view digest) {
    nlohmann::json manifest;
    {
        std::ifstream stream(retail / "manifest.json", std::ios::binary);
        if (!stream) {
            throw std::runtime_error(
                "Import the local cart with tools/import_cartridge first, or use --fixture to skip "
                "cartridge validation");
        }
        // Only the first value counts; whatever follows it is not examined.
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
        std::ifstream image(retail / "cartridge.bin", std::ios::binary | std::ios::ate);
        if (!image || image.tellg() != static_cast<std::streamoff>(kCartridgeImageSize)) {
            throw std::runtime_error("Missing or truncated imported cartridge");
        }
        std::array<char, kMarkerWindow> window{};
        image.seekg(static_cast<std::streamoff>(kCartridgeMarkerOffset));
        image.read(window.data(), window.size());
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
