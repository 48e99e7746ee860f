#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "support/temp_folder.h"
#include "world/decoded_json.h"
#include "world/decoded_value.h"
#include "world/internal/mission_file.h"
#include "world/internal/mission_parameters.h"

namespace bastion {
namespace {

using nlohmann::json;

// Runs `action` and returns the runtime_error text it throws ("" for none).
template <typename Action>
std::string runtimeMessage(Action action) {
    try {
        action();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

TEST(MissionFile, SchemaTable) {
    const struct {
        json schema;
        bool valid;
    } cases[] = {{1, true}, {1.0, true}, {"1", false}, {2, false}, {true, false}, {0.5, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.schema.dump());
        const std::string message = runtimeMessage([&] { checkMissionSchema({{"schema", c.schema}}); });
        EXPECT_EQ(message, c.valid ? "" : "Invalid mission schema");
    }
    EXPECT_THROW(checkMissionSchema(json::object()), json::out_of_range);
}

TEST(MissionFile, ReadJsonNamesTheMissingPathAndIgnoresTrailingData) {
    testing_support::TempFolder folder("read-json");
    const std::filesystem::path missing = folder.path() / "gameplay/missions.json";
    EXPECT_EQ(runtimeMessage([&] { readJson(missing); }), "Missing decoded gameplay file: " + missing.string());
    const std::filesystem::path file = folder.path() / "doc.json";
    std::ofstream(file) << R"({"schema": 1} trailing {)";
    EXPECT_EQ(readJson(file), (json{{"schema", 1}}));
    std::ofstream(file) << "{oops";
    EXPECT_THROW(readJson(file), json::parse_error);
}

TEST(MissionFile, MissionFilePathPrefersTheSharedCopyOnlyForSB1WithTheFlag) {
    testing_support::TempFolder root("mission-path");
    EXPECT_EQ(missionFilePath(root.path(), 0, true), root.path() / "gameplay/missions.json");
    std::filesystem::create_directories(root.path() / "sb2/shared/gameplay/missions.json");  // any entry counts
    EXPECT_EQ(missionFilePath(root.path(), 0, true), root.path() / "sb2/shared/gameplay/missions.json");
    EXPECT_EQ(missionFilePath(root.path(), 0, false), root.path() / "gameplay/missions.json");
    EXPECT_EQ(missionFilePath(root.path(), 1, true), root.path() / "sb2/gameplay/missions.json");
}

TEST(MissionFile, Conversions) {
    EXPECT_EQ(decodePosition(json{100, 250, 300}), (Vec3{1, 2.5f, -3}));
    EXPECT_FLOAT_EQ(decodeYaw(1024), -3.14159265f);
    EXPECT_FLOAT_EQ(decodeYaw(512), -3.14159265f / 2);
    EXPECT_EQ(decodeColour(json{255, 0, 51}), (Vec3{1, 0, 0.2f}));
    EXPECT_EQ(decodeWord(2147549184.0), 0x80010000u);
    EXPECT_EQ(decodeWord(-1), 0xFFFFFFFFu);
    EXPECT_EQ(decodeInt(3.9), 3);
    EXPECT_EQ(decodeInt(-3.9), -3);
    EXPECT_EQ(runtimeMessage([] { decodeWord(4294967296.0); }), "Invalid decoded number");
    EXPECT_EQ(runtimeMessage([] { decodeFloat(1e39); }), "Invalid decoded number");
    EXPECT_EQ(runtimeMessage([] { decodePosition(json{0, 1e300, 0}); }), "Invalid decoded position");
    EXPECT_THROW(decodeWord("7"), json::type_error);
    EXPECT_THROW(decodePosition(json{1, 2}), json::out_of_range);
}

TEST(MissionFile, LightIsScaledTo256AndMustHaveADirection) {
    EXPECT_EQ(decodeLight(json{0, 5, 0}), (LightVector{0, 256, 0}));
    EXPECT_EQ(decodeLight(json{3, 0, -4}), (LightVector{153, 0, -204}));
    EXPECT_EQ(decodeLight(json{1e30, 1e30, 0}), (LightVector{181, 181, 0}));
    EXPECT_EQ(runtimeMessage([] { decodeLight(json{0, 0, 0}); }), "Invalid light direction");
    EXPECT_EQ(runtimeMessage([] { decodeLight(json{3e38, 3e38, 3e38}); }), "Invalid light direction");
}

TEST(MissionFile, DifficultyScaling) {
    json difficulty = {{"multipliers", {0, 10, 15, 0}}, {"projectile", {40, 60}}, {"impact", {1, 2}},
                       {"health", {300, 200}}};
    const DifficultyScaling hard = decodeDifficulty(difficulty, 1);
    EXPECT_FLOAT_EQ(hard.ratio, 1.5f);
    EXPECT_FLOAT_EQ(hard.projectilePair[1], 90.0f);
    EXPECT_FLOAT_EQ(hard.healthPair[0], 450.0f);
    const DifficultyScaling normal = decodeDifficulty(difficulty, 0);
    EXPECT_FLOAT_EQ(normal.ratio, 1.0f);
    EXPECT_FLOAT_EQ(normal.healthPair[1], 200.0f);
    for (json multipliers : {json{0, 0, 15, 0}, json{0, 10, -1, 0}, json{0, -10, 15, 0}}) {
        difficulty["multipliers"] = multipliers;
        EXPECT_EQ(runtimeMessage([&] { decodeDifficulty(difficulty, 0); }), "Invalid difficulty multiplier");
    }
    difficulty["multipliers"] = {0, 10, 15, 0};
    difficulty.erase("impact");
    EXPECT_THROW(decodeDifficulty(difficulty, 0), json::out_of_range);
}

TEST(MissionFile, PlacedObjectsAndCatalogue) {
    json object = {{"position", {100, 0, 200}}, {"type", 3}, {"tag", 32}, {"action", 2147549184u}, {"yaw", 512}};
    EXPECT_EQ(decodePlacedObject(object).targetSlot, 255);
    object["target_slot"] = 7;
    const PlacedObject placed = decodePlacedObject(object);
    EXPECT_EQ(placed.targetSlot, 7);
    EXPECT_EQ(placed.action, 0x80010000u);
    EXPECT_EQ(placed.home, (Vec3{1, 0, -2}));

    json entry = {{"health", 250}, {"model", "silo"}, {"wreck", "rubble"}};
    EXPECT_FALSE(decodeCatalogueEntry(entry).destruction);
    entry["destruction"] = {{"span", {400, 600, -200}}, {"step", 200}};
    EXPECT_FALSE(decodeCatalogueEntry(entry).destruction);  // no fragments: no debris
    entry["destruction"]["fragments"] = {1, 2};
    const CatalogueEntry decoded = decodeCatalogueEntry(entry);
    EXPECT_FLOAT_EQ(decoded.health, 25.0f);
    ASSERT_TRUE(decoded.destruction);
    EXPECT_EQ(decoded.destruction->span, (Vec3{4, 6, -2}));
    EXPECT_FLOAT_EQ(decoded.destruction->step, 2.0f);
    EXPECT_EQ(decoded.destruction->fragments, (std::vector<u32>{1, 2}));
    for (json step : {json(0), json(-5), json(1e39)}) {
        entry["destruction"]["step"] = step;
        EXPECT_EQ(runtimeMessage([&] { decodeCatalogueEntry(entry); }),
                  step == json(1e39) ? "Invalid decoded number" : "Invalid debris step");
    }
}

TEST(MissionFile, TerrainPolygonsLieAtHeightZero) {
    const TerrainPolygon polygon =
        decodeTerrainPolygon({{"vertices", {{100, 900, 200}, {0, 5, 0}}}, {"color", {255, 255, 0}}});
    ASSERT_EQ(polygon.corners.size(), 2u);
    EXPECT_EQ(polygon.corners[0], (Vec3{1, 0, -2}));
    EXPECT_EQ(polygon.colour, (Vec3{1, 1, 0}));
    EXPECT_THROW(decodeTerrainPolygon({{"vertices", {{1, "x", 2}}}, {"color", {0, 0, 0}}}), json::type_error);
}

TEST(MissionFile, SpawnRecords) {
    // A generator record needs only five keys.
    const SpawnRecord generator = decodeSpawnRecord(
        {{"type", 4}, {"position", {0, 0, 0}}, {"range", 1500}, {"trigger", 2}, {"parameters", {0, 1}}}, 0);
    EXPECT_FLOAT_EQ(generator.range, 15.0f);
    EXPECT_EQ(generator.parameters, (std::vector<std::uint8_t>{0, 1}));

    json unit = {{"type", 20},    {"position", {0, 0, 0}}, {"yaw", 0},      {"trigger", 0},
                 {"flags", 5},    {"range", 100},          {"respawn", 1.5}, {"parameters", json::array()}};
    const SpawnRecord sb1 = decodeSpawnRecord(unit, 0);
    EXPECT_FALSE(sb1.destination);
    EXPECT_FLOAT_EQ(sb1.respawn, 15.0f);
    EXPECT_THROW(decodeSpawnRecord(unit, 1), json::out_of_range);
    unit["destination"] = {500, 0, 500};
    EXPECT_EQ(*decodeSpawnRecord(unit, 1).destination, (Vec3{5, 0, -5}));
    unit["parameters"] = {1, 256};
    EXPECT_EQ(runtimeMessage([&] { decodeSpawnRecord(unit, 1); }), "Invalid parameter byte");
}

TEST(MissionParameters, RecordFields) {
    const std::vector<std::uint8_t> one{0xFF};
    const ParameterRecord tiny = decodeParameters(one);
    EXPECT_EQ(tiny.behaviour, 0u);
    EXPECT_EQ(tiny.flagBit, 0u);
    for (int word : tiny.words) EXPECT_EQ(word, 0);

    const std::vector<std::uint8_t> three{0x12, 0x34, 0x56};
    EXPECT_EQ(decodeParameters(three).behaviour, 0x12340000u);
    EXPECT_EQ(decodeParameters(three).attackWord, 0x1234u);

    const std::vector<std::uint8_t> full{0x80, 0, 0, 0x41, 0x01, 0xE5, 0xAB, 0xCD, 0x00};
    const ParameterRecord record = decodeParameters(full);
    EXPECT_EQ(record.behaviour, 0x80000041u);
    EXPECT_EQ(record.flagBit, 5u);
    EXPECT_EQ(record.words[0], 0x01E5);
    EXPECT_EQ(record.words[1], 0xABCD);
    EXPECT_EQ(record.words[2], 0);  // half past the end
}

TEST(MissionParameters, Routes) {
    // Count 2 at offset 2: (100, -200) and (-1, 0) in hundredths.
    std::vector<std::uint8_t> bytes{0, 0, 0, 2, 0, 0, 0, 100, 0xFF, 0xFF, 0xFF, 0x38, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    const std::vector<Vec3> route = decodeRoute(bytes, 2, 7.0f);
    ASSERT_EQ(route.size(), 2u);
    EXPECT_EQ(route[0], (Vec3{1, 7, 2}));
    EXPECT_EQ(route[1], (Vec3{-0.01f, 7, -0.0f}));

    const auto message = [](std::vector<std::uint8_t> record, std::size_t offset) {
        return runtimeMessage([&] { decodeRoute(record, offset, 0); });
    };
    EXPECT_EQ(message(std::vector<std::uint8_t>(8, 0), 6), "");
    EXPECT_EQ(message(std::vector<std::uint8_t>(7, 0), 6), "Invalid AI route record");  // count bytes missing
    bytes.pop_back();
    EXPECT_EQ(message(bytes, 2), "Invalid AI route record");  // last point cut short
    std::vector<std::uint8_t> many(2 + 8 * 65, 0);
    many[1] = 64;
    EXPECT_EQ(message(many, 0), "");
    many[1] = 65;
    EXPECT_EQ(message(many, 0), "Invalid AI route record");
}

TEST(MissionParameters, GeneratorRecords) {
    std::vector<std::uint8_t> bytes(16, 0);
    bytes[3] = 1;                  // burst flag
    bytes[5] = 6;                  // word 0: six units
    bytes[6] = 2, bytes[7] = 128;  // interval 640 / 256
    bytes[11] = 3;                 // word 3: parent spawn
    bytes[12] = 1;                 // word 4: pause 256 / 256
    bytes[15] = 2;                 // word 5: burst of two
    GeneratorRecord generator = decodeGeneratorRecord(decodeParameters(bytes));
    EXPECT_EQ(generator.flags, 1u);
    EXPECT_EQ(generator.remaining, 6);
    EXPECT_FLOAT_EQ(generator.interval, 2.5f);
    EXPECT_EQ(generator.members, 8);
    EXPECT_EQ(generator.parentSpawn, 3);
    EXPECT_FLOAT_EQ(generator.burstPause, 1.0f);
    EXPECT_EQ(generator.burstSize, 2);
    bytes[9] = 40;  // word 2
    EXPECT_EQ(decodeGeneratorRecord(decodeParameters(bytes)).members, 16);
    bytes[9] = 5;
    EXPECT_EQ(decodeGeneratorRecord(decodeParameters(bytes)).members, 5);
    bytes.resize(9);
    EXPECT_EQ(decodeGeneratorRecord(decodeParameters(bytes)).members, 8);
}

}  // namespace
}  // namespace bastion
