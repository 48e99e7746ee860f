#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "render/walker_pose.h"

namespace bastion {

// The rig of one walker model: its parts, and for each part the runs of mesh
// vertices it owns. Once the mesh is put in part order (`partOrder`), part p
// is the one run `spans`[p].
struct ModelRig : WalkerRig {
    using Run = std::pair<std::int32_t, std::int32_t>;  // first vertex, vertex count
    std::vector<std::vector<Run>> ranges;
    std::vector<Run> spans;
    std::int32_t meshVertices = 0;
};

// Checks a rig document ("animation-rigs.json", or one synthesized from the
// player walker's file) and builds its rigs by name. Throws
// std::runtime_error with the file's fixed messages; the JSON library's
// exceptions pass through.
std::map<std::string, ModelRig> readWalkerRigs(const nlohmann::json& document);

// The rig document of the player walker "stormbastion", made from the
// "segments" of its decoded model file, in the model loader's units.
nlohmann::json synthesizeWalkerRig(const nlohmann::json& walkerFile);

// The vertices of `mesh` in part order: for each part, its runs in order.
// The mesh must hold the rig's `meshVertices` vertices.
template <typename Vertex>
std::vector<Vertex> partOrder(const ModelRig& rig, const std::vector<Vertex>& mesh) {
    std::vector<Vertex> ordered;
    ordered.reserve(mesh.size());
    for (const std::vector<ModelRig::Run>& runs : rig.ranges)
        for (const auto& [first, count] : runs)
            ordered.insert(ordered.end(), mesh.begin() + first, mesh.begin() + first + count);
    return ordered;
}

}  // namespace bastion
