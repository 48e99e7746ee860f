#include "contentgen/campaign_missions.h"

#include <cmath>
#include <map>
#include <vector>

#include "contentgen/gameplay_models.h"
#include "contentgen/mission_sketch.h"
#include "contentgen/palette.h"
#include "contentgen/world_atlas.h"

namespace bastion::contentgen {
namespace {

constexpr std::uint32_t kCountDown0 = 0x80020000u;  // counter 0 counts down
constexpr std::uint32_t kCountDown1 = 0x80020001u;  // counter 1 counts down
constexpr std::uint32_t kSetFlag0 = 0x80010000u;    // raises mission flag 0
constexpr std::uint32_t kNoAction = 0;
constexpr int kNoPickup = 255;
constexpr int kCrateKind = 21;
constexpr int kGeneratorType = 4;
constexpr int kCrateStack = 15;  // object type of a stack of supply crates
// Not a unit type: a ship whose deck carries a generator of field guns.
constexpr int kShipWithGenerator = 100;

// Enemy fire timing in 1/256 s: bursts with pauses that a player standing
// in the open survives for a while.
constexpr std::uint32_t kQuarterSecond = 64;
constexpr std::uint32_t kTankInterval = 128;

// Behaviour bits of unit parameter records.
constexpr std::uint32_t kRouteBit = 1u << 0;
constexpr std::uint32_t kCarriesBit = 1u << 1;
constexpr std::uint32_t kHeavyBit = 1u << 6;

// The unit types of each mission, in spawn order. A 4 is a generator that
// releases copies of the unit listed just before it. The first mission of
// each campaign also carries the aircraft that generated missions copy: a
// helicopter (type 1) in SB1 and a fighter (type 18) in SB2.
const std::vector<std::vector<int>> kSB1Units = {
    {0, 2, 1}, {9, 9, 3, 4}, {0, 5}, {1, 6}, {3}, {0, 0, 4}, {8, 7}, {9, 10},
    {11, 12, 13}, {1, 1, 14}, {15, 16}, {17, 18}, {19, 20}, {8, 21}, {9, 22}, {0, 2, 3},
};
// SB2 missions hold what their rules count: the three mechs of type 14 of
// mission 3, nine car bombs of mission 5, the ships of missions 6 and 15,
// five fighters of mission 7, ten trucks of mission 9, two mechs of 13.
// Mission 0's hover tank (type 14) is also the SB2 model of the seeded
// prototype missions.
const std::vector<std::vector<int>> kSB2Units = {
    {0, 2, 4, 14, 18}, {1, 5}, {3, 6}, {14, 14, 14, 7}, {8, 9}, {17, 4, 10}, {0, 13, 12, 9, 9}, {18, 4, 13, 14},
    {15, 16, 8}, {8, 4, 18}, {0, 11, 20}, {21, 22}, {0, 1}, {3, 3, 5}, {9, 22},
    {0, 17, 12, 9, 9, 9, 9, 9, kShipWithGenerator}, {3, 5}, {6, 7}, {8, 10, 14}, {15, 19, 22},
};

// Copies a generator releases after the unit before it, by campaign and
// mission; unlisted generators release six.
int generatorCopies(int campaign, int mission) {
    if (campaign == 1 && mission == 5) return 8;
    if (campaign == 1 && mission == 7) return 4;
    if (campaign == 1 && mission == 9) return 9;
    return 6;
}

// Byte offset of the route record by unit type; SB2 gives more types a route.
int routeOffset(int type, int campaign) {
    static const std::map<int, int> sb1 = {{0, 14}, {1, 14}, {3, 6}, {6, 10}, {8, 18}};
    static const std::map<int, int> sb2 = {{0, 14}, {1, 14}, {3, 6},  {6, 10},  {8, 18},  {9, 34},
                                           {12, 26}, {14, 14}, {15, 10}, {17, 6}, {18, 6}, {22, 14}};
    const std::map<int, int>& table = campaign == 1 ? sb2 : sb1;
    const auto found = table.find(type);
    return found == table.end() ? -1 : found->second;
}

bool flies(int type) { return type == 1 || type == 7 || type == 12 || type == 17 || type == 18 || type == 20; }
// Vehicles that drive their route once and leave the map at its end.
bool convoy(int type) { return type == 6 || type == 8 || type == 15 || type == 17; }

// How far a route strays from the unit's place: convoys take minutes to get
// through, aircraft circle wide, the rest patrol close by.
double routeRadius(int type) { return convoy(type) ? 150 : flies(type) ? 60 : 20; }

std::vector<std::array<double, 2>> patrol(GroundPoint centre, double radius) {
    return {{centre.x - radius, centre.z - radius},
            {centre.x + radius, centre.z - radius},
            {centre.x + radius, centre.z + radius},
            {centre.x - radius, centre.z + radius}};
}

// Where every mission's pilot starts.
constexpr GroundPoint kSpawn{0, 20};

class MissionBuilder {
public:
    MissionBuilder(int campaign, int index) : campaign_(campaign), index_(index) {}

    nlohmann::json build() {
        settings();
        ground();
        objects();
        units();
        return sketch_.json();
    }

private:
    bool night() const { return index_ % 4 == 3; }

    // How far into its campaign the mission lies: 0 first, 1 last.
    double progress() const { return index_ / static_cast<double>((campaign_ == 1 ? kSB2Missions : kSB1Missions) - 1); }
    // A value that grows from `first` to `last` across the campaign.
    double scaled(double first, double last) const { return first + (last - first) * progress(); }

    // Sight range of shooting units in hundredths: the first missions' units
    // stand beyond it from the start point, so a new player learns the
    // controls before the first shot; later ones watch the whole map.
    std::uint32_t sightRange() const { return static_cast<std::uint32_t>(std::lround(scaled(75, 140))) * 100; }
    // Units stand around the start point, the first missions' ones farther
    // out. The heavy gunner and the fighters start far enough out that a new
    // player meets them only after a while.
    GroundPoint unitPlace(int slot, int type) const {
        const double angle = 0.9 * slot + 0.4;
        const bool distant = type == 19 || type == 18;
        const double distance = distant ? 320 : scaled(150, 120) + 25 * (slot % 3);
        return {kSpawn.x + distance * std::sin(angle), kSpawn.z - distance * std::cos(angle)};
    }
    // Units wake when the pilot comes this close; the first missions' units
    // wait until the player walks up to them.
    double wakeRange() const { return scaled(100, 200); }
    double generatorRange() const { return scaled(100, 150); }

    // Rest between a gun's bursts, in 1/256 s.
    std::uint32_t gunPause() const { return static_cast<std::uint32_t>(std::lround(scaled(6, 3) * 256)); }
    std::uint32_t launcherInterval() const { return static_cast<std::uint32_t>(std::lround(scaled(8, 6) * 256)); }

    void settings() {
        nlohmann::json& m = sketch_.json();
        m["night"] = night();
        // Shots of walkers, then of tanks and helicopters; tank and
        // helicopter health. A new player's first enemies fall to a burst or
        // two of rifle fire.
        m["difficulty"] = {{"multipliers", {0, 10, 15, 0}},
                           {"projectile", {scaled(2, 4), scaled(1, 2)}},
                           {"impact", {20, 30}},
                           {"health", {scaled(30, 120), scaled(20, 80)}}};
        m["spawn"] = filePosition(kSpawn);
        m["yaw"] = 0;
        // Panorama indices the demo art provides: six SB1 images, twenty SB2 ones.
        m["horizon"] = campaign_ == 0 ? index_ % 6 : index_ % 20;
        m["ground"] = night() ? std::array<int, 3>{20, 30, 28} : std::array<int, 3>{70, 96, 60 + 3 * index_};
        m["sky"] = night() ? std::array<int, 3>{8, 12, 30} : std::array<int, 3>{110 + 4 * index_, 150, 200};
        m["light"] = {40 - 7 * index_, 100, -60 + 5 * index_};
        // Object type 1 (the supply depot) is repainted in this campaign.
        m["replacements"] = {{1, material(kOlive), material(kForest)}, {1, material(kForest), material(kAmber)}};
        // Health in tenths, sight range, one round a burst, and a word whose bit
        // 0 would arm SB2 walkers with rockets: they keep their guns.
        m["mech_profile"] = {std::lround(scaled(400, 1000)), sightRange(), 1, 2};
        // Regions run over x and the file's z (world -z); this one holds the
        // first goals.
        if (index_ % 4 == 0 || (campaign_ == 0 && index_ == 5))
            m["objective_regions"] = {{-60.0, 80.0, 60.0, 160.0}};
    }

    void ground() {
        sketch_.terrain({{-400, -400}, {-400, 400}, {400, 400}, {400, -400}}, {60, 90, 55});
        sketch_.terrain({{-6, 60}, {6, 60}, {6, -300}, {-6, -300}}, {90, 85, 75});
        std::vector<GroundPoint> pad;
        for (int i = 0; i < 5; ++i) {
            const double angle = 2 * 3.14159265358979323846 * i / 5;
            pad.push_back({60 + 15 * std::cos(angle), -60 - 15 * std::sin(angle)});
        }
        sketch_.terrain(pad, {120, 120, 110});
        sketch_.terrain({{-120, -40}, {-90, -80}, {-150, -90}}, {50, 70, 90});
    }

    // What the mission's goal objects are and how their loss counts.
    struct Goal {
        int type;
        int tag;
        std::uint32_t action;
        int count;
    };

    std::vector<Goal> goals() const {
        const int type = (index_ * 5 + 1) % kObjectTypeCount;
        return campaign_ == 1 ? sb2Goals(type) : std::vector<Goal>{sb1Goal(type)};
    }

    Goal sb1Goal(int type) const {
        switch (index_) {
        case 2: return {2, 32, kCountDown0, 2};         // bridge piers, counted by the preset
        case 3: return {type, 22, kNoAction, 2};        // each drops a kind-22 pickup to collect
        case 7: return {type, 32, kCountDown0, 4};      // the preset counts four
        case 9: case 14: return {type, 32, kCountDown0, 5};
        case 10: return {10, kNoPickup, kNoAction, 3};  // counted inside the factory zone
        case 12: return {type, 40, kNoAction, 3};       // tags below 128 count into counter 1
        case 15: return {type, 33, kCountDown1, 2};     // counter 1 by tag 33
        default: return {type, 32, kCountDown0, 2};
        }
    }

    std::vector<Goal> sb2Goals(int type) const {
        switch (index_) {
        case 1: return {{type, 32, kNoAction, 5}};              // counted inside the island box
        case 2: case 12: return {{type, 22, kNoAction, 3}};     // supplies to drop and collect
        case 3: case 6: case 13: return {{type, 32, kNoAction, 2}};  // to protect
        case 7: return {{type, 32, kCountDown0, 4}, {type, 33, kCountDown1, 2}};
        case 11: return {{type, 32, kCountDown0, 4}};
        case 14: case 17: return {{type, 32, kNoAction, 2}};    // counted by their tags
        case 16: return {{type, 32, kCountDown0, 10}, {type, 22, kNoAction, 9}};
        default: return {{type, 32, kCountDown0, 2}};
        }
    }

    GroundPoint goalPlace(int i) const {
        // SB1 mission 10's zone spans x 14..290 and z -71..102; SB2 mission
        // 1's island x 238..274 and z -310..-222.
        if (campaign_ == 0 && index_ == 10) return {40.0 + 60 * i, 20};
        if (campaign_ == 1 && index_ == 1) return {246.0 + 12 * (i % 3), -235.0 - 25 * (i / 3)};
        return {-40.0 + 40 * (i % 5), -100.0 - 10 * (i % 5) - 40 * (i / 5)};
    }

    void objects() {
        if (campaign_ == 0 && (index_ == 5 || index_ == 11))
            sketch_.object(index_ == 5 ? 5 : 11, {0, -40}, 0, kNoPickup, kSetFlag0, 1);  // to defend
        if (campaign_ == 0 && index_ == 15) sketch_.object(14, {0, -150}, 512, kNoPickup, kCountDown0, 2);
        int placed = 0;
        for (const Goal& g : goals()) {
            for (int i = 0; i < g.count; ++i, ++placed)
                sketch_.object(g.type, goalPlace(placed), 256 * i, g.tag, g.action, placed == 0 ? 3 : 0);
        }
        // Supplies: pickups of kinds 7 and 8 raise the supplies flag.
        sketch_.object(1, {70, -40}, 0, 7, 0);
        sketch_.object(15, {78, -44}, 128, 8, 0);
        sketch_.object(6, {-60, 10}, 0, kNoPickup, 0);
        sketch_.object(18, {-30, -200}, 0, kNoPickup, 0);
        sketch_.object(22, {10, 30}, 0, kNoPickup, 0);
        sketch_.object(index_ % kObjectTypeCount, {150, -150}, 700, kNoPickup, 0);
        if (campaign_ == 1 && index_ == 0) forwardBase();
        // The heavy gunner's ground is strewn with supply crates to shoot
        // open for repairs and ammunition during the fight.
        if (campaign_ == 1 && index_ == kSB2Missions - 1) {
            for (GroundPoint at : {GroundPoint{-80, -60}, GroundPoint{-120, -120}, GroundPoint{-40, -180},
                                   GroundPoint{-160, -200}, GroundPoint{0, -240}, GroundPoint{-100, -260}})
                sketch_.object(kCrateStack, at, 0, 7, 0);
        }
    }

    // A walled yard around the start point, open to the north behind a
    // screen of walls: no gun outside sees into it, while the way out leads
    // round the screen. The seeded prototypes start in it too, since they
    // are built on this mission's ground.
    void forwardBase() {
        constexpr int kWall = 8;      // fortress wall, 20 long and 3 deep
        constexpr int kAcross = 512;  // a quarter turn: the wall runs along z
        const double x = kSpawn.x, z = kSpawn.z;
        for (double along : {-24.0, -8.0, 8.0, 24.0}) {
            sketch_.object(kWall, {x - 32, z + along}, kAcross, kNoPickup, kNoAction);
            sketch_.object(kWall, {x + 32, z + along}, kAcross, kNoPickup, kNoAction);
            sketch_.object(kWall, {x + along, z + 32}, 0, kNoPickup, kNoAction);
        }
        // The north side, but for a gate 20 wide, and the screen before it.
        for (double along : {-26.0, -20.0, 20.0, 26.0}) sketch_.object(kWall, {x + along, z - 32}, 0, kNoPickup, kNoAction);
        for (double along : {-20.0, 0.0, 20.0}) sketch_.object(kWall, {x + along, z - 64}, 0, kNoPickup, kNoAction);
    }

    ParameterBytes parametersFor(int type, GroundPoint at, int occurrence, std::uint32_t behaviour = 0) {
        ParameterBytes bytes;
        const int offset = routeOffset(type, campaign_);
        switch (type) {
        case 0: {
            // A heavy tank's shell hits four times as hard: one per burst.
            // Only the last SB1 mission fields one.
            const bool heavy = campaign_ == 0 && index_ == 15;
            if (heavy) behaviour |= kHeavyBit;
            bytes.word(0, sightRange()).word(1, kTankInterval).word(2, heavy ? 1 : 2);
            break;
        }
        case 1:
            // Two-shot bursts a quarter second apart; the second helicopter
            // of a mission carries bombs.
            bytes.word(0, sightRange()).word(2, kQuarterSecond).word(3, 2).word(4, occurrence == 1 ? 2 : 0);
            break;
        case 2: case 5: case 10: {
            // Gun models: bit 0 clear is gun-0, else gun-1 to gun-3 by word 2.
            // Bit 0 also makes a launcher, which fires one round per interval.
            const bool launcher = type != 10 && (index_ + occurrence) % 2 == 1;
            if (launcher) behaviour |= kRouteBit;
            bytes.word(0, sightRange()).word(2, type == 10 ? 2 : static_cast<std::uint32_t>(index_ % 3));
            bytes.word(1, launcher ? launcherInterval() : kQuarterSecond).word(3, gunPause());
            break;
        }
        case 6: bytes.word(1, index_ % 2 ? 1 : 0); break;
        case 7: bytes.word(0, sightRange()).word(3, 2); break;
        case 11: case 14: case 19: case 22: bytes.word(0, sightRange()); break;
        case 8:
            // A tractor hitched to trailers of variants 1, 2 and 3.
            bytes.word(0, 420).word(2, 1).word(3, 2).word(4, static_cast<std::uint32_t>(1 + index_ % 3)).word(5, 0);
            break;
        case 9:
            // Word 0 names the flag the ship's loss raises; slow ships take
            // many minutes to sail off the map.
            bytes.word(0, static_cast<std::uint32_t>(occurrence)).word(3, 6).word(4, 150);
            break;
        case 12:
            // Drops copies of the mission's first two units.
            bytes.word(0, 0).word(1, 1).word(2, 1).word(3, 2).word(4, 512).word(5, 2).word(6, 1).word(7, 2).word(8, 5).word(9, 1)
                .word(10, 1);  // a template word above 2 is skipped
            break;
        case 21:
            // A supply crate's pickup kind is the record's first 16 bits.
            behaviour |= std::uint32_t{kCrateKind} << 16;
            break;
        default: bytes.word(0, static_cast<std::uint32_t>(type)); break;
        }
        if (offset >= 0) {
            behaviour |= kRouteBit;
            bytes.route(static_cast<std::size_t>(offset), patrol(at, routeRadius(type)));
        }
        bytes.behaviour(behaviour);
        return bytes;
    }

    void units() {
        const std::vector<int>& types = (campaign_ == 1 ? kSB2Units : kSB1Units)[static_cast<std::size_t>(index_)];
        std::map<int, int> occurrences;
        int lastUnit = -1;
        for (std::size_t slot = 0; slot < types.size(); ++slot) {
            const int type = types[slot];
            const GroundPoint at = unitPlace(static_cast<int>(slot) + index_, type);
            if (type == kGeneratorType) {
                ParameterBytes bytes;
                // SB1 mission 5 asks for more reserved entries than the 16 allowed.
                const bool crowded = campaign_ == 0 && index_ == 5;
                const int copies = crowded ? 17 : generatorCopies(campaign_, index_);
                bytes.word(0, static_cast<std::uint32_t>(copies)).word(1, 15 * 256).word(2, crowded ? 20 : 4);
                bytes.word(3, static_cast<std::uint32_t>(lastUnit)).word(4, 3 * 256).word(5, 2);
                sketch_.generator(at, bytes, generatorRange());
                continue;
            }
            const int occurrence = occurrences[type]++;
            if (type == kShipWithGenerator) {
                lastUnit = shipWithGenerator(at);
                continue;
            }
            if (type == 9) lastUnit = shipWithGun(at, occurrence);
            else
                lastUnit = sketch_.unit(type, at, fileYaw(0.3 * static_cast<double>(slot)),
                                        parametersFor(type, at, occurrence), wakeRange());
            if (type == 20 && campaign_ == 1)
                sketch_.json()["spawns"][static_cast<std::size_t>(lastUnit)]["destination"] = filePosition({0, -260});
        }
    }

    // A rocket launcher riding on a ship's deck.
    ParameterBytes deckLauncher() const {
        return ParameterBytes().word(0, sightRange()).word(1, launcherInterval()).word(2, 1).behaviour(kRouteBit);
    }

    // A ship carrying a generator that releases field guns onto its deck;
    // the generator reserves the default eight entries (word 2 is 0).
    int shipWithGenerator(GroundPoint at) {
        const int gun = sketch_.unit(2, {at.x, at.z - 6}, 0, deckLauncher(), wakeRange());
        ParameterBytes release;
        release.word(0, 3).word(1, 2 * 256).word(3, static_cast<std::uint32_t>(gun)).word(4, 256);
        const int generator = sketch_.generator({at.x, at.z - 6}, release, generatorRange());
        ParameterBytes ship = parametersFor(9, at, 1, kCarriesBit);
        ship.word(2, static_cast<std::uint32_t>(generator));
        return sketch_.unit(9, at, fileYaw(-0.7), ship, wakeRange());
    }

    // A patrol ship carrying a gun turret that rides along on its deck.
    int shipWithGun(GroundPoint at, int occurrence) {
        const int gun = sketch_.unit(2, {at.x, at.z + 4}, 0, deckLauncher(), wakeRange());
        ParameterBytes ship = parametersFor(9, at, occurrence, kCarriesBit);
        ship.word(2, static_cast<std::uint32_t>(gun));
        return sketch_.unit(9, at, fileYaw(1.2), ship, wakeRange());
    }

    int campaign_;
    int index_;
    MissionSketch sketch_;
};

}  // namespace

nlohmann::json campaignMission(int campaign, int index) { return MissionBuilder(campaign, index).build(); }

nlohmann::json missionsDocument(int campaign) {
    nlohmann::json missions = nlohmann::json::array();
    const int count = campaign == 1 ? kSB2Missions : kSB1Missions;
    for (int index = 0; index < count; ++index) missions.push_back(campaignMission(campaign, index));
    return {{"schema", 1},
            {"missions", missions},
            {"objects", objectCatalogue()},
            {"dynamic_models", dynamicModels()},
            {"variants", variantModels()},
            {"cry_table", colourTable()},
            {"texture_uv", textureCoordinates()},
            {"atlas_size", {kAtlasWidth, kAtlasHeight}}};
}

}  // namespace bastion::contentgen
