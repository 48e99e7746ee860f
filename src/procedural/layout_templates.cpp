#include "procedural/internal/layout_templates.h"

#include <set>
#include <stdexcept>
#include <utility>

#include "procedural/internal/texture_band.h"
#include "world/world.h"

namespace bastion::layout {
namespace {

constexpr int kSB1 = 0;
constexpr int kSB2 = 1;
constexpr float kSmallestScenery = 1.0f;
constexpr float kAircraftHealth = 80.0f;

bool hasMesh(const Target& target) { return target.mesh && !target.mesh->empty(); }

// Large enough to stand on a plot.
bool sceneryCandidate(const Target& target) {
    return hasMesh(target) && target.extent.x > kSmallestScenery && target.extent.z > kSmallestScenery;
}

// A first-mission World of that campaign, at the layout's difficulty.
World templateWorld(const std::filesystem::path& root, int campaign, int difficulty) {
    World world;
    world.difficulty = difficulty;
    world.loadMission(root, 0, campaign, campaign == kSB2);
    return world;
}

Target aircraft(const World& source, int unitType, int campaign, float ratio) {
    for (const Target& candidate : source.targets) {
        if (candidate.unitType != unitType || candidate.derived || !hasMesh(candidate)) continue;
        Target copy = candidate;
        copy.health = kAircraftHealth * ratio;
        copy.initialHealth = copy.health;
        copy.lastHealth = copy.health;
        copy.prototypeSource = campaign;
        copy.prototypeObjective = false;
        bandTargetTextures(copy, campaign);
        return copy;
    }
    throw std::runtime_error("Missing procedural aircraft template");
}

}  // namespace

Templates gatherTemplates(const World& prototype, const std::filesystem::path& root, bool withAircraft) {
    Templates templates;
    std::set<std::pair<int, int>> taken;  // (source campaign, object type)
    for (const Target& target : prototype.targets) {
        if (target.prototypeObjective) {
            templates.actors.push_back(target);
        } else if (sceneryCandidate(target) && taken.insert({target.prototypeSource, target.objectType}).second) {
            templates.scenery.push_back(target);
        }
    }
    const World sb1 = templateWorld(root, kSB1, prototype.difficulty);
    for (const Target& target : sb1.targets) {
        if (target.unitType >= 0 || !sceneryCandidate(target) || !taken.insert({kSB1, target.objectType}).second)
            continue;
        Target copy = target;
        copy.prototypeSource = kSB1;
        copy.tag = 255;
        copy.action = 0;
        copy.critical = false;
        copy.targetSlot = -1;
        bandTargetTextures(copy, kSB1);
        templates.scenery.push_back(std::move(copy));
    }
    if (withAircraft) {
        templates.actors.push_back(aircraft(sb1, 1, kSB1, prototype.ratio));
        const World sb2 = templateWorld(root, kSB2, prototype.difficulty);
        templates.actors.push_back(aircraft(sb2, 18, kSB2, prototype.ratio));
    }
    if (templates.scenery.empty() || templates.actors.empty()) throw std::runtime_error("Missing procedural templates");
    return templates;
}

}  // namespace bastion::layout
