// Plays the built program with real key presses and reads what it leaves
// behind: its files, its exit code and its output.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "keyboard_game.h"
#include "support/content/files.h"
#include "support/temp_folder.h"

namespace bastion {
namespace {

using namespace std::chrono_literals;

class KeyboardRun : public testing::Test {
protected:
    testing_support::TempFolder temp{"keyboard-run"};
    std::filesystem::path home = temp.path() / "home";
    std::filesystem::path config = temp.path() / "config.json";
    KeyboardGame game;

    void start(const std::vector<std::string>& args) {
        std::filesystem::create_directories(home);
        std::vector<std::string> all = {"--config", config.string()};
        all.insert(all.end(), args.begin(), args.end());
        game.start(all, {"SDL_AUDIODRIVER=dummy", "HOME=" + home.string()}, temp.path() / "run");
    }
    void press(const std::string& key) { game.press(key); }
    ProgramRun finish() { return game.finish(); }
};

TEST_F(KeyboardRun, SoundVolumeFromTheMissionMenuIsWrittenToTheConfiguration) {
    testing_support::writeFile(config, R"({"player_name": "Ace", "music_volume": 0.5})");
    ASSERT_NO_FATAL_FAILURE(start({"--fixture", "--screen", "playing"}));
    press("Escape");  // the in-mission menu
    for (int row = 0; row < 5; ++row) press("Down");
    press("Left");  // sound volume 1.0 -> 0.95
    const std::string before = R"({"player_name": "Ace", "music_volume": 0.5})";
    for (int wait = 0; wait < 100 && testing_support::readFile(config) == before; ++wait) {
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(testing_support::readFile(config),
              "{\n"
              "  \"music_volume\": 0.5,\n"
              "  \"player_name\": \"Ace\",\n"
              "  \"sound_volume\": 0.949999988079071\n"
              "}\n");
    press("ctrl+w");
    expectSummary(finish());
}

TEST_F(KeyboardRun, ExitOnTheTitleMenuEndsWithTheSummary) {
    testing_support::writeFile(config, "{}");
    ASSERT_NO_FATAL_FAILURE(start({"--fixture"}));
    press("Up");  // from the first row to the last: exit
    press("Return");
    const ProgramRun result = finish();
    expectSummary(result);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(testing_support::readFile(config), "{}");
}

}  // namespace
}  // namespace bastion
