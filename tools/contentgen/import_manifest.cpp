#include "contentgen/import_manifest.h"

#include <fstream>
#include <stdexcept>
#include <string>

#include "contentgen/json_file.h"
#include "shell/imported_cartridge.h"

namespace bastion::contentgen {

void writeImportManifest(const std::filesystem::path& retail) {
    writeJsonFile(retail / "manifest.json", {
                                                {"schema", 1},
                                                {"sha256", STORMBASTION_CARTRIDGE_SHA256},
                                                {"module", "STORMBASTION XR DEMO CONTENT"},
                                                {"status", "Demo content generated; no cartridge imported"},
                                            });
}

void writeCartridgeImage(const std::filesystem::path& retail) {
    std::string image(kCartridgeImageSize, '\0');
    image.replace(kCartridgeMarkerOffset, kCartridgeMarker.size(), kCartridgeMarker);
    const std::filesystem::path path = retail / "cartridge.bin";
    std::filesystem::create_directories(retail);
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(image.data(), static_cast<std::streamsize>(image.size()));
    stream.close();
    if (!stream) {
        throw std::runtime_error("Cannot write content file: " + path.string());
    }
}

}  // namespace bastion::contentgen
