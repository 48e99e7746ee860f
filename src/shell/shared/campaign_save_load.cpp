#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/regular_file.h"
#include "shell/shared/progression.h"
#include "world/decoded_json.h"

namespace bastion {
namespace {

using nlohmann::json;

constexpr std::size_t kSizeLimit = 16384;

// A JSON integer in 0..maximum.
bool inRange(const json& value, u64 maximum) {
    if (!value.is_number_integer()) return false;
    if (value.is_number_unsigned()) return value.get<u64>() <= maximum;
    const auto number = value.get<std::int64_t>();
    return number >= 0 && static_cast<u64>(number) <= maximum;
}

u64 field(const json& value, const char* key, u64 maximum) {
    if (!inRange(value, maximum)) {
        throw std::runtime_error(std::string("Invalid campaign field: ") + key);
    }
    return value.get<u64>();
}

// An optional member, which when present must be of the kind the reader
// expects (`kindName` names it in the library's type error).
const json* optional(const json& save, const char* key, bool (json::*kind)() const noexcept,
                     const char* kindName) {
    const auto found = save.find(key);
    if (found == save.end()) return nullptr;
    if (!((*found).*kind)()) {
        throw json::type_error::create(
            302, std::string("type must be ") + kindName + ", but is " + found->type_name(),
            &*found);
    }
    return &*found;
}

}  // namespace

void Progression::load(const std::filesystem::path& path) {
    platform::FileRefusal refusal{};
    std::optional<std::string> text = platform::readRegularFile(path, kSizeLimit, &refusal);
    if (!text && refusal == platform::FileRefusal::missing) return;
    if (!text && refusal == platform::FileRefusal::tooLarge) {
        throw std::runtime_error("Campaign save exceeds size limit: " + path.string());
    }
    if (!text && refusal == platform::FileRefusal::notRegular) throw notRegularFile(path);
    // Anything else that cannot be read parses as empty, failing as a file
    // that cannot be opened does.
    std::istringstream stream(text.value_or(std::string()));
    const json save = json::parse(stream);
    const json& schema = save.at("schema");
    const json& game = save.at("game");
    const json& completedValue = save.at("completed");
    const json& selectedValue = save.at("selected_mission");
    const json& loadoutValue = save.at("loadout");
    const json* campaignValue = optional(save, "campaign", &json::is_number, "number");
    const json* difficultyValue = optional(save, "difficulty", &json::is_string, "string");

    if (schema != 1 || game != "stormbastion-xr") {
        throw std::runtime_error("Unsupported campaign save: " + path.string());
    }
    if ((campaignValue != nullptr ? *campaignValue : json(0)) != rules.campaign) {
        throw std::runtime_error("Save belongs to a different campaign");
    }
    const int missions = rules.missionCount();
    const auto savedCompleted =
        static_cast<u32>(field(completedValue, "completed", (u64{1} << missions) - 1));
    const auto savedSelected =
        static_cast<int>(field(selectedValue, "selected_mission", static_cast<u64>(missions - 1)));
    if ((savedCompleted & ~rules.available(savedCompleted)) != 0) {
        throw std::runtime_error("Campaign save violates mission prerequisites");
    }
    if (!loadoutValue.is_array() || loadoutValue.size() != loadout.size()) {
        throw std::runtime_error("Invalid saved loadout");
    }
    Loadout savedLoadout{};
    for (std::size_t mount = 0; mount < savedLoadout.size(); ++mount) {
        if (!inRange(loadoutValue[mount], kWeaponCount - 1)) {
            throw std::runtime_error("Invalid saved weapon");
        }
        savedLoadout[mount] = loadoutValue[mount].get<Weapon>();
    }
    u32 savedDifficulty = 0;
    if (difficultyValue != nullptr && *difficultyValue != "normal") {
        if (*difficultyValue != "hard") throw std::runtime_error("Invalid saved difficulty");
        savedDifficulty = 1;
    }

    difficulty = savedDifficulty;
    completed = savedCompleted;
    selectedMission = savedSelected;
    loadout = savedLoadout;
    sanitizeLoadout();
    if (!missionAvailable(selectedMission)) selectedMission = nextMission();
}

}  // namespace bastion
