#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <iterator>
#include <string>

#include <unistd.h>

#include <nlohmann/json.hpp>

#include "platform/atomic_replace.h"
#include "platform/process.h"
#include "shell/shared/campaign_temporary.h"
#include "shell/shared/progression.h"
#include "support/child_process.h"
#include "support/refusal.h"
#include "support/scoped_environment.h"
#include "support/content/files.h"
#include "support/temp_folder.h"

namespace bastion {
namespace {

using nlohmann::json;
using testing_support::listFolder;
using testing_support::readFile;
using testing_support::refusal;
using testing_support::ScopedEnvironment;
using testing_support::writeFile;

json validSave() {
    return {{"schema", 1},          {"game", "stormbastion-xr"}, {"campaign", 0},
            {"completed", 3},       {"selected_mission", 2},     {"difficulty", "hard"},
            {"loadout", {0, 1, 0, 0, 0, 0}}};
}

// The valid save with `change` made to it.
void writeSave(const std::filesystem::path& path, const std::function<void(json&)>& change) {
    json save = validSave();
    change(save);
    writeFile(path, save.dump());
}

// A progression whose every field differs from what the saves here hold.
Progression marked() {
    Progression progression;
    progression.completed = 0xF;
    progression.selectedMission = 5;
    progression.difficulty = 0;
    progression.loadout = {1, 0, 0, 0, 0, 0};
    return progression;
}

void expectSame(const Progression& a, const Progression& b) {
    EXPECT_EQ(a.completed, b.completed);
    EXPECT_EQ(a.selectedMission, b.selectedMission);
    EXPECT_EQ(a.difficulty, b.difficulty);
    EXPECT_EQ(a.loadout, b.loadout);
}

// The serial that the next temporary name of `save` will carry.
unsigned long long nextSerial(const std::filesystem::path& save) {
    const std::string name = nextCampaignTemporary(save).filename().string();
    return std::stoull(name.substr(name.rfind('.') + 1)) + 1;
}

std::filesystem::path temporaryOf(const std::filesystem::path& save, unsigned long long serial) {
    return save.string() + ".tmp." + std::to_string(platform::processId()) + "." +
           std::to_string(serial);
}

TEST(CampaignSave, WritesSortedIndentedJsonBesideItsLock) {
    const testing_support::TempFolder scratch("campaign-save");
    const auto folder = scratch.path();
    Progression progression;
    progression.completed = 0x3;
    progression.difficulty = 1;
    progression.selectedMission = 2;
    progression.save(folder / "deeper" / "campaign.json", true);
    EXPECT_EQ(readFile(folder / "deeper" / "campaign.json"),
              "{\n"
              "  \"campaign\": 0,\n"
              "  \"completed\": 3,\n"
              "  \"difficulty\": \"hard\",\n"
              "  \"game\": \"stormbastion-xr\",\n"
              "  \"loadout\": [\n"
              "    0,\n"
              "    1,\n"
              "    0,\n"
              "    0,\n"
              "    0,\n"
              "    0\n"
              "  ],\n"
              "  \"schema\": 1,\n"
              "  \"selected_mission\": 2\n"
              "}\n");
    EXPECT_EQ(listFolder(folder / "deeper"), "campaign.json campaign.json.lock ");
    EXPECT_EQ(std::filesystem::file_size(folder / "deeper" / "campaign.json.lock"), 0u);

    Progression loaded;
    loaded.load(folder / "deeper" / "campaign.json");
    expectSame(loaded, progression);
}

struct BadSave {
    const char* name;
    std::function<void(json&)> change;
    std::string message;
};

TEST(CampaignSaveLoad, RefusesBadFilesAndChangesNothing) {
    const testing_support::TempFolder scratch("campaign-save");
    const auto path = scratch.path() / "campaign.json";
    const std::string unsupported = "Unsupported campaign save: " + path.string();
    const BadSave cases[] = {
        {"not an object", [](json& s) { s = json::array(); }, "json"},
        {"no schema", [](json& s) { s.erase("schema"); }, "json"},
        {"no loadout", [](json& s) { s.erase("loadout"); }, "json"},
        {"no selection", [](json& s) { s.erase("selected_mission"); }, "json"},
        {"numeric difficulty", [](json& s) { s["difficulty"] = 1; }, "json"},
        {"text campaign", [](json& s) { s["campaign"] = "0"; }, "json"},
        {"schema 2", [](json& s) { s["schema"] = 2; }, unsupported},
        {"other game", [](json& s) { s["game"] = "other"; }, unsupported},
        {"second campaign", [](json& s) { s["campaign"] = 1; }, "Save belongs to a different campaign"},
        {"too many missions", [](json& s) { s["completed"] = 65536; }, "Invalid campaign field: completed"},
        {"float mask", [](json& s) { s["completed"] = 3.0; }, "Invalid campaign field: completed"},
        {"negative mask", [](json& s) { s["completed"] = -1; }, "Invalid campaign field: completed"},
        {"boolean mask", [](json& s) { s["completed"] = true; }, "Invalid campaign field: completed"},
        {"selection 16", [](json& s) { s["selected_mission"] = 16; },
         "Invalid campaign field: selected_mission"},
        {"selection -1", [](json& s) { s["selected_mission"] = -1; },
         "Invalid campaign field: selected_mission"},
        {"mission 4 alone", [](json& s) { s["completed"] = 0x10; },
         "Campaign save violates mission prerequisites"},
        {"five mounts", [](json& s) { s["loadout"].erase(5); }, "Invalid saved loadout"},
        {"loadout object", [](json& s) { s["loadout"] = json::object(); }, "Invalid saved loadout"},
        {"weapon -1", [](json& s) { s["loadout"][3] = -1; }, "Invalid saved weapon"},
        {"weapon 13", [](json& s) { s["loadout"][3] = 13; }, "Invalid saved weapon"},
        {"float weapon", [](json& s) { s["loadout"][1] = 1.0; }, "Invalid saved weapon"},
        {"easy", [](json& s) { s["difficulty"] = "easy"; }, "Invalid saved difficulty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeSave(path, c.change);
        Progression progression = marked();
        EXPECT_EQ(refusal([&] { progression.load(path); }), c.message);
        expectSame(progression, marked());
    }
}

TEST(CampaignSaveLoad, ReadsUpToTheSizeLimit) {
    const testing_support::TempFolder scratch("campaign-save");
    const auto path = scratch.path() / "campaign.json";
    const std::string text = validSave().dump();
    writeFile(path, text + std::string(16384 - text.size(), ' '));
    Progression progression;
    progression.load(path);
    EXPECT_EQ(progression.completed, 3u);

    writeFile(path, text + std::string(16385 - text.size(), ' '));
    progression = marked();
    EXPECT_EQ(refusal([&] { progression.load(path); }),
              "Campaign save exceeds size limit: " + path.string());
    expectSame(progression, marked());
}

struct GoodSave {
    const char* name;
    std::function<void(json&)> change;
    u32 completed;
    int selected;
    u32 difficulty;
    Loadout loadout;
};

TEST(CampaignSaveLoad, AcceptsGoodFilesAndRepairsWhatIsLocked) {
    const GoodSave cases[] = {
        {"as written", [](json&) {}, 3, 2, 1, {0, 1, 0, 0, 0, 0}},
        {"whole campaign", [](json& s) { s["completed"] = 65535; }, 0xFFFF, 2, 1, {0, 1, 0, 0, 0, 0}},
        {"defaults", [](json& s) { s.erase("campaign"); s.erase("difficulty"); }, 3, 2, 0,
         {0, 1, 0, 0, 0, 0}},
        {"normal, other keys", [](json& s) { s["difficulty"] = "normal"; s["theme"] = 1; }, 3, 2, 0,
         {0, 1, 0, 0, 0, 0}},
        {"locked selection", [](json& s) { s["selected_mission"] = 9; }, 3, 2, 1, {0, 1, 0, 0, 0, 0}},
        // Mission 0 gives the grenade rack; the cutter stays locked.
        {"locked weapon", [](json& s) { s["loadout"] = {3, 1, 0, 0, 5, 0}; }, 3, 2, 1,
         {0, 1, 0, 0, 5, 0}},
    };
    const testing_support::TempFolder scratch("campaign-save");
    const auto path = scratch.path() / "campaign.json";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeSave(path, c.change);
        Progression progression = marked();
        progression.load(path);
        EXPECT_EQ(progression.completed, c.completed);
        EXPECT_EQ(progression.selectedMission, c.selected);
        EXPECT_EQ(progression.difficulty, c.difficulty);
        EXPECT_EQ(progression.loadout, c.loadout);
    }
}

TEST(CampaignSaveLoad, AMissingFileChangesNothing) {
    Progression progression = marked();
    const testing_support::TempFolder scratch("campaign-save");
    progression.load(scratch.path() / "campaign.json");
    expectSame(progression, marked());
}

TEST(CampaignSaveLoad, ReadsTheSecondCampaignWithItsRules) {
    const testing_support::TempFolder scratch("campaign-save");
    const auto path = scratch.path() / "campaign-sb2.json";
    json save = validSave();
    save["campaign"] = 1;
    save["completed"] = 0xFFFFF;
    save["selected_mission"] = 19;
    writeFile(path, save.dump());
    Progression progression;
    progression.rules.campaign = 1;
    progression.rules.missionRewards.assign(20, -1);
    progression.load(path);
    EXPECT_EQ(progression.completed, 0xFFFFFu);
    EXPECT_EQ(progression.selectedMission, 19);
}

TEST(CampaignSaveMerge, KeepsTheUnionOfBothCompletedMasks) {
    const testing_support::TempFolder scratch("campaign-save");
    const auto path = scratch.path() / "campaign.json";
    Progression elsewhere;
    elsewhere.complete(0);
    elsewhere.complete(1);
    elsewhere.save(path, false);

    Progression here;
    here.complete(2);
    here.selectedMission = 9;  // locked: moves to the next open mission
    here.loadout = {1, 1, 0, 0, 0, 0};
    here.save(path, true);
    EXPECT_EQ(here.completed, 0x7u);
    EXPECT_EQ(here.selectedMission, 3);
    EXPECT_EQ(here.loadout, (Loadout{1, 0, 0, 0, 0, 0}));

    Progression loaded;
    loaded.load(path);
    expectSame(loaded, here);
}

TEST(CampaignSaveMerge, ACorruptFileFailsTheMergeButIsOverwrittenWithoutOne) {
    const testing_support::TempFolder scratch("campaign-save");
    const auto folder = scratch.path();
    const auto path = folder / "campaign.json";
    writeFile(path, "{\"schema\": 1,");
    Progression progression;
    progression.complete(1);
    EXPECT_EQ(refusal([&] { progression.save(path, true); }), "json");
    EXPECT_EQ(readFile(path), "{\"schema\": 1,");
    EXPECT_EQ(listFolder(folder), "campaign.json campaign.json.lock ");

    progression.save(path, false);
    Progression loaded;
    loaded.load(path);
    EXPECT_EQ(loaded.completed, 0x2u);
}

TEST(CampaignSaveFiles, TakesTheNextSerialPastNamesThatExist) {
    const testing_support::TempFolder scratch("campaign-save");
    const auto folder = scratch.path();
    const auto path = folder / "campaign.json";
    const unsigned long long serial = nextSerial(path);
    std::filesystem::create_directory(temporaryOf(path, serial));
    writeFile(temporaryOf(path, serial + 1), "someone else's");
    Progression().save(path, true);
    EXPECT_EQ(nextSerial(path), serial + 4);
    EXPECT_TRUE(std::filesystem::is_directory(temporaryOf(path, serial)));
    EXPECT_EQ(readFile(temporaryOf(path, serial + 1)), "someone else's");
    std::filesystem::remove(temporaryOf(path, serial));
    std::filesystem::remove(temporaryOf(path, serial + 1));
    EXPECT_EQ(listFolder(folder), "campaign.json campaign.json.lock ");
}

TEST(CampaignSaveFiles, GivesUpAfterAHundredNamesThatExist) {
    const testing_support::TempFolder scratch("campaign-save");
    const auto folder = scratch.path();
    const auto path = folder / "campaign.json";
    writeFile(path, validSave().dump());
    const unsigned long long serial = nextSerial(path);
    for (unsigned long long n = serial; n < serial + 100; ++n) {
        std::filesystem::create_directory(temporaryOf(path, n));
    }
    try {
        Progression().save(path, true);
        ADD_FAILURE() << "saved";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::error_code(EEXIST, std::system_category()));
        EXPECT_EQ(std::string(error.what()).rfind("Create campaign save: ", 0), 0u) << error.what();
    }
    EXPECT_EQ(nextSerial(path), serial + 101);
    EXPECT_EQ(readFile(path), validSave().dump());
    for (unsigned long long n = serial; n < serial + 100; ++n) {
        EXPECT_TRUE(std::filesystem::is_directory(temporaryOf(path, n)));
    }
}

TEST(CampaignSaveFiles, SweepsTemporariesOfEndedProcessesOnly) {
    const testing_support::TempFolder scratch("campaign-save");
    const auto folder = scratch.path();
    const auto path = folder / "campaign.json";
    // A process that has ended, and one that lives until the test lets it go.
    const pid_t ended = testing_support::startChild([] { return 0; });
    ASSERT_EQ(testing_support::waitChild(ended), 0);
    int release[2];
    ASSERT_EQ(::pipe(release), 0);
    const pid_t living = testing_support::startChild([&] {
        char byte = 0;
        ::close(release[1]);
        return static_cast<int>(::read(release[0], &byte, 1));
    });
    ::close(release[0]);
    const auto temporary = [&](pid_t owner, const char* serial) {
        return path.string() + ".tmp." + std::to_string(owner) + "." + serial;
    };
    writeFile(temporary(ended, "0"), "half");
    writeFile(temporary(ended, "17"), "half");
    writeFile(temporary(living, "3"), "in progress");
    writeFile(folder / ("other.json.tmp." + std::to_string(ended) + ".0"), "not this save's");
    writeFile(path.string() + ".tmp." + std::to_string(ended), "no serial");
    writeFile(path.string() + ".tmp.x" + std::to_string(ended) + ".0", "not a process id");
    std::filesystem::create_directory(temporary(ended, "5"));

    Progression().save(path, true);
    ::close(release[1]);
    EXPECT_EQ(testing_support::waitChild(living), 0);

    EXPECT_FALSE(std::filesystem::exists(temporary(ended, "0")));
    EXPECT_FALSE(std::filesystem::exists(temporary(ended, "17")));
    EXPECT_EQ(readFile(temporary(living, "3")), "in progress");
    EXPECT_TRUE(std::filesystem::is_directory(temporary(ended, "5")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()),
              7);
}

struct FailedSave {
    const char* name;
    std::function<std::filesystem::path(const std::filesystem::path& folder)> prepare;
    bool merge;
    const char* prefix;
    int error;
};

TEST(CampaignSaveFiles, AFailedSaveLeavesTheFileAndNoTemporary) {
    using platform::failNextReplace;
    using platform::ReplaceStep;
    const std::string old = validSave().dump();
    auto existing = [old](const std::filesystem::path& folder) {
        writeFile(folder / "campaign.json", old);
        return folder / "campaign.json";
    };
    // An existing save whose replace fails at `step`.
    auto refused = [existing](ReplaceStep step, int error) {
        return [existing, step, error](const std::filesystem::path& folder) {
            failNextReplace(step, error);
            return existing(folder);
        };
    };
    const FailedSave cases[] = {
        {"lock file is a folder",
         [&](const auto& folder) {
             std::filesystem::create_directory(folder / "campaign.json.lock");
             return existing(folder);
         },
         true, "Open campaign lock: ", EISDIR},
        {"temporary name too long",
         [&](const auto& folder) {
             // The lock's name still fits; the temporary's does not.
             const auto path = folder / std::string(250, 's');
             writeFile(path, old);
             return path;
         },
         true, "Create campaign save: ", ENAMETOOLONG},
        {"refused write",
         refused(ReplaceStep::write, ENOSPC),
         true, "Write campaign save: ", ENOSPC},
        {"refused flush",
         refused(ReplaceStep::flush, EIO),
         true, "Flush campaign save: ", EIO},
        {"refused rename",
         refused(ReplaceStep::replace, EXDEV),
         true, "Replace campaign save: ", EXDEV},
        {"save is a folder",
         [&](const auto& folder) {
             std::filesystem::create_directories(folder / "campaign.json" / "inside");
             return folder / "campaign.json";
         },
         false, "Replace campaign save: ", EISDIR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const testing_support::TempFolder scratch("campaign-save");
        const auto folder = scratch.path();
        const auto path = c.prepare(folder);
        const std::string before = listFolder(folder);
        try {
            Progression().save(path, c.merge);
            ADD_FAILURE() << "saved";
        } catch (const std::system_error& error) {
            EXPECT_EQ(error.code(), std::error_code(c.error, std::system_category()));
            EXPECT_EQ(std::string(error.what()).rfind(c.prefix, 0), 0u) << error.what();
        }
        if (std::filesystem::is_regular_file(path)) {
            EXPECT_EQ(readFile(path), old);
        }
        const std::string lock = path.filename().string() + ".lock ";
        const std::string after = listFolder(folder);
        EXPECT_TRUE(after == before || after == before + lock || after == lock + before) << after;
    }
}

TEST(CampaignSavePath, FollowsTheUserFolderVariables) {
    struct Case {
        const char* localAppData;
        const char* xdg;
        const char* home;
        const char* expected;  // null: no folder
    };
    const Case cases[] = {
        {"/l", "/x", "/h", "/l/stormbastion-xr/campaign.json"},
        {"", "/x", "/h", "/x/stormbastion-xr/campaign.json"},
        {nullptr, "relative", "/h", "/h/.local/share/stormbastion-xr/campaign.json"},
        {nullptr, "C:\\Data", "h", "h/.local/share/stormbastion-xr/campaign.json"},
        {nullptr, "relative", nullptr, nullptr},
        {nullptr, nullptr, "", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected ? c.expected : "none");
        const ScopedEnvironment local("LOCALAPPDATA", c.localAppData);
        const ScopedEnvironment xdg("XDG_DATA_HOME", c.xdg);
        const ScopedEnvironment home("HOME", c.home);
        if (c.expected != nullptr) {
            EXPECT_EQ(Progression::defaultPath(), std::filesystem::path(c.expected));
        } else {
            EXPECT_EQ(refusal([] { Progression::defaultPath(); }),
                      "No campaign data directory; pass --save PATH");
        }
    }
}

// Saves 50 times with merge, completing `first` on the first save and
// `last` on the last one.
int saveFifty(const std::filesystem::path& path, int first, int last) {
    Progression progression;
    for (int round = 0; round < 50; ++round) {
        if (round == 0) progression.complete(first);
        if (round == 49) progression.complete(last);
        progression.save(path, true);
    }
    return 0;
}

TEST(CampaignSaveConcurrency, TwoSavingProcessesKeepTheUnionAndAReaderSeesOnlyWholeFiles) {
    const testing_support::TempFolder scratch("campaign-save");
    const auto folder = scratch.path();
    const auto path = folder / "campaign.json";
    const auto stop = folder / "stop";
    const pid_t reader = testing_support::startChild([&] {
        // Under the lock each save writes at least what the last one did.
        u32 seen = 0;
        while (!std::filesystem::exists(stop)) {
            if (!std::filesystem::exists(path)) continue;
            Progression progression;
            progression.load(path);
            if ((seen & ~progression.completed) != 0) {
                std::fprintf(stderr, "completed went from %x to %x\n", seen, progression.completed);
                return 1;
            }
            seen = progression.completed;
        }
        return 0;
    });
    const pid_t first = testing_support::startChild([&] { return saveFifty(path, 0, 1); });
    const pid_t second = testing_support::startChild([&] { return saveFifty(path, 2, 3); });
    EXPECT_EQ(testing_support::waitChild(first), 0);
    EXPECT_EQ(testing_support::waitChild(second), 0);
    writeFile(stop, "");
    EXPECT_EQ(testing_support::waitChild(reader), 0);

    Progression loaded;
    loaded.load(path);
    EXPECT_EQ(loaded.completed, 0xFu);
    EXPECT_EQ(listFolder(folder), "campaign.json campaign.json.lock stop ");
}

}  // namespace
}  // namespace bastion
