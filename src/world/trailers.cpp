#include <cmath>
#include <stdexcept>

#include "world/internal/mission_loading.h"
#include "world/world.h"

namespace bastion {
namespace {

constexpr int kTractor = 8;
constexpr int kSB1Trailer = 11;
constexpr int kFirstTrailerWord = 2;
constexpr int kLastTrailerWord = 6;

// The short trailer (variant 2) hitches closer than the long ones.
float hitchGap(int variant) { return variant == 2 ? 1.58f : 2.3f; }
float trailerLength(int variant) { return variant == 2 ? 3.02f : 4.84f; }

Target buildTrailer(World& world, MissionLoad& load, std::size_t hitch, int variant, float distance) {
    const Target& leader = world.targets[hitch];
    Target trailer;
    trailer.unitType = world.campaign == 1 ? kSB2Trailer : kSB1Trailer;
    trailer.derived = true;
    trailer.active = false;
    trailer.health = 50.0f;
    trailer.parameters[0] = static_cast<int>(std::trunc(distance * 100.0f));
    const float gap = static_cast<float>(trailer.parameters[0]) / 100.0f;
    const float yaw = leader.homeYaw;
    trailer.home = leader.home + gap * Vec3{std::sin(yaw), 0.0f, std::cos(yaw)};
    trailer.homeYaw = yaw;
    trailer.host = static_cast<int>(hitch);
    const std::string model =
        load.document.at("variants").at("trailer-" + std::to_string(variant)).get<std::string>();
    trailer.mesh = buildModelMesh(load.meshes, model, trailer.homeYaw, -1);
    fitToMesh(trailer);
    world.updateEnemyBounds(trailer);
    return trailer;
}

}  // namespace

void hitchTrailers(World& world, MissionLoad& load) {
    const std::size_t loaded = world.targets.size();
    for (std::size_t t = 0; t < loaded; ++t) {
        if (world.targets[t].unitType != kTractor) continue;
        float distance = static_cast<float>(world.targets[t].parameters[0]) / 100.0f;
        std::size_t hitch = t;
        for (int j = kFirstTrailerWord; j <= kLastTrailerWord; ++j) {
            const int variant = world.targets[t].parameters[j];
            if (variant == 0) break;
            if (variant >= 4) throw std::runtime_error("Invalid trailer variant");
            distance += hitchGap(variant);
            Target trailer = buildTrailer(world, load, hitch, variant, distance);
            hitch = world.targets.size();
            world.targets.push_back(std::move(trailer));
            distance = trailerLength(variant);
        }
    }
}

}  // namespace bastion
