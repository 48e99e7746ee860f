#pragma once

#include <filesystem>

#include "contentgen/frontend_export.h"
#include "contentgen/import_manifest.h"

namespace bastion {

// A retail folder that passes the cartridge check and holds both campaigns'
// rules: what the demo content generator writes for start-up.
inline void writeStartupRetail(const std::filesystem::path& retail) {
    contentgen::writeImportManifest(retail);
    contentgen::writeCartridgeImage(retail);
    contentgen::writeFrontendExports(retail);
}

}  // namespace bastion
