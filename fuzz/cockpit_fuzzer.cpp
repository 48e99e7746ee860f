#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "fuzz_files.h"
#include "render/cockpit_files.h"

namespace {

// A mesh the reader accepted must describe its own buffer: the lower and
// upper body, then the five lamps one after another up to its end.
void checkMesh(const bastion::CockpitMesh& mesh) {
    if (mesh.vertices.size() % bastion::kCockpitVertexFloats != 0 || mesh.lowerVertices < 0 ||
        mesh.lowerVertices > mesh.bodyVertices) {
        std::abort();
    }
    std::int64_t next = mesh.bodyVertices;
    for (const bastion::VertexRange& lamp : mesh.lamps) {
        if (lamp.first != next || lamp.count < 0) std::abort();
        next += lamp.count;
    }
    if (next * bastion::kCockpitVertexFloats != static_cast<std::int64_t>(mesh.vertices.size())) std::abort();
}

}  // namespace

// The input packs "cockpit.mesh", "mesh-manifest.json" and "layout.json" in
// that order, cut by the file separator; a missing piece leaves its file out.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path folder = bastion::fuzz::scratchFolder();
    const auto pieces = bastion::fuzz::splitInput(data, size, bastion::fuzz::kFileSeparator);
    bastion::fuzz::writeOrRemove(folder / "cockpit.mesh", pieces, 0);
    bastion::fuzz::writeOrRemove(folder / "mesh-manifest.json", pieces, 1);
    bastion::fuzz::writeOrRemove(folder / "layout.json", pieces, 2);

    bastion::fuzz::refuseOrPass([&] { checkMesh(bastion::readCockpitMesh(folder)); });
    bastion::fuzz::refuseOrPass([&] { bastion::readCockpitLayout(folder); });
    return 0;
}
