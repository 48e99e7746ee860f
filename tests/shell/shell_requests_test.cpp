#include <filesystem>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "contentgen/frontend_export.h"
#include "shell/frontend/menu_script.h"
#include "shell/requests.h"
#include "support/content/files.h"
#include "support/temp_folder.h"

namespace bastion {
namespace {

using nlohmann::json;
using testing_menu::MenuScript;
using testing_support::readFile;
using testing_support::TempFolder;
using testing_support::writeFile;
using F = Frontend;

json saveWith(u32 completed, int selected, const char* difficulty, json loadout, int campaign = 0) {
    return {{"schema", 1},           {"game", "stormbastion-xr"}, {"campaign", campaign},
            {"completed", completed}, {"selected_mission", selected}, {"difficulty", difficulty},
            {"loadout", std::move(loadout)}};
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    writeFile(path, text);
}

// The shell around a scripted front end: the frame loop's request steps, with
// a mission setup that only notes which mission it built.
class ShellRequests : public ::testing::Test {
protected:
    ShellRequests() {
        contentgen::writeFrontendExports(retail);
        session.sources.retail = retail;
        session.savePath = folder.path() / "saves" / "campaign.json";
        session.configPath = folder.path() / "settings" / "config.json";
        session.loadSelectedMission = [this](World& fresh) {
            ++loads;
            fresh.missionIndex = menu().missionCursor;
            fresh.pilot.status = kStatusActive;
            fresh.objectiveText = "DESTROY 3 TARGETS";
        };
        session.setVolumes = [this](float sound, float music) { applied.emplace_back(sound, music); };
        session.setRelativeMouse = [this](bool on) { mouse.push_back(on); };
        script.shell = [this](const Input& input, float dt, bool select, bool back) {
            return shellFrame(input, dt, select, back);
        };
        menu().progression.rules.load(retail, 0);
    }

    // Frame loop steps 7 to 13, without the simulation.
    bool shellFrame(const Input& input, float dt, bool select, bool back) {
        select = selectAfterMissionEnd(session, input, select);
        const float sound = menu().soundVolume;
        const float music = menu().musicVolume;
        const bool deploy = menu().update(input, dt, select, back);
        if (deploy) deployMission(session, input);
        applyVolumeChange(session, sound, music);
        carryOutRequest(session);
        if (menu().screen == F::kPlaying) recordMissionResult(session, input);
        return deploy;
    }

    Frontend& menu() { return script.menu; }
    std::filesystem::path sb1Save() const { return session.savePath; }
    std::filesystem::path sb2Save() const { return folder.path() / "saves" / "campaign-sb2.json"; }
    json savedFile(const std::filesystem::path& path) const { return json::parse(readFile(path)); }

    // From the title: single player (row 0) or load (row 2), then the campaign.
    void chooseCampaign(int titleRow, int campaign) {
        script.open(F::kTitle, titleRow);
        script.release();  // a select held over from play
        script.select();
        menu().cursorRow = campaign;
        script.select();
    }
    // Mission selection, briefing, loadout and deploy.
    void deploySelected() {
        script.select();
        script.select();
        script.select();
    }
    void winMission() {
        world.pilot.status = kStatusWon;
        world.pilot.health = 50.0f;
        script.release();
    }

    TempFolder folder{"shell-requests"};
    std::filesystem::path retail = folder.path() / "retail";
    MenuScript script;
    World world;
    ClientConfig config;
    std::ostringstream err;
    ShellSession session{script.menu, world, config, err};
    int loads = 0;
    std::vector<std::pair<float, float>> applied;
    std::vector<bool> mouse;
};

TEST_F(ShellRequests, NewCampaignOverwritesTheOldSaveOnDeployAndMergesAfterwards) {
    writeText(sb1Save(), saveWith(0xFu, 4, "hard", {3, 1, 0, 0, 5, 5}).dump());
    menu().difficulty = 1;
    chooseCampaign(0, 0);
    EXPECT_EQ(menu().screen, F::kMissionSelection);
    EXPECT_EQ(menu().progression.completed, 0u);
    EXPECT_EQ(menu().missionCursor, 0);
    EXPECT_EQ(menu().difficulty, 0);
    EXPECT_TRUE(session.freshCampaign);
    EXPECT_EQ(loads, 0);

    deploySelected();
    ASSERT_EQ(menu().screen, F::kPlaying);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(world.missionIndex, 0);
    EXPECT_EQ(savedFile(sb1Save()), saveWith(0u, 0, "normal", {0, 1, 0, 0, 0, 0}));
    EXPECT_FALSE(session.freshCampaign);
    EXPECT_TRUE(menu().secondResultLine.empty());
    EXPECT_EQ(mouse, std::vector<bool>{true});

    // Another copy of the game completed mission 2 meanwhile: later saves merge.
    writeText(sb1Save(), saveWith(0x4u, 0, "normal", {0, 1, 0, 0, 0, 0}).dump());
    winMission();
    EXPECT_EQ(savedFile(sb1Save())["completed"], 0x5u);
}

TEST_F(ShellRequests, NewCampaignOverwritesACorruptSave) {
    writeText(sb2Save(), "{ not a save");
    chooseCampaign(0, 1);
    EXPECT_EQ(menu().campaignRow, 1);
    EXPECT_EQ(menu().progression.rules.campaign, 1);
    deploySelected();
    EXPECT_EQ(savedFile(sb2Save()), saveWith(0u, 0, "normal", {0, 1, 0, 0, 0, 0}, 1));
    EXPECT_EQ(err.str(), "");
}

TEST_F(ShellRequests, LoadRestoresProgressSelectionLoadoutAndDifficulty) {
    writeText(sb1Save(), saveWith(0xFu, 4, "hard", {3, 1, 0, 0, 5, 5}).dump());
    menu().skirmish = true;
    session.skirmishRecipe = json::object();
    chooseCampaign(2, 0);
    EXPECT_EQ(menu().screen, F::kMissionSelection);
    EXPECT_EQ(menu().progression.completed, 0xFu);
    EXPECT_EQ(menu().missionCursor, 4);
    EXPECT_EQ(menu().loadout, (Loadout{3, 1, 0, 0, 5, 5}));
    EXPECT_EQ(menu().difficulty, 1);
    EXPECT_FALSE(menu().skirmish);
    EXPECT_FALSE(session.skirmishRecipe.has_value());
    EXPECT_FALSE(session.freshCampaign);

    deploySelected();
    EXPECT_EQ(world.missionIndex, 4);
    EXPECT_EQ(world.difficulty, 1);
    EXPECT_EQ(savedFile(sb1Save()), saveWith(0xFu, 4, "hard", {3, 1, 0, 0, 5, 5}));
}

TEST_F(ShellRequests, DifficultyFromTheCommandLineOutlivesLoadAndNewCampaign) {
    writeText(sb1Save(), saveWith(0x0u, 0, "normal", {0, 1, 0, 0, 0, 0}).dump());
    session.difficultyChosen = true;
    menu().difficulty = 1;
    chooseCampaign(2, 0);
    EXPECT_EQ(menu().difficulty, 1);
    chooseCampaign(0, 0);
    EXPECT_EQ(menu().difficulty, 1);
    deploySelected();
    EXPECT_EQ(savedFile(sb1Save())["difficulty"], "hard");
}

TEST_F(ShellRequests, LoadWithoutASaveSaysSoAndStays) {
    for (const bool sandbox : {false, true}) {
        SCOPED_TRACE(sandbox);
        if (sandbox) session.savePath.clear();
        chooseCampaign(2, 1);
        EXPECT_EQ(menu().screen, F::kCampaignChoice);
        EXPECT_EQ(menu().notice, "NO SAVED GAME");
        EXPECT_EQ(menu().progression.rules.campaign, 1);
    }
}

TEST_F(ShellRequests, LoadOfABrokenSaveKeepsTheCurrentProgress) {
    menu().progression.completed = 0x3u;
    const std::string broken[] = {
        "{ not json",
        saveWith(0x10u, 0, "normal", {0, 1, 0, 0, 0, 0}, 1).dump(),
        saveWith(0x0u, 0, "easy", {0, 1, 0, 0, 0, 0}).dump(),
    };
    const char* messages[] = {"", "Campaign save violates mission prerequisites", "Invalid saved difficulty"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        err.str("");
        // Broken saves of either campaign: the SB1 progress being played stays.
        const int campaign = i % 2;
        writeText(campaign == 0 ? sb1Save() : sb2Save(), broken[i]);
        chooseCampaign(2, campaign);
        EXPECT_EQ(menu().screen, F::kCampaignChoice);
        EXPECT_EQ(menu().progression.completed, 0x3u);
        EXPECT_EQ(menu().progression.rules.campaign, 0);
        EXPECT_EQ(menu().campaignRow, 0);
        EXPECT_FALSE(menu().notice.empty());
        if (*messages[i]) {
            EXPECT_EQ(menu().notice, messages[i]);
        }
        EXPECT_EQ(err.str(), "Campaign save: " + menu().notice + "\n");
    }
}

TEST_F(ShellRequests, RestartRebuildsTheMissionAndClearsItsResult) {
    chooseCampaign(0, 0);
    deploySelected();
    world.pilot.health = 5.0f;
    menu().difficulty = 1;
    session.debriefShown = true;
    session.look.yaw = 0.4f;
    menu().resultLine = "OLD";
    menu().secondResultLine = "OLD";
    script.open(F::kMissionMenu, 1);
    script.select();
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(menu().screen, F::kPlaying);
    EXPECT_EQ(world.pilot.health, 100.0f);
    EXPECT_EQ(world.difficulty, 1);
    EXPECT_FALSE(session.debriefShown);
    EXPECT_EQ(session.look.yaw, 0.0f);
    EXPECT_TRUE(menu().resultLine.empty() && menu().secondResultLine.empty());
}

TEST_F(ShellRequests, AFailedRebuildLeavesTheCurrentWorld) {
    world.objectiveText = "CURRENT";
    session.loadSelectedMission = [](World&) { throw std::runtime_error("Missing decoded gameplay file: x"); };
    menu().request = F::kRestart;
    EXPECT_THROW(carryOutRequest(session), std::runtime_error);
    EXPECT_EQ(world.objectiveText, "CURRENT");
}

TEST_F(ShellRequests, AbortReturnsToTheScreenThatChoseTheMission) {
    struct Case {
        bool skirmish;
        bool prototype;
        F::Screen screen;
        bool keepGoing;
    };
    const Case cases[] = {
        {false, false, F::kMissionSelection, true},
        {true, false, F::kSkirmishSetup, true},
        {false, true, F::kMissionMenu, false},
    };
    for (const Case& c : cases) {
        menu().skirmish = c.skirmish;
        session.sources.prototype = c.prototype;
        session.keepGoing = true;
        world.pilot.missile.active = true;
        script.open(F::kMissionMenu, 2);
        script.select();
        EXPECT_EQ(menu().screen, c.screen);
        EXPECT_EQ(menu().cursorRow, 0);
        EXPECT_EQ(session.keepGoing, c.keepGoing);
        EXPECT_FALSE(world.pilot.missile.active);
    }
}

TEST_F(ShellRequests, SelfDestructKillsThePilotAndShowsPlay) {
    world.pilot.status = kStatusActive;
    world.pilot.weapons[2] = world.pilot.weapons[3] = kShield;
    script.open(F::kMissionMenu, 3);
    script.select();
    EXPECT_EQ(menu().screen, F::kPlaying);
    EXPECT_TRUE(world.pilot.dead);
    EXPECT_EQ(world.pilot.health, 0.0f);
    EXPECT_EQ(world.pilot.status, kStatusKilled);
}

TEST_F(ShellRequests, QuitFromTheTitleEndsTheLoop) {
    script.open(F::kTitle, 3);
    script.select();
    EXPECT_FALSE(session.keepGoing);
    EXPECT_EQ(menu().request, F::kNone);
}

TEST_F(ShellRequests, LeavingOutsideALobbyEndsOnlyAPrototype) {
    for (const bool prototype : {false, true}) {
        session.sources.prototype = prototype;
        session.keepGoing = true;
        script.open(F::kMissionMenu, 7);
        script.select();
        EXPECT_EQ(session.keepGoing, !prototype);
        EXPECT_EQ(menu().request, F::kNone);
    }
}

TEST_F(ShellRequests, AWonMissionIsRecordedSavedAndDebriefedOnce) {
    chooseCampaign(0, 0);
    deploySelected();
    winMission();
    EXPECT_EQ(menu().screen, F::kDebrief);
    EXPECT_EQ(menu().debriefMission, 0);
    EXPECT_EQ(menu().resultLine, "GRENADE UNLOCKED");
    EXPECT_EQ(menu().secondResultLine, "PROGRESS SAVED");
    EXPECT_TRUE(session.debriefShown);
    EXPECT_EQ(mouse.back(), false);
    EXPECT_EQ(savedFile(sb1Save()), saveWith(0x1u, 1, "normal", {0, 1, 0, 0, 0, 0}));

    // Later frames of the same mission record nothing more.
    menu().screen = F::kPlaying;
    std::filesystem::remove(sb1Save());
    script.release();
    EXPECT_FALSE(std::filesystem::exists(sb1Save()));

    // The debrief moves on to the next open mission.
    menu().screen = F::kDebrief;
    script.select();
    EXPECT_EQ(menu().screen, F::kMissionSelection);
    EXPECT_EQ(menu().missionCursor, 1);
}

TEST_F(ShellRequests, ReplayingARecordedMissionSaysSo) {
    writeText(sb1Save(), saveWith(0x1u, 1, "normal", {0, 1, 0, 0, 0, 0}).dump());
    chooseCampaign(2, 0);
    script.left();
    deploySelected();
    ASSERT_EQ(world.missionIndex, 0);
    winMission();
    EXPECT_EQ(menu().resultLine, "MISSION ALREADY RECORDED");
    EXPECT_EQ(menu().progression.selectedMission, 1);
    EXPECT_EQ(savedFile(sb1Save())["selected_mission"], 1);
}

TEST_F(ShellRequests, SandboxAndSkirmishWinsNeverSave) {
    for (const bool skirmish : {false, true}) {
        SCOPED_TRACE(skirmish);
        menu().sandbox = !skirmish;
        menu().skirmish = skirmish;
        world.proceduralMission.objectives.resize(3);
        world.proceduralMission.extractionRequired = true;
        world.proceduralMission.extracting = true;
        session.debriefShown = false;
        menu().screen = F::kPlaying;
        winMission();
        EXPECT_EQ(menu().screen, F::kDebrief);
        if (skirmish) {
            EXPECT_EQ(menu().resultLine, "SKIRMISH COMPLETE");
            EXPECT_EQ(menu().secondResultLine, "CAMPAIGN PROGRESS UNCHANGED");
            EXPECT_EQ(menu().statusLine, "3 OBJECTIVES COMPLETE / EXTRACTION COMPLETE");
        } else {
            EXPECT_EQ(menu().resultLine, "SANDBOX - PROGRESS NOT SAVED");
        }
        EXPECT_EQ(menu().progression.completed, 0u);
        EXPECT_FALSE(std::filesystem::exists(sb1Save().parent_path()));
    }
    // A skirmish deploy does not save either.
    chooseCampaign(0, 2);
    script.open(F::kBriefing);
    deploySelected();
    ASSERT_TRUE(menu().skirmish);
    EXPECT_EQ(menu().screen, F::kPlaying);
    EXPECT_FALSE(std::filesystem::exists(sb1Save().parent_path()));
}

TEST_F(ShellRequests, AFailedSaveIsReportedAndPlayGoesOn) {
    writeText(folder.path() / "saves", "a file where the save folder should be");
    chooseCampaign(0, 0);
    deploySelected();
    EXPECT_EQ(menu().screen, F::kPlaying);
    EXPECT_EQ(err.str().rfind("Campaign save: ", 0), 0u) << err.str();
    err.str("");
    winMission();
    EXPECT_EQ(menu().secondResultLine, "PROGRESS NOT SAVED");
    EXPECT_EQ(err.str().rfind("Campaign save: ", 0), 0u);
    EXPECT_EQ(err.str().back(), '\n');
    EXPECT_TRUE(session.freshCampaign);
}

TEST_F(ShellRequests, SkirmishSetupStartsFromFreshSettings) {
    session.skirmishRecipe = json::object();
    session.sources.prototype = true;
    session.sources.proceduralLayout = "layout.json";
    menu().skirmishSettings.mapBlocks = 8;
    menu().resultLine = menu().secondResultLine = menu().notice = "OLD";
    chooseCampaign(0, 2);
    const Frontend& f = menu();
    EXPECT_EQ(f.screen, F::kSkirmishSetup);
    EXPECT_TRUE(f.skirmish);
    EXPECT_EQ(f.cursorRow, 0);
    EXPECT_EQ(f.missionCursor, 0);
    EXPECT_EQ(f.loadout, (Loadout{0, 1, 6, 7, 2, 5}));
    Frontend defaults;
    defaults.skirmishSettings.seed = f.skirmishSettings.seed;
    EXPECT_EQ(f.skirmishRows(), defaults.skirmishRows());
    EXPECT_FALSE(session.skirmishRecipe.has_value());
    EXPECT_FALSE(session.sources.prototype);
    EXPECT_TRUE(session.sources.proceduralLayout.empty());
    EXPECT_TRUE(f.resultLine.empty() && f.secondResultLine.empty() && f.notice.empty() && f.statusLine.empty());
}

TEST_F(ShellRequests, SkirmishGenerationFailureStaysOnTheSetup) {
    world.objectiveText = "BACKDROP";
    chooseCampaign(0, 2);
    // Settings the generator refuses, then a generated recipe that cannot be
    // built from content without the decoded missions.
    session.loadSelectedMission = nullptr;
    menu().skirmishSettings.mapBlocks = 9;
    script.open(F::kSkirmishSetup, 9);
    script.select();
    EXPECT_EQ(menu().screen, F::kSkirmishSetup);
    EXPECT_EQ(menu().notice, "CHANGE SEED OR SETTINGS AND TRY AGAIN");
    EXPECT_EQ(err.str(), "Skirmish generation: Invalid Skirmish settings: map cells must be 2..8\n");
    EXPECT_EQ(world.objectiveText, "BACKDROP");
    err.str("");
    menu().skirmishSettings.mapBlocks = 4;
    script.select();
    EXPECT_EQ(menu().screen, F::kSkirmishSetup);
    EXPECT_EQ(err.str(), "Skirmish generation: Mission prototype requires both decoded games and the SB2 shared atlas\n");
    EXPECT_FALSE(session.skirmishRecipe.has_value());
    EXPECT_EQ(world.objectiveText, "BACKDROP");

    // A recipe generated but failing to load is dropped as well.
    err.str("");
    session.loadSelectedMission = [this](World&) {
        session.skirmishRecipe = json{{"seed", 1}};
        throw std::runtime_error("Invalid procedural recipe: bad");
    };
    script.select();
    EXPECT_EQ(err.str(), "Skirmish generation: Invalid procedural recipe: bad\n");
    EXPECT_FALSE(session.skirmishRecipe.has_value());
    EXPECT_EQ(world.objectiveText, "BACKDROP");
}

TEST_F(ShellRequests, AGeneratedSkirmishOpensItsBriefingAndIsKeptForRestarts) {
    int generated = 0;
    session.loadSelectedMission = [&](World&) {
        if (!session.skirmishRecipe) {
            ++generated;
            session.skirmishRecipe = json{{"seed", menu().skirmishSettings.seed}};
        }
    };
    chooseCampaign(0, 2);
    session.skirmishRecipe = json{{"seed", "stale"}};
    menu().notice = menu().resultLine = "OLD";
    script.open(F::kSkirmishSetup, 9);
    script.select();
    EXPECT_EQ(menu().screen, F::kBriefing);
    EXPECT_TRUE(menu().notice.empty() && menu().resultLine.empty());
    EXPECT_EQ(generated, 1);
    ASSERT_TRUE(session.skirmishRecipe.has_value());
    EXPECT_EQ((*session.skirmishRecipe)["seed"], menu().skirmishSettings.seed);

    script.open(F::kMissionMenu, 1);
    script.select();
    EXPECT_EQ(menu().screen, F::kPlaying);
    EXPECT_EQ(generated, 1);
}

TEST_F(ShellRequests, NoResultIsRecordedBeforeAWinOrInAPrototype) {
    world.missionIndex = 0;
    world.pilot.health = 50.0f;
    menu().screen = F::kPlaying;
    const auto recordedWith = [&](int status, bool dead, bool prototype) {
        world.pilot.status = status;
        world.pilot.dead = dead;
        session.sources.prototype = prototype;
        recordMissionResult(session, Input{});
        return menu().screen != F::kPlaying || session.debriefShown || menu().progression.completed != 0u;
    };
    EXPECT_FALSE(recordedWith(kStatusActive, false, false));
    EXPECT_FALSE(recordedWith(kStatusLost, false, false));
    EXPECT_FALSE(recordedWith(kStatusWon, true, false));
    EXPECT_FALSE(recordedWith(kStatusWon, false, true));
    EXPECT_TRUE(recordedWith(kStatusWon, false, false));
}

TEST_F(ShellRequests, MissionMenuTogglesAndNamesTheGeneratedMission) {
    world.pilot.status = kStatusActive;
    struct Case {
        bool skirmish;
        bool prototype;
        const char* status;
    };
    const Case cases[] = {
        {false, false, "KEPT"},
        {true, false, "SKIRMISH / SEED 4000000000 / DESTROY 3 TARGETS"},
        {false, true, "SEED 77 / DESTROY 3 TARGETS"},
    };
    world.objectiveText = "DESTROY 3 TARGETS";
    menu().skirmishSettings.seed = 4000000000u;
    session.sources.prototypeSeed = 77;
    for (const Case& c : cases) {
        menu().skirmish = c.skirmish;
        session.sources.prototype = c.prototype;
        menu().statusLine = "KEPT";
        session.look.yaw = session.look.pitch = 0.3f;
        mouse.clear();
        script.open(F::kPlaying, 4);
        toggleMissionMenu(session);
        EXPECT_EQ(menu().screen, F::kMissionMenu);
        EXPECT_EQ(menu().cursorRow, 0);
        EXPECT_EQ(menu().statusLine, c.status);
        EXPECT_EQ(session.look.yaw + session.look.pitch, 0.0f);
        toggleMissionMenu(session);
        EXPECT_EQ(menu().screen, F::kPlaying);
        EXPECT_EQ(mouse, (std::vector<bool>{false, true}));
    }

    // An ejecting pilot has no menu; a frame-limited run never grabs the mouse.
    world.pilot.status = kStatusKilled;
    toggleMissionMenu(session);
    EXPECT_EQ(menu().screen, F::kPlaying);
    session.frameLimited = true;
    menu().screen = F::kMissionMenu;
    mouse.clear();
    toggleMissionMenu(session);
    EXPECT_EQ(menu().screen, F::kPlaying);
    EXPECT_TRUE(mouse.empty());
}

TEST_F(ShellRequests, ASelectHeldWhileTheMenuOpensDoesNotActOnIt) {
    world.pilot.status = kStatusActive;
    menu().screen = F::kPlaying;
    toggleMissionMenu(session);
    script.frame(Input{}, true);
    EXPECT_EQ(menu().screen, F::kMissionMenu);
    script.release();
    script.select();
    EXPECT_EQ(menu().screen, F::kPlaying);
}

TEST_F(ShellRequests, SelectAfterTheMissionEndsLeavesPlay) {
    struct Case {
        int status;
        bool skirmish;
        bool prototype;
        F::Screen screen;
        bool swallowed;
    };
    const Case cases[] = {
        {kStatusWon, false, false, F::kMissionSelection, true},
        {kStatusWon, true, false, F::kSkirmishSetup, true},
        {kStatusLost, false, false, F::kMissionSelection, true},
        {kStatusLost, true, false, F::kSkirmishSetup, true},
        {kStatusLost, false, true, F::kPlaying, true},
        {kStatusActive, false, false, F::kPlaying, false},
        {kStatusKilled, false, false, F::kPlaying, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        menu().screen = F::kPlaying;
        menu().skirmish = c.skirmish;
        session.sources.prototype = c.prototype;
        session.keepGoing = true;
        world.pilot.status = c.status;
        EXPECT_EQ(selectAfterMissionEnd(session, Input{}, true), !c.swallowed);
        EXPECT_EQ(menu().screen, c.screen);
        EXPECT_EQ(session.keepGoing, !c.prototype);
    }
    // Only a focused frame with the head present, and only on the playing screen.
    world.pilot.status = kStatusWon;
    Input unfocused;
    unfocused.focused = false;
    EXPECT_TRUE(selectAfterMissionEnd(session, unfocused, true));
    menu().screen = F::kMissionMenu;
    EXPECT_TRUE(selectAfterMissionEnd(session, Input{}, true));
    EXPECT_FALSE(selectAfterMissionEnd(session, Input{}, false));
}

TEST_F(ShellRequests, VolumeChangesAreAppliedAndSaved) {
    writeText(session.configPath, R"({"player_name": "Ace"})");
    menu().soundVolume = 0.5f;
    script.open(F::kMissionMenu, 5);
    script.right();
    EXPECT_EQ(applied, (std::vector<std::pair<float, float>>{{0.55f, 1.0f}}));
    EXPECT_EQ(config.soundVolume, 0.55f);
    EXPECT_EQ(menu().audioLine, "AUDIO SETTINGS SAVED");
    EXPECT_EQ(readFile(session.configPath),
              "{\n"
              "  \"music_volume\": 1.0,\n"
              "  \"player_name\": \"Ace\",\n"
              "  \"sound_volume\": 0.550000011920929\n"
              "}\n");

    // Unchanged volumes write nothing.
    std::filesystem::remove(session.configPath);
    script.down();
    script.release();
    EXPECT_EQ(applied.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(session.configPath));
}

TEST_F(ShellRequests, AVolumeThatCannotBeSavedStaysApplied) {
    writeText(folder.path() / "settings", "a file where the folder should be");
    menu().musicVolume = 0.0f;
    script.open(F::kMissionMenu, 6);
    script.right();
    EXPECT_EQ(applied, (std::vector<std::pair<float, float>>{{1.0f, 0.05f}}));
    EXPECT_EQ(menu().audioLine, "AUDIO SETTINGS NOT SAVED");
    EXPECT_EQ(err.str().rfind("Audio settings: ", 0), 0u) << err.str();

    // A NaN volume counts as a change and is refused by the save.
    err.str("");
    std::filesystem::remove(folder.path() / "settings");
    menu().soundVolume = std::numeric_limits<float>::quiet_NaN();
    applyVolumeChange(session, menu().soundVolume, menu().musicVolume);
    EXPECT_EQ(err.str(), "Audio settings: Invalid audio volume\n");
    EXPECT_FALSE(std::filesystem::exists(session.configPath));
}

}  // namespace
}  // namespace bastion
