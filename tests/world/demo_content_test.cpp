#include <gtest/gtest.h>

#include <map>
#include <set>

#include "support/demo_content.h"
#include "world/decoded_json.h"
#include "world/decoded_value.h"
#include "world/internal/mission_file.h"
#include "world/internal/mission_parameters.h"
#include "world/internal/model_mesh.h"
#include "world/world.h"

namespace bastion {
namespace {

using nlohmann::json;

// Route offsets by unit type, SB1 then the SB2 additions.
int routeOffset(int type, int campaign) {
    static const std::map<int, int> sb1 = {{0, 14}, {1, 14}, {3, 6}, {6, 10}, {8, 18}};
    static const std::map<int, int> sb2 = {{9, 34}, {12, 26}, {14, 14}, {15, 10}, {17, 6}, {18, 6}, {22, 14}};
    if (const auto found = sb1.find(type); found != sb1.end()) return found->second;
    if (const auto found = sb2.find(type); campaign == 1 && found != sb2.end()) return found->second;
    return -1;
}

struct CampaignCoverage {
    std::set<int> unitTypes;
    int generators = 0;
    int trailers = 0;
    int shipAttachments = 0;
    int carriersWithCargo = 0;
    int nightMissions = 0;
};

// Reads one mission the way the loader does, building every mesh.
void readMission(const std::filesystem::path& root, const json& document, int campaign, int index, bool shared,
                 CampaignCoverage& coverage) {
    const json& mission = document.at("missions").at(static_cast<std::size_t>(index));
    World world;
    world.campaign = campaign;
    world.missionIndex = index;
    world.night = mission.at("night").get<bool>();
    coverage.nightMissions += world.night ? 1 : 0;
    decodeObjectiveRegions(mission);
    decodeDifficulty(mission.at("difficulty"), 1);
    decodePosition(mission.at("spawn"));
    decodeColour(mission.at("ground"));
    decodeColour(mission.at("sky"));
    world.loadDecorations(root);
    EXPECT_EQ(world.fragmentShapes.size(), 4u);

    ModelMeshContext context{{}, world, shared, sharedGameplayFolder(root), campaignFolder(root, campaign), mission,
                             decodeLight(mission.at("light")), document};
    for (const json& object : mission.at("objects")) {
        const PlacedObject placed = decodePlacedObject(object);
        const CatalogueEntry entry = decodeCatalogueEntry(document.at("objects").at(static_cast<std::size_t>(placed.type)));
        EXPECT_FALSE(buildModelMesh(context, entry.model, placed.yaw, placed.type)->empty()) << entry.model;
        buildModelMesh(context, entry.wreck, placed.yaw, placed.type);
    }
    for (const json& polygon : mission.at("terrain")) EXPECT_GE(decodeTerrainPolygon(polygon).corners.size(), 3u);

    const json& spawns = mission.at("spawns");
    for (const json& spawn : spawns) {
        const SpawnRecord record = decodeSpawnRecord(spawn, campaign);
        const ParameterRecord parameters = decodeParameters(record.parameters);
        coverage.unitTypes.insert(record.type);
        if (record.type == kGeneratorRecord) {
            const GeneratorRecord generator = decodeGeneratorRecord(parameters);
            ASSERT_LT(static_cast<std::size_t>(generator.parentSpawn), spawns.size());
            EXPECT_NE(spawns[static_cast<std::size_t>(generator.parentSpawn)].at("type"), kGeneratorRecord);
            ++coverage.generators;
            continue;
        }
        if (const int offset = routeOffset(record.type, campaign); offset >= 0) {
            const std::vector<Vec3> route = decodeRoute(record.parameters, static_cast<std::size_t>(offset), 0);
            EXPECT_TRUE(route.empty() || (parameters.behaviour & kBehaviourRoute)) << record.type;
        }
        if (record.type == 8 && parameters.words[2] != 0) ++coverage.trailers;
        if (record.type == 9 && (parameters.behaviour & kBehaviourCarriesShip)) {
            EXPECT_LT(static_cast<std::size_t>(parameters.words[2]), spawns.size());
            ++coverage.shipAttachments;
        }
        if (record.type == 12 && campaign == 1 && parameters.words[6] == 1) ++coverage.carriersWithCargo;
        if (record.type == 3) decodeMechProfile(mission.at("mech_profile"));
        if (record.type == 21 && campaign == 1) continue;  // no model in SB2
        const std::string name = document.at("dynamic_models").at(std::to_string(record.type)).get<std::string>();
        buildModelMesh(context, name, record.yaw, -1);
    }
    for (const auto& [key, name] : document.at("variants").items())
        EXPECT_FALSE(buildModelMesh(context, name.get<std::string>(), 0, -1)->empty()) << key;
}

TEST(DemoContent, EveryMissionOfBothCampaignsLoadsThroughTheReaders) {
    const std::filesystem::path& root = testing_support::demoContent();
    const struct {
        int campaign;
        bool shared;
        int missions;
    } campaigns[] = {{0, false, 16}, {0, true, 16}, {1, true, 20}};
    for (const auto& c : campaigns) {
        SCOPED_TRACE(testing::Message() << "campaign " << c.campaign << " shared " << c.shared);
        const std::filesystem::path file = missionFilePath(root, c.campaign, c.shared);
        EXPECT_EQ(file.parent_path() == sharedGameplayFolder(root), c.campaign == 0 && c.shared);
        const json document = readJson(file);
        checkMissionSchema(document);
        ASSERT_EQ(document.at("missions").size(), static_cast<std::size_t>(c.missions));
        CampaignCoverage coverage;
        for (int index = 0; index < c.missions; ++index) {
            SCOPED_TRACE(index);
            readMission(root, document, c.campaign, index, c.shared, coverage);
        }
        for (int type = 0; type < kEnemyTypeCount; ++type) EXPECT_TRUE(coverage.unitTypes.count(type)) << type;
        EXPECT_GT(coverage.generators, 0);
        EXPECT_GT(coverage.trailers, 0);
        EXPECT_GT(coverage.shipAttachments, 0);
        EXPECT_GT(coverage.nightMissions, 0);
        if (c.campaign == 1) {
            EXPECT_GT(coverage.carriersWithCargo, 0);
        }
    }
}

}  // namespace
}  // namespace bastion
