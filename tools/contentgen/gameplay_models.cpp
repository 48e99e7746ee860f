#include "contentgen/gameplay_models.h"

#include <algorithm>

#include "contentgen/json_file.h"
#include "contentgen/palette.h"
#include "contentgen/player_models.h"

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

// Hostile units wear red and orange, the complements of the green ground
// and the blue sky, with dark running gear, so that they stand out at
// fighting distance; the trailers of the convoys keep their cargo colours.
constexpr UnitDesign kUnits[] = {
    {"battle-tank", 3.4, 1.6, 5.2, kSignalRed, kTurret | kBarrel},
    {"heavy-tank", 4.2, 2.0, 6.4, kSignalRed, kTurret | kBarrel | kDome},
    {"gunship", 2.2, 2.0, 7.0, kOrange, kRotor},
    {"helicopter-bomber", 2.8, 2.4, 8.5, kSignalRed, kRotor | kWings},
    {"field-gun", 2.0, 1.2, 2.0, kOrange, kDome | kBarrel},
    {"flak-gun", 2.4, 1.4, 2.4, kOrange, kDome | kBarrel},
    {"gun-0", 2.0, 1.0, 2.0, kOrange, kDome},
    {"gun-1", 2.0, 1.2, 2.0, kOrange, kDome | kBarrel},
    {"gun-2", 2.4, 1.4, 2.4, kSignalRed, kDome | kBarrel | kTurret},
    {"gun-3", 2.8, 1.6, 2.8, kSignalRed, kDome | kBarrel | kTurret},
    {"transport-0", 2.6, 2.4, 7.0, kOrange, kTurret},
    {"transport-1", 2.8, 2.8, 8.0, kOrange, kTurret | kBarrel},
    {"jet-fighter", 1.8, 1.2, 9.0, kSignalRed, kWings},
    {"tractor", 2.6, 2.6, 4.0, kAmber, kTurret},
    {"patrol-ship", 5.0, 3.0, 18.0, kSignalRed, kBow | kTurret | kBarrel},
    {"missile-battery", 3.0, 2.0, 4.0, kSignalRed, kTurret},
    {"supply-truck", 2.4, 2.4, 6.0, kOrange, kTurret},
    {"carrier-plane", 4.0, 3.0, 16.0, kChalk, kWings},
    {"scout-buggy", 2.0, 1.2, 3.2, kOrange, kBarrel},
    {"hover-tank", 3.6, 1.4, 5.6, kSignalRed, kTurret | kBarrel | kDome},
    {"rocket-buggy", 2.2, 1.4, 3.6, kOrange, kTurret},
    {"radar-truck", 2.4, 2.4, 6.0, kOrange, kDome},
    {"drone", 1.6, 0.8, 2.4, kSignalRed, kWings},
    {"interceptor", 2.0, 1.2, 8.0, kSignalRed, kWings},
    {"fortress-crawler", 10.0, 6.0, 14.0, kSignalRed, kLegs | kTurret | kBarrel},
    {"dropship", 6.0, 4.0, 12.0, kOrange, kWings | kRotor},
    {"mine", 1.0, 0.5, 1.0, kSignalRed, kDome},
    {"attack-boat", 3.0, 1.6, 8.0, kSignalRed, kBow | kBarrel},
    {"trailer-1", 2.4, 2.2, 5.0, kChalk, 0},
    {"trailer-2", 2.4, 1.2, 3.0, kAmber, 0},
    {"trailer-3", 2.4, 2.8, 6.0, kTeal, kDome},
};

// An aircraft along -Z: fuselage, wings, fin and tailplane; or, with a rotor,
// a cabin with a tail boom, crossed blades and skids.
void aircraftShape(ModelShape& shape, const UnitDesign& design, std::int32_t body, std::int32_t trim) {
    const double w = design.width, h = design.height, l = design.length;
    if (design.parts & kRotor) {
        shape.box({0, 0.3, -l * 0.15}, {w, h - 0.3, l * 0.55}, body);
        shape.box({0, h * 0.45, l * 0.3}, {w * 0.25, h * 0.3, l * 0.45}, body);
        shape.panel({0, h * 0.5, l * 0.45}, {0, h * 1.1, l * 0.5}, {0, h * 1.1, l * 0.42}, {0, h * 0.5, l * 0.38},
                    trim);
        const double blade = l * 0.45;
        shape.panel({-blade, h + 0.3, -0.25}, {blade, h + 0.3, -0.25}, {blade, h + 0.3, 0.25},
                    {-blade, h + 0.3, 0.25}, trim);
        shape.panel({-0.25, h + 0.32, -blade}, {0.25, h + 0.32, -blade}, {0.25, h + 0.32, blade},
                    {-0.25, h + 0.32, blade}, trim);
        for (const double side : {-1.0, 1.0}) shape.box({side * w * 0.45, 0, -l * 0.15}, {0.15, 0.3, l * 0.5}, trim);
        if (design.parts & kWings)
            shape.panel({-w * 1.2, h * 0.5, -l * 0.05}, {w * 1.2, h * 0.5, -l * 0.05}, {w * 1.2, h * 0.5, -l * 0.2},
                        {-w * 1.2, h * 0.5, -l * 0.2}, body);
        return;
    }
    shape.box({0, 0, 0}, {w * 0.6, h, l}, body);
    shape.pyramid({0, h * 0.1, -l * 0.5}, w * 0.5, h * 0.6, trim);  // the nose, a little below the spine
    const double mid = h * 0.5;
    shape.panel({-w * 2, mid, l * 0.2}, {w * 2, mid, l * 0.2}, {w * 0.3, mid, -l * 0.15}, {-w * 0.3, mid, -l * 0.15},
                body);
    shape.panel({-w, mid, l * 0.5}, {w, mid, l * 0.5}, {w * 0.3, mid, l * 0.35}, {-w * 0.3, mid, l * 0.35}, body);
    shape.panel({0, h, l * 0.5}, {0, h * 2.2, l * 0.5}, {0, h * 2.2, l * 0.42}, {0, h, l * 0.3}, trim);
}

// A ground unit along -Z: hull on dark running gear (tracks, legs or a
// keel), with a turret, a gun and a dome as its design asks.
void groundShape(ModelShape& shape, const UnitDesign& design, std::int32_t body, std::int32_t trim) {
    const double w = design.width, h = design.height, l = design.length;
    const bool legs = (design.parts & kLegs) != 0;
    const double lift = legs ? h : h * 0.3;
    if (legs) {
        for (const double x : {-w * 0.35, w * 0.35})
            for (const double z : {-l * 0.3, l * 0.3}) shape.box({x, 0, z}, {w * 0.15, h + 0.2, w * 0.15}, trim);
    } else if (!(design.parts & kBow)) {
        for (const double side : {-1.0, 1.0}) shape.box({side * w * 0.38, 0, 0}, {w * 0.24, h * 0.45, l * 0.95}, trim);
    }
    shape.box({0, lift, 0}, {w * 0.9, h * 0.7, l}, body);
    double top = lift + h * 0.7;
    if (design.parts & kTurret) {
        shape.box({0, top, l * 0.05}, {w * 0.6, h * 0.45, l * 0.35}, material(design.hue, 11));
        top += h * 0.45;
    }
    if (design.parts & kDome) shape.cylinder({0, top, 0}, w * 0.3, h * 0.35, 8, body, true);
    if (design.parts & kBarrel) {
        const double gun = std::max(0.18, w * 0.07);
        const double from = (design.parts & kTurret) ? -l * 0.12 : -l * 0.2;
        shape.box({0, top - h * 0.3, from - l * 0.22}, {gun, gun, l * 0.44}, trim);
    }
    if (design.parts & kBow) shape.pyramid({0, 0, -l / 2}, w, h, body);
}

ModelShape unitShape(const UnitDesign& design) {
    ModelShape shape;
    const std::int32_t body = material(design.hue, 15);
    const std::int32_t trim = material(kSoot, 13);
    if (design.parts & (kRotor | kWings)) {
        aircraftShape(shape, design, body, trim);
    } else {
        groundShape(shape, design, body, trim);
    }
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
    writeJsonFile(folder / "strider-mech.json", hostileWalkerFile());
}

}  // namespace bastion::contentgen
