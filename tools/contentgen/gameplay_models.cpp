#include "contentgen/gameplay_models.h"

#include "contentgen/json_file.h"
#include "contentgen/palette.h"

namespace bastion::contentgen {
namespace {

enum class Structure { Hall, Tank, Tower, Block, Mast, Lamp };

struct ObjectDesign {
    const char* name;
    Structure structure;
    double width, height, depth;
    int hue;
    int health;  // tenths
    const char* wreck;
    bool debris;
};

// The object catalogue, indexed by object type.
constexpr ObjectDesign kObjects[kObjectTypeCount] = {
    {"warehouse", Structure::Hall, 16, 7, 10, kSand, 600, "rubble-large", true},
    {"supply-depot", Structure::Hall, 8, 4, 6, kOlive, 300, "rubble-small", true},
    {"bridge-pier", Structure::Block, 4, 9, 4, kConcrete, 900, "rubble-small", true},
    {"fuel-tank", Structure::Tank, 4, 6, 4, kChalk, 250, "scorched-tank", true},
    {"bunker", Structure::Block, 7, 3, 7, kConcrete, 1200, "rubble-small", false},
    {"headquarters", Structure::Hall, 14, 9, 12, kSteel, 1500, "rubble-large", true},
    {"watchtower", Structure::Tower, 3, 10, 3, kUmber, 200, "rubble-small", true},
    {"cargo-hulk", Structure::Block, 18, 5, 6, kRust, 800, "rubble-large", true},
    {"fortress-wall", Structure::Block, 20, 6, 3, kGrey, 2000, "rubble-large", false},
    {"hangar", Structure::Hall, 18, 8, 14, kForest, 900, "rubble-large", true},
    {"factory-hall", Structure::Hall, 20, 10, 12, kRust, 1000, "rubble-large", true},
    {"laboratory", Structure::Hall, 10, 6, 8, kChalk, 700, "rubble-small", true},
    {"pipeline", Structure::Block, 12, 1.5, 1.5, kSteel, 200, "rubble-small", false},
    {"radar-dish", Structure::Mast, 2, 12, 2, kGrey, 300, "rubble-small", true},
    {"command-block", Structure::Tower, 9, 12, 9, kSteel, 1400, "rubble-large", true},
    {"crate-stack", Structure::Block, 3, 3, 3, kAmber, 100, "rubble-small", true},
    {"barracks", Structure::Hall, 12, 4, 6, kOlive, 500, "rubble-small", true},
    {"silo", Structure::Tank, 6, 14, 6, kConcrete, 800, "scorched-tank", true},
    {"pylon", Structure::Mast, 1.5, 16, 1.5, kSoot, 150, "rubble-small", false},
    {"container", Structure::Block, 6, 2.6, 2.4, kTeal, 200, "rubble-small", true},
    {"antenna", Structure::Mast, 1, 20, 1, kSignalRed, 120, "rubble-small", false},
    {"gate-house", Structure::Tower, 6, 7, 6, kUmber, 600, "rubble-small", true},
    {"beacon-lamp", Structure::Lamp, 1.5, 6, 1.5, kLamp, 100, "rubble-small", false},
};

ModelShape objectShape(const ObjectDesign& design) {
    ModelShape shape;
    const std::int32_t wall = material(design.hue);
    switch (design.structure) {
    case Structure::Hall:
        shape.box({0, 0, 0}, {design.width, design.height, design.depth}, wall);
        // A roof stripe on the roof plane and a painted door on the front wall.
        shape.face({shape.vertex({-design.width / 4, design.height, -design.depth / 2}),
                    shape.vertex({-design.width / 4, design.height, design.depth / 2}),
                    shape.vertex({design.width / 4, design.height, design.depth / 2}),
                    shape.vertex({design.width / 4, design.height, -design.depth / 2})},
                   kFlat, material(kSoot, 10));
        shape.decal({-1.5, 0, design.depth / 2}, {1.5, 0, design.depth / 2}, {1.5, 3, design.depth / 2},
                    {-1.5, 3, design.depth / 2}, static_cast<int>(design.width) % kTextureCount);
        break;
    case Structure::Tank:
        shape.cylinder({0, 0, 0}, design.width / 2, design.height, 10, wall, true);
        break;
    case Structure::Tower:
        shape.box({0, 0, 0}, {design.width, design.height, design.depth}, wall);
        shape.pyramid({0, design.height, 0}, design.width * 1.2, design.height * 0.3, material(kRust, 9));
        break;
    case Structure::Block:
        shape.box({0, 0, 0}, {design.width, design.height, design.depth}, wall);
        break;
    case Structure::Mast:
        shape.box({0, 0, 0}, {design.width, design.height, design.depth}, wall);
        shape.panel({design.width / 2, design.height * 0.8, 0}, {design.width / 2 + 3, design.height * 0.8, 0},
                    {design.width / 2 + 3, design.height * 0.95, 0}, {design.width / 2, design.height * 0.95, 0},
                    material(kSignalRed));
        break;
    case Structure::Lamp:
        shape.cylinder({0, 0, 0}, design.width / 2, design.height, 6, material(kSoot), false);
        shape.box({0, design.height, 0}, {design.width * 1.4, 1, design.width * 1.4}, material(kLamp, 15, 0x40));
        break;
    }
    return shape;
}

ModelShape wreckShape(double width, int hue, bool round) {
    ModelShape shape;
    if (round) {
        shape.cylinder({0, 0, 0}, width / 2, 1.2, 8, material(kSoot, 8), false);
        return shape;
    }
    shape.box({-width / 4, 0, 0}, {width / 2, 1.0, width / 3}, material(hue, 6));
    shape.box({width / 4, 0, width / 6}, {width / 3, 1.6, width / 4}, material(kSoot, 9));
    shape.pyramid({0, 0, -width / 5}, width / 3, 1.4, material(hue, 8));
    return shape;
}

// Unit bodies are composed of a few parts.
enum Part : unsigned {
    kTurret = 1, kBarrel = 2, kRotor = 4, kWings = 8, kLegs = 16, kDome = 32, kBow = 64,
};

struct UnitDesign {
    const char* name;
    double width, height, length;
    int hue;
    unsigned parts;
};

constexpr UnitDesign kUnits[] = {
    {"battle-tank", 3.4, 1.4, 5.2, kOlive, kTurret | kBarrel},
    {"heavy-tank", 4.2, 1.8, 6.4, kForest, kTurret | kBarrel | kDome},
    {"gunship", 2.2, 2.0, 7.0, kSteel, kRotor},
    {"helicopter-bomber", 2.8, 2.4, 8.5, kSoot, kRotor | kWings},
    {"field-gun", 2.0, 1.2, 2.0, kOlive, kDome | kBarrel},
    {"flak-gun", 2.4, 1.4, 2.4, kGrey, kDome | kBarrel},
    {"gun-0", 2.0, 1.0, 2.0, kConcrete, kDome},
    {"gun-1", 2.0, 1.2, 2.0, kOlive, kDome | kBarrel},
    {"gun-2", 2.4, 1.4, 2.4, kUmber, kDome | kBarrel | kTurret},
    {"gun-3", 2.8, 1.6, 2.8, kRust, kDome | kBarrel | kTurret},
    {"strider-mech", 3.0, 3.0, 3.0, kSteel, kLegs | kBarrel},
    {"transport-0", 2.6, 2.4, 7.0, kSand, kTurret},
    {"transport-1", 2.8, 2.8, 8.0, kOlive, kTurret | kBarrel},
    {"jet-fighter", 1.8, 1.2, 9.0, kGrey, kWings},
    {"tractor", 2.6, 2.6, 4.0, kAmber, kTurret},
    {"patrol-ship", 5.0, 3.0, 18.0, kSteel, kBow | kTurret | kBarrel},
    {"missile-battery", 3.0, 2.0, 4.0, kForest, kTurret},
    {"supply-truck", 2.4, 2.4, 6.0, kUmber, kTurret},
    {"carrier-plane", 4.0, 3.0, 16.0, kSteel, kWings},
    {"scout-buggy", 2.0, 1.2, 3.2, kSand, kBarrel},
    {"hover-tank", 3.6, 1.4, 5.6, kTeal, kTurret | kBarrel | kDome},
    {"rocket-buggy", 2.2, 1.4, 3.6, kOrange, kTurret},
    {"radar-truck", 2.4, 2.4, 6.0, kGrey, kDome},
    {"drone", 1.6, 0.8, 2.4, kSoot, kWings},
    {"interceptor", 2.0, 1.2, 8.0, kSignalRed, kWings},
    {"fortress-crawler", 10.0, 6.0, 14.0, kConcrete, kLegs | kTurret | kBarrel},
    {"dropship", 6.0, 4.0, 12.0, kViolet, kWings | kRotor},
    {"mine", 1.0, 0.5, 1.0, kSignalRed, kDome},
    {"attack-boat", 3.0, 1.6, 8.0, kSteel, kBow | kBarrel},
    {"trailer-1", 2.4, 2.2, 5.0, kChalk, 0},
    {"trailer-2", 2.4, 1.2, 3.0, kAmber, 0},
    {"trailer-3", 2.4, 2.8, 6.0, kTeal, kDome},
};

ModelShape unitShape(const UnitDesign& design) {
    ModelShape shape;
    const std::int32_t body = material(design.hue);
    const double lift = (design.parts & kLegs) ? design.height : 0.0;
    shape.box({0, lift, 0}, {design.width, design.height, design.length}, body);
    const double top = lift + design.height;
    if (design.parts & kTurret)
        shape.box({0, top, design.length * 0.1}, {design.width * 0.6, design.height * 0.5, design.length * 0.35},
                  material(design.hue, 9));
    if (design.parts & kBarrel)
        shape.box({0, top + 0.1, -design.length * 0.45}, {0.3, 0.3, design.length * 0.6}, material(kSoot, 8));
    if (design.parts & kDome) shape.cylinder({0, top, 0}, design.width * 0.3, design.height * 0.4, 8, body, true);
    if (design.parts & kRotor)
        shape.panel({-design.length / 2, top + 0.6, -0.3}, {design.length / 2, top + 0.6, -0.3},
                    {design.length / 2, top + 0.6, 0.3}, {-design.length / 2, top + 0.6, 0.3}, material(kSoot, 6));
    if (design.parts & kWings)
        shape.panel({-design.width * 2, lift + design.height / 2, 0.8}, {design.width * 2, lift + design.height / 2, 0.8},
                    {design.width * 2, lift + design.height / 2, -0.8}, {-design.width * 2, lift + design.height / 2, -0.8},
                    material(design.hue, 10));
    if (design.parts & kLegs) {
        shape.box({-design.width / 3, 0, 0}, {0.6, design.height, 0.8}, material(kSoot, 9));
        shape.box({design.width / 3, 0, 0}, {0.6, design.height, 0.8}, material(kSoot, 9));
    }
    if (design.parts & kBow) shape.pyramid({0, 0, -design.length / 2}, design.width, design.height, body);
    return shape;
}

constexpr const char* kDynamicModels[kUnitTypeCount] = {
    "battle-tank", "gunship",  "field-gun",   "strider-mech", "",          "flak-gun",        "transport-0", "jet-fighter",
    "tractor",     "patrol-ship", "missile-battery", "supply-truck", "carrier-plane", "scout-buggy", "hover-tank",
    "rocket-buggy", "radar-truck", "drone",   "interceptor",  "fortress-crawler", "dropship", "mine", "attack-boat",
};

}  // namespace

std::vector<NamedModel> gameplayModels() {
    std::vector<NamedModel> models;
    for (const ObjectDesign& design : kObjects) models.push_back({design.name, objectShape(design)});
    models.push_back({"rubble-small", wreckShape(6, kConcrete, false)});
    models.push_back({"rubble-large", wreckShape(14, kUmber, false)});
    models.push_back({"scorched-tank", wreckShape(5, kSoot, true)});
    for (const UnitDesign& design : kUnits) models.push_back({design.name, unitShape(design)});
    return models;
}

nlohmann::json objectCatalogue() {
    nlohmann::json catalogue = nlohmann::json::array();
    for (const ObjectDesign& design : kObjects) {
        nlohmann::json entry = {{"health", design.health}, {"model", design.name}, {"wreck", design.wreck}};
        if (design.debris) {
            entry["destruction"] = {
                {"span", {design.width * 100, design.height * 100, design.depth * 100}},
                {"step", design.width > 8 ? 400 : 200},
                {"fragments", {1, 2, 3}},
            };
        }
        catalogue.push_back(entry);
    }
    return catalogue;
}

nlohmann::json dynamicModels() {
    nlohmann::json models = nlohmann::json::object();
    for (int type = 0; type < kUnitTypeCount; ++type) {
        if (*kDynamicModels[type] != '\0') models[std::to_string(type)] = kDynamicModels[type];
    }
    return models;
}

nlohmann::json variantModels() {
    nlohmann::json variants = nlohmann::json::object();
    for (const char* name : {"gun-0", "gun-1", "gun-2", "gun-3", "heavy-tank", "helicopter-bomber", "transport-0",
                             "transport-1", "trailer-1", "trailer-2", "trailer-3"})
        variants[name] = name;
    return variants;
}

void writeGameplayModels(const std::filesystem::path& folder) {
    for (const NamedModel& model : gameplayModels()) writeJsonFile(folder / (model.name + ".json"), model.shape.toJson());
}

}  // namespace bastion::contentgen
