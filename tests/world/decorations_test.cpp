#include <gtest/gtest.h>

#include <stdexcept>

#include "contentgen/json_file.h"
#include "contentgen/palette.h"
#include "support/temp_folder.h"
#include "world/world.h"

namespace bastion {
namespace {

using nlohmann::json;
using contentgen::writeJsonFile;

json face(json indices, int group, int material) {
    return {{"indices", indices}, {"group", group}, {"material", material}, {"shade", 128}, {"bias", 10}};
}

json missionsWithLight(json light, int red) {
    json rows = json::array();
    for (int r = 0; r < 16; ++r) rows.push_back(json(std::vector<int>(16, red)));
    return {{"schema", 1},
            {"missions", {{{"light", light}}, {{"light", light}}}},
            {"cry_table", {{"red", rows}, {"green", rows}, {"blue", rows}}},
            {"texture_uv", contentgen::textureCoordinates()}};
}

// A content root with SB1 missions, a models manifest and five pickups.
class DecorationsTest : public ::testing::Test {
protected:
    DecorationsTest() {
        writeJsonFile(root.path() / "gameplay/missions.json", missionsWithLight({0, 1, 0}, 255));
        json pickupTypes = json::array();
        for (int k = 0; k < 40; ++k) pickupTypes.push_back(k < 32 ? (k * 3) % 5 : 9);
        manifest = {{"pickup_types", pickupTypes},
                    {"models",
                     {{"effect-debris", json::object()},
                      {"fragment-3", json::object()},
                      {"pickup-0", json::object()},
                      {"stormbastion", json::object()}}}};
        writeJsonFile(root.path() / "models/manifest.json", manifest);
        writeModel("effect-debris", {{{100, -200, 300}}, json::array(), json::array()});
        writeModel("fragment-3", {{{0, 0, 0}, {50, 50, 50}}, json::array(), json::array()});
        // Pickup 0: two coplanar flat faces facing up; the others one triangle.
        json square = {{0, 0, 0}, {100, 0, 0}, {100, 0, -100}, {0, 0, -100}};
        writeModel("pickup-0", {square, {face({0, 1, 2, 3}, 0, 0), face({0, 1, 2, 3}, 1, 0)},
                                {{0, 100, 0, 0}, {0, 100, 0, 0}}});
        for (int slot = 1; slot < 5; ++slot) {
            writeModel("pickup-" + std::to_string(slot),
                       {{{100, -200, 300}, {0, 0, 0}, {0, 100, 0}},
                        {face({0, 1, 2}, 2, 1), face({0, 1}, 0, 0)},
                        {{0, 0, 100, 0}, {0, 0, 100, 0}}});
        }
    }

    void writeModel(const std::string& name, json parts) {
        writeJsonFile(root.path() / "models" / (name + ".json"),
                      {{"vertices", parts[0]}, {"faces", parts[1]}, {"normals", parts[2]}});
    }

    testing_support::TempFolder root{"decorations"};
    json manifest;
    World world;
};

TEST_F(DecorationsTest, FragmentsAndPickupSlotsFromTheManifest) {
    world.missionIndex = 0;
    world.loadDecorations(root.path());
    ASSERT_EQ(world.fragmentShapes.size(), 2u);
    // Fragment shapes keep the file's z.
    EXPECT_EQ(world.fragmentShapes.at(0), (std::vector<Vec3>{{1, -2, 3}}));
    EXPECT_EQ(world.fragmentShapes.at(3), (std::vector<Vec3>{{0, 0, 0}, {0.5f, 0.5f, 0.5f}}));
    for (u32 k = 0; k < 32; ++k) EXPECT_EQ(world.pickupSlots[k], (k * 3) % 5);

    // Pickup meshes negate z, and their coplanar faces sit 0.008 apart.
    const std::vector<WorldVertex>& crate = world.pickupMeshes[0];
    ASSERT_EQ(crate.size(), 12u);
    EXPECT_FLOAT_EQ(crate[0].position.y, 0.0f);
    EXPECT_FLOAT_EQ(crate[6].position.y, 0.008f);
    // Group 1 is coloured like a flat face: (128 * 3200) >> 12 = 100, + 10.
    EXPECT_FLOAT_EQ(crate[6].colour.x, static_cast<float>((255 * 110) >> 8) / 255.0f);
    const std::vector<WorldVertex>& decal = world.pickupMeshes[1];
    ASSERT_EQ(decal.size(), 3u);  // the two-corner face adds nothing
    EXPECT_EQ(decal[0].position, (Vec3{1, -2, -3}));
    EXPECT_EQ(decal[0].textured, 1.0f);
    EXPECT_FLOAT_EQ(decal[1].u, 0.5f);
    EXPECT_EQ(decal[0].oneSided, 0.0f);
}

TEST_F(DecorationsTest, ColoursAndLightComeFromTheSharedAndSB2Documents) {
    world.missionIndex = 1;
    writeJsonFile(root.path() / "sb2/shared/gameplay/missions.json", missionsWithLight({0, -1, 0}, 128));
    writeJsonFile(root.path() / "sb2/gameplay/missions.json", missionsWithLight({0, 1, 0}, 64));
    world.loadDecorations(root.path());
    // Shared colours and shared light (facing away: half of 100, + 10).
    EXPECT_FLOAT_EQ(world.pickupMeshes[0][0].colour.x, static_cast<float>((128 * 60) >> 8) / 255.0f);
    world.campaign = 1;
    world.loadDecorations(root.path());
    EXPECT_FLOAT_EQ(world.pickupMeshes[0][0].colour.x, static_cast<float>((128 * 110) >> 8) / 255.0f);
}

TEST_F(DecorationsTest, Failures) {
    world.missionIndex = 0;
    std::filesystem::remove(root.path() / "models/fragment-3.json");
    const std::string path = (root.path() / "models/fragment-3.json").string();
    try {
        world.loadDecorations(root.path());
        ADD_FAILURE();
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), "Missing decoration asset: " + path);
    }

    manifest["models"] = {{"pickup-0", json::object()}};
    manifest["pickup_types"][31] = 5;
    writeJsonFile(root.path() / "models/manifest.json", manifest);
    try {
        world.loadDecorations(root.path());
        ADD_FAILURE();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Invalid pickup slot");
    }

    manifest["pickup_types"] = json(std::vector<int>(31, 0));
    writeJsonFile(root.path() / "models/manifest.json", manifest);
    EXPECT_THROW(world.loadDecorations(root.path()), json::out_of_range);

    manifest["pickup_types"] = json(std::vector<int>(32, 0));
    manifest["models"] = {{"fragment-x", json::object()}};
    writeJsonFile(root.path() / "models/manifest.json", manifest);
    EXPECT_THROW(world.loadDecorations(root.path()), std::invalid_argument);
}

}  // namespace
}  // namespace bastion
