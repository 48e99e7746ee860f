#include "shell/skirmish_mission.h"

#include <filesystem>
#include <ostream>

#include "procedural/skirmish_generator.h"
#include "shell/frontend/frontend.h"
#include "world/world.h"

namespace bastion {
namespace {

std::string text(const nlohmann::json& recipe, const char* section, const char* key) {
    return recipe.at(section).at(key).get<std::string>();
}

std::string objectiveSentence(const std::string& kind) {
    if (kind == "strike") return "DESTROY THE MARKED STRUCTURES.";
    if (kind == "recon") return "HOLD EACH MARKED ZONE FOR 4 SECONDS.";
    return "DESTROY EVERY MARKED HOSTILE GROUP.";
}

}  // namespace

std::string skirmishStatusLine(const nlohmann::json& recipe, bool extraction, const std::string& objectiveText) {
    std::string line = text(recipe, "terrain", "biome") + " / " + text(recipe, "terrain", "water_layout") + " / " +
                       objectiveSentence(text(recipe, "mission", "kind"));
    if (extraction) line += " RETURN TO EX FOR EXTRACTION.";
    return line + " / " + objectiveText;
}

std::string skirmishSeedLine(const nlohmann::json& recipe, u32 seed) {
    return "Skirmish seed=" + std::to_string(seed) + " objective=" + text(recipe, "mission", "kind") +
           " terrain=" + text(recipe, "terrain", "biome") + "\n";
}

void loadSkirmishMission(World& fresh, Frontend& frontend, const MissionSources& sources,
                         std::optional<nlohmann::json>& recipe) {
    if (!recipe) recipe = generateSkirmishRecipe(frontend.skirmishSettings);
    fresh.loadProceduralRecipe(sources.retail, *recipe);
    const SkirmishSettings& settings = frontend.skirmishSettings;
    const std::string status = skirmishStatusLine(*recipe, settings.extraction, fresh.objectiveText);
    const std::string seedLine = skirmishSeedLine(*recipe, settings.seed);
    frontend.statusLine = status;
    if (sources.out != nullptr) *sources.out << seedLine << std::flush;
}

}  // namespace bastion
