#include "world/internal/unit_rules.h"

#include <algorithm>
#include <array>

#include "world/target.h"

namespace bastion {
namespace {

constexpr int kSupplyCrate = 21;

struct UnitRule {
    float health[2];
    int route[2];
    float speed[2];
};

// Unit types 0 and 1 take their health from the difficulty, 3 from the
// mission's mech profile; their entries here are placeholders.
constexpr std::array<UnitRule, kEnemyTypeCount> kRules = {{
    {{0, 0}, {14, 14}, {6, 6}},                      // 0 tank
    {{0, 0}, {14, 14}, {16, 16}},                    // 1 helicopter
    {{80, 15}, {kNoRoute, kNoRoute}, {4, 4}},        // 2 gun
    {{0, 0}, {6, 6}, {4, 4}},                        // 3 walker
    {{0, 0}, {kNoRoute, kNoRoute}, {0, 0}},          // 4 generator record
    {{80, 15}, {kNoRoute, kNoRoute}, {4, 4}},        // 5 gun
    {{80, 5}, {10, 10}, {12, 12}},                   // 6 transport
    {{80, 10}, {kNoRoute, kNoRoute}, {76, 76}},      // 7 bomber
    {{50, 50}, {18, 18}, {8, 8}},                    // 8 tractor
    {{500, 400}, {kNoRoute, 34}, {0, 0}},            // 9 ship, speed from word 4
    {{150, 150}, {kNoRoute, kNoRoute}, {4, 4}},      // 10
    {{80, 15}, {kNoRoute, kNoRoute}, {4, 4}},        // 11
    {{80, 160}, {kNoRoute, 26}, {4, 32}},            // 12 carrier
    {{80, 8}, {kNoRoute, kNoRoute}, {4, 4}},         // 13
    {{80, 200}, {kNoRoute, 14}, {4, 15}},            // 14
    {{80, 50}, {kNoRoute, 10}, {4, 4}},              // 15
    {{80, 50}, {kNoRoute, kNoRoute}, {4, 4}},        // 16
    {{80, 50}, {kNoRoute, 6}, {4, 14}},              // 17 car bomb
    {{80, 25}, {kNoRoute, 6}, {4, 65}},              // 18 fighter
    {{80, 3000}, {kNoRoute, kNoRoute}, {4, 4}},      // 19
    {{80, 1000}, {kNoRoute, kNoRoute}, {4, 4}},      // 20
    {{80, 1}, {kNoRoute, kNoRoute}, {4, 4}},         // 21 supply crate
    {{80, 25}, {kNoRoute, 14}, {4, 22}},             // 22
}};

const UnitRule& rule(int type) { return kRules.at(static_cast<std::size_t>(type)); }

std::string variant(const nlohmann::json& document, const std::string& key) {
    return document.at("variants").at(key).get<std::string>();
}

std::string dynamicModel(const nlohmann::json& document, int type) {
    return document.at("dynamic_models").at(std::to_string(type)).get<std::string>();
}

}  // namespace

float unitBaseHealth(int type, int campaign) {
    const bool sb2Column = campaign == 1 && (type == 2 || type >= 5);
    return rule(type).health[sb2Column ? 1 : 0];
}

int unitRouteOffset(int type, int campaign) { return rule(type).route[campaign == 1 ? 1 : 0]; }

float unitSpeed(int type, int campaign, const ParameterRecord& parameters) {
    if (type == 9) return parameters.holds(14) ? static_cast<float>(parameters.words[4]) / 100.0f : 0.0f;
    return rule(type).speed[campaign == 1 ? 1 : 0];
}

std::string unitModelName(const nlohmann::json& document, int type, int campaign, const ParameterRecord& parameters) {
    const bool armed = (parameters.behaviour & kBehaviourRoute) != 0;
    switch (type) {
    case 0:
        if (parameters.behaviour & kBehaviourHeavyTank) return variant(document, "heavy-tank");
        break;
    case 1:
        if (parameters.holds(14) && parameters.words[4] == 2) return variant(document, "helicopter-bomber");
        break;
    case 2:
    case 5: {
        const int gun = !armed ? 0 : !parameters.holds(10) ? 1 : 1 + std::min(parameters.words[2], 2);
        return variant(document, "gun-" + std::to_string(gun));
    }
    case 6:
        return variant(document, parameters.holds(8) && parameters.words[1] != 0 ? "transport-1" : "transport-0");
    case kSupplyCrate:
        if (campaign == 1) return {};
        break;
    default:
        break;
    }
    return dynamicModel(document, type);
}

}  // namespace bastion
