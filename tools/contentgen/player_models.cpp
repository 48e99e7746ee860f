#include "contentgen/player_models.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string>

#include "contentgen/palette.h"

namespace bastion::contentgen {
namespace {

// Where a point of the model space the game draws in lies in the file's
// world axes, for each way the game brings a class of model into its space.
using Placement = std::function<Point(Point)>;
Point asWalker(Point p) { return p; }
Point asPlain(Point p) { return {p.x, p.y, -p.z}; }
// Held models: model x is the file's mirrored x, model y its z, model z its y.
Point asHeld(Point p) { return {-p.x, p.z, -p.y}; }

// Axis-aligned blocks given by two opposite corners in model space.
class Builder {
public:
    explicit Builder(Placement placement) : placement_(std::move(placement)) {}

    void block(Point a, Point b, std::int32_t materialWord) {
        const Point p = placement_(a);
        const Point q = placement_(b);
        const Point low{std::min(p.x, q.x), std::min(p.y, q.y), std::min(p.z, q.z)};
        const Point high{std::max(p.x, q.x), std::max(p.y, q.y), std::max(p.z, q.z)};
        shape_.box({(low.x + high.x) / 2, low.y, (low.z + high.z) / 2},
                   {high.x - low.x, high.y - low.y, high.z - low.z}, materialWord);
    }

    ModelShape& shape() { return shape_; }

private:
    Placement placement_;
    ModelShape shape_;
};

// One segment of the walker: the vertices and faces it added, and two of its
// vertices whose midpoint is its joint.
struct Segment {
    int firstVertex = 0;
    int lastVertex = 0;
    int firstFace = 0;
    int lastFace = 0;
    int pivotA = 0;
    int pivotB = 0;
};

class WalkerBuilder {
public:
    // A block whose joint is the centre of its top face (`top`), or of the
    // whole block.
    void block(Point a, Point b, std::int32_t materialWord, bool jointOnTop) {
        const int first = static_cast<int>(builder_.shape().vertexCount());
        builder_.block(a, b, materialWord);
        // Corner bits of a box: 1 +x, 2 top, 4 +z.
        if (open_.lastVertex == open_.firstVertex) {
            open_.pivotA = first + (jointOnTop ? 2 : 0);
            open_.pivotB = first + 7;
        }
        open_.lastVertex = static_cast<int>(builder_.shape().vertexCount());
        open_.lastFace = static_cast<int>(builder_.shape().faceCount());
    }

    void endSegment() {
        segments_.push_back(open_);
        open_ = {};
        open_.firstVertex = open_.lastVertex = static_cast<int>(builder_.shape().vertexCount());
        open_.firstFace = open_.lastFace = static_cast<int>(builder_.shape().faceCount());
    }

    nlohmann::json file() {
        nlohmann::json document = builder_.shape().toJson();
        nlohmann::json segments = nlohmann::json::array();
        for (const Segment& s : segments_) {
            nlohmann::json vertices = nlohmann::json::array();
            for (int v = s.firstVertex; v < s.lastVertex; ++v) vertices.push_back(v);
            nlohmann::json faces = nlohmann::json::array();
            for (int f = s.firstFace; f < s.lastFace; ++f) faces.push_back(f);
            segments.push_back({{"vertices", vertices},
                                {"pivot_records", nlohmann::json::array({nlohmann::json::array({0, s.pivotA, s.pivotB})})},
                                {"faces", faces}});
        }
        document["segments"] = segments;
        return document;
    }

private:
    Builder builder_{asWalker};
    Segment open_;
    std::vector<Segment> segments_;
};

// The colours of a walker: its armour, the bands and trims on it, the
// cockpit nose and the backpack.
struct Livery {
    int armour;
    int band;
    int nose;
    int pack;
};

constexpr Livery kPlayerLivery{kSteel, kAmber, kChalk, kOlive};
// Hostile walkers in the hostile units' red, so that they stand out from
// the ground and the sky as the other enemies do.
constexpr Livery kHostileLivery{kSignalRed, kAmber, kOrange, kSoot};

void leg(WalkerBuilder& w, double side, const Livery& livery) {
    const double x = 1.4 * side;
    w.block({x - 0.5, 3.4, -0.6}, {x + 0.5, 6.8, 0.6}, material(livery.armour, 10), true);
    w.endSegment();
    w.block({x - 0.4, 0.7, -0.5}, {x + 0.4, 3.6, 0.5}, material(livery.armour, 12), true);
    w.block({x - 0.45, 2.2, -0.75}, {x + 0.45, 3.3, -0.45}, material(livery.band, 12), false);
    w.endSegment();
    w.block({x - 0.7, 0.0, -1.6}, {x + 0.7, 0.7, 0.9}, material(kSoot, 12), true);
    w.endSegment();
}

void arm(WalkerBuilder& w, double side, const Livery& livery) {
    const double x = 2.7 * side;
    w.block({x - 0.45, 10.0, -0.6}, {x + 0.45, 11.2, 0.6}, material(livery.armour, 13), false);
    w.endSegment();
    w.block({x - 0.3, 8.0, -0.4}, {x + 0.3, 10.0, 0.4}, material(livery.armour, 10), true);
    w.endSegment();
    w.block({x - 0.3, 7.2, -1.6}, {x + 0.3, 8.0, -0.2}, material(livery.armour, 11), true);
    w.endSegment();
    w.block({x - 0.35, 6.7, -3.4}, {x + 0.35, 7.4, -1.6}, material(kSoot, 12), true);
    w.block({x - 0.12, 6.9, -4.2}, {x + 0.12, 7.1, -3.4}, material(kSoot, 8), false);
    w.endSegment();
}

nlohmann::json walkerFile(const Livery& livery) {
    WalkerBuilder w;
    // 0 torso: hull, cockpit nose and canopy.
    w.block({-2.2, 6.5, -2.0}, {2.2, 11.0, 2.0}, material(livery.armour, 11), false);
    w.block({-1.5, 9.3, -3.1}, {1.5, 12.6, -1.8}, material(livery.nose, 13), false);
    w.block({-1.2, 11.2, -3.2}, {1.2, 12.2, -3.05}, material(kTeal, 10), false);
    w.block({-2.3, 6.3, -1.2}, {2.3, 6.9, 1.2}, material(livery.band, 12), false);
    w.endSegment();
    leg(w, 1.0, livery);   // 1..3 right leg
    leg(w, -1.0, livery);  // 4..6 left leg
    arm(w, -1.0, livery);  // 7..10 left arm
    arm(w, 1.0, livery);   // 11..14 right arm
    // 15: backpack and aerial.
    w.block({-1.4, 7.6, 2.0}, {1.4, 10.6, 3.2}, material(livery.pack, 10), false);
    w.block({0.9, 10.6, 2.4}, {1.05, 13.8, 2.55}, material(kSoot, 10), false);
    w.endSegment();
    return w.file();
}

// Where each held model's shots leave it, in its own space (the hand at the
// origin, -Z ahead): the manipulator, rifle, cutter, shotgun and heavy
// machine gun.
constexpr std::array<Point, 5> kHeldMuzzles = {{{-0.2, 0.0, -1.1},
                                                {0.0, 0.08, -3.0},
                                                {-0.27, 0.0, -3.2},
                                                {0.0, 0.1, -2.6},
                                                {0.0, 0.08, -3.2}}};

// A held gun seen from the cockpit: a slim receiver in the hand and a thin
// barrel out to `muzzle`, kept low beside the line of sight so that it
// frames the view instead of covering it.
void heldGun(Builder& b, Point muzzle, double barrel, std::int32_t body, std::int32_t trim) {
    b.block({-0.12, -0.16, 0.3}, {0.12, 0.12, -0.5}, material(kSoot, 11));
    b.block({muzzle.x - 0.13, muzzle.y - 0.14, -0.4}, {muzzle.x + 0.13, muzzle.y + 0.1, -1.3}, body);
    b.block({muzzle.x - barrel, muzzle.y - barrel, -1.3}, {muzzle.x + barrel, muzzle.y + barrel, muzzle.z}, trim);
}

ModelShape held(int which) {
    Builder b(asHeld);
    switch (which) {
    case 0:  // manipulator: palm and three fingers
        b.block({-0.2, -0.14, 0.2}, {0.2, 0.14, -0.6}, material(kSteel, 12));
        for (int f = -1; f <= 1; ++f) {
            const double x = 0.13 * f;
            b.block({x - 0.045, -0.06, -0.6}, {x + 0.045, 0.06, -1.1}, material(kSoot, 12));
        }
        b.block({-0.26, -0.12, -0.2}, {-0.2, 0.02, -0.7}, material(kSoot, 10));
        break;
    case 1: heldGun(b, kHeldMuzzles[1], 0.05, material(kOlive, 10), material(kSoot, 9)); break;
    case 2:  // cutter: a long blade beside the hand
        b.block({-0.12, -0.16, 0.3}, {0.12, 0.12, -0.5}, material(kSoot, 11));
        b.block({-0.4, -0.12, -0.3}, {-0.12, 0.12, -0.9}, material(kOrange, 12));
        b.block({-0.3, -0.2, -0.9}, {-0.24, 0.2, kHeldMuzzles[2].z}, material(kChalk, 14));
        break;
    case 3: heldGun(b, kHeldMuzzles[3], 0.08, material(kRust, 10), material(kSoot, 10)); break;
    default: heldGun(b, kHeldMuzzles[4], 0.065, material(kForest, 9), material(kSoot, 8)); break;
    }
    return b.shape();
}

constexpr std::array<const char*, 5> kHeldNames = {"manipulator", "mounted-rifle-a", "mounted-cutter-a",
                                                    "mounted-shotgun-a", "mounted-heavy-machinegun-a"};

// Arm segments stand upright in the file; the game lays them along -Z with
// unit length, whatever their height.
ModelShape armSegment(double half, int hue) {
    Builder b(asWalker);
    b.block({-half, 0.0, -half}, {half, 1.0, half}, material(hue, 11));
    b.block({-half - 0.05, 0.8, -half - 0.05}, {half + 0.05, 0.95, half + 0.05}, material(kAmber, 12));
    return b.shape();
}

ModelShape shoulder() {
    Builder b(asWalker);
    b.block({-0.3, -0.28, -0.3}, {0.3, 0.28, 0.3}, material(kSteel, 13));
    b.block({-0.36, 0.16, -0.22}, {0.36, 0.38, 0.22}, material(kAmber, 12));
    return b.shape();
}

// Weapon previews (and the in-world cruise missile), built along model -Z.
// A preview is scaled so that its largest extent fits its loadout cell; each
// is kept long and low (height at most a third of its length, or 0.6 of the
// width of a thin plate) so that, turning and seen from below, it stays clear
// of the label above it.
ModelShape weapon(const std::string& name) {
    Builder b(name == "shotgun" || name == "heavy-machinegun" ? Placement(asHeld) : Placement(asPlain));
    const auto barrel = [&](double x, double y, double r, double from, double to, std::int32_t m) {
        b.block({x - r, y - r, from}, {x + r, y + r, to}, m);
    };
    if (name == "question-mark") {
        b.block({-0.5, 1.2, -0.15}, {0.5, 1.5, 0.15}, material(kAmber, 13));
        b.block({0.3, 0.7, -0.15}, {0.6, 1.5, 0.15}, material(kAmber, 13));
        b.block({-0.15, 0.45, -0.15}, {0.45, 0.75, 0.15}, material(kAmber, 13));
        b.block({-0.15, -0.2, -0.15}, {0.15, 0.45, 0.15}, material(kAmber, 13));
        b.block({-0.15, -0.7, -0.15}, {0.15, -0.4, 0.15}, material(kAmber, 13));
    } else if (name == "rifle") {
        b.block({-0.3, -0.4, 1.0}, {0.3, 0.4, -1.2}, material(kOlive, 10));
        barrel(0, 0.1, 0.1, -1.2, -3.2, material(kSoot, 9));
    } else if (name == "rocket" || name == "homing") {
        b.block({-0.5, -0.28, 1.2}, {0.5, 0.28, -1.2}, material(name == "rocket" ? kSand : kTeal, 11));
        for (int i = 0; i < 4; ++i)
            barrel(-0.36 + 0.24 * i, 0.0, 0.1, -1.2, -1.4, material(kSignalRed, 12));
    } else if (name == "cutter") {
        b.block({-0.3, -0.3, 0.6}, {0.3, 0.3, -0.4}, material(kOrange, 12));
        b.block({-0.05, -0.5, -0.4}, {0.05, 0.5, -3.0}, material(kChalk, 14));
    } else if (name == "gatling") {
        b.block({-0.5, -0.5, 0.8}, {0.5, 0.5, -0.4}, material(kSteel, 10));
        for (int i = 0; i < 6; ++i)
            barrel(0.28 * ((i % 3) - 1), i < 3 ? 0.18 : -0.18, 0.08, -0.4, -2.6, material(kSoot, 10));
    } else if (name == "grenade" || name == "auto-grenade") {
        b.block({-0.5, -0.4, 1.0}, {0.5, 0.4, -0.6}, material(name == "grenade" ? kForest : kUmber, 11));
        barrel(0, 0, 0.22, -0.6, -1.8, material(kSoot, 10));
    } else if (name == "rail") {
        b.block({-0.4, -0.4, 1.0}, {0.4, 0.4, -0.6}, material(kViolet, 11));
        barrel(-0.25, 0, 0.08, -0.6, -3.6, material(kTeal, 13));
        barrel(0.25, 0, 0.08, -0.6, -3.6, material(kTeal, 13));
    } else if (name == "shield") {
        b.block({-1.5, -0.9, 0.1}, {1.5, 0.9, -0.1}, material(kSteel, 12));
        b.block({-1.2, -0.65, -0.1}, {1.2, 0.65, -0.25}, material(kAmber, 11));
    } else if (name == "cruise") {
        barrel(0, 0, 0.3, 1.6, -1.4, material(kChalk, 12));
        b.block({-0.2, -0.2, -1.4}, {0.2, 0.2, -1.9}, material(kSignalRed, 12));
        b.block({-0.9, -0.04, 1.0}, {0.9, 0.04, 0.4}, material(kSteel, 10));
        b.block({-0.04, -0.7, 1.6}, {0.04, 0.7, 1.1}, material(kSteel, 10));
    } else if (name == "shotgun") {
        heldGun(b, kHeldMuzzles[3], 0.08, material(kRust, 10), material(kSoot, 10));
    } else {  // heavy-machinegun
        heldGun(b, kHeldMuzzles[4], 0.065, material(kForest, 9), material(kSoot, 8));
    }
    return b.shape();
}

constexpr std::array<const char*, 13> kWeaponModels = {
    "question-mark", "rifle", "rocket", "cutter", "gatling", "grenade", "rail",
    "shield", "cruise", "shotgun", "homing", "heavy-machinegun", "auto-grenade",
};

// Projectiles fly along model -Z.
ModelShape projectile(const std::string& name) {
    Builder b(asPlain);
    if (name == "effect-grenade" || name == "effect-auto-grenade") {
        const double r = name == "effect-grenade" ? 0.25 : 0.18;
        b.block({-r, -r, r}, {r, r, -r}, material(name == "effect-grenade" ? kForest : kUmber, 13));
    } else {
        const int hue = name == "effect-homing" ? kTeal : kChalk;
        b.block({-0.12, -0.12, 0.8}, {0.12, 0.12, -0.6}, material(hue, 13));
        b.block({-0.08, -0.08, -0.6}, {0.08, 0.08, -0.9}, material(kSignalRed, 14));
        b.block({-0.3, -0.02, 0.8}, {0.3, 0.02, 0.5}, material(kSteel, 11));
        b.block({-0.02, -0.3, 0.8}, {0.02, 0.3, 0.5}, material(kSteel, 11));
        b.block({-0.09, -0.09, 0.8}, {0.09, 0.09, 1.0}, material(kOrange, 15));
    }
    return b.shape();
}

}  // namespace

nlohmann::json playerWalkerFile() { return walkerFile(kPlayerLivery); }

nlohmann::json hostileWalkerFile() { return walkerFile(kHostileLivery); }

std::vector<NamedModel> armAndWeaponModels() {
    std::vector<NamedModel> models;
    for (const char* side : {"left-", "right-"}) {
        models.push_back({std::string(side) + "shoulder", shoulder()});
        models.push_back({std::string(side) + "upper-arm", armSegment(0.16, kSteel)});
        models.push_back({std::string(side) + "forearm", armSegment(0.13, kConcrete)});
    }
    for (std::size_t i = 0; i < kHeldNames.size(); ++i) models.push_back({kHeldNames[i], held(static_cast<int>(i))});
    for (const char* name : kWeaponModels) models.push_back({name, weapon(name)});
    for (const char* name : {"effect-rocket", "effect-grenade", "effect-homing", "effect-auto-grenade"})
        models.push_back({name, projectile(name)});
    return models;
}

nlohmann::json armRigDocument() {
    nlohmann::json held = nlohmann::json::array();
    for (std::size_t i = 0; i < kHeldNames.size(); ++i)
        held.push_back({{"model", kHeldNames[i]},
                        {"alignment_yaw", 0.0},
                        {"muzzle", {kHeldMuzzles[i].x, kHeldMuzzles[i].y, kHeldMuzzles[i].z}}});
    return {{"schema", 1},
            {"tracking_scale", 6.0},
            {"upper_length", 2.1},
            {"fore_length", 1.8},
            {"source_pivot", {0, 0, 0}},
            {"held", held}};
}

}  // namespace bastion::contentgen
