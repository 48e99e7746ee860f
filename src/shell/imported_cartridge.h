#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace bastion {

inline constexpr std::uintmax_t kCartridgeImageSize = 2097152;
// The largest import manifest that is read.
inline constexpr std::uintmax_t kImportManifestLimit = 1048576;
inline constexpr std::uintmax_t kCartridgeMarkerOffset = 8264;
inline constexpr std::string_view kCartridgeMarker = "STORMBASTION ROM_MODULE  Version 1.04 29.10.1994";

// What the import manifest says about the imported cartridge.
struct ImportedCartridge {
    std::string module;
    std::string status;
};

// The SHA-256 digest of the supported image, as built in (64 lowercase
// hexadecimal digits).
std::string_view supportedCartridgeDigest();

// Checks that `retail` holds the supported import: the manifest's schema and
// digest, the image's exact size and its module marker. The image itself is
// not hashed; the manifest vouches for it.
ImportedCartridge checkImportedCartridge(const std::filesystem::path& retail, std::string_view digest);

}  // namespace bastion
