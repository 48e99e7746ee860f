// Feeds a decoded mission document to World::loadMission through the file it
// reads, then steps the loaded mission so that faults which only show in play
// are caught too. The first byte picks campaign (bit 0), mission index (bits
// 1-6) and, for SB1, the shared folder of the second campaign that the game
// reads SB1 from (bit 7); the rest is that "missions.json".
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "demo_tree.h"
#include "fuzz_verdict.h"
#include "json_mutator.h"
#include "world/internal/mission_file.h"
#include "world/world.h"

namespace {

void play(bastion::World& world) {
    bastion::Input input;
    for (int frame = 0; frame < 8; ++frame) world.step(input, 0.05f, true);
    input.axes[1] = 1.0f;
    for (bool& fire : input.fire) fire = true;
    for (int frame = 0; frame < 8; ++frame) {
        input.fire[frame % 6] = frame % 2 == 0;
        world.step(input, 0.05f, true);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::filesystem::path& root = bastion::fuzzing::demoTree();
    const int campaign = data[0] & 1;
    const int count = campaign == 1 ? bastion::kSB2MissionCount : bastion::kSB1MissionCount;
    const int mission = ((data[0] >> 1) & 63) % count;
    const bool shared = campaign == 0 && (data[0] & 0x80) != 0;
    bastion::fuzzing::writeFile(bastion::missionFilePath(root, campaign, shared),
                                reinterpret_cast<const char*>(data + 1), size - 1);

    bastion::World world;
    bool loaded = false;
    bastion::fuzzing::refuseOrPass([&] {
        world.loadMission(root, mission, campaign, shared);
        loaded = true;
    });
    if (!loaded) return 0;
    // A mission that loaded must run: nothing may throw from here on.
    try {
        play(world);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Loaded mission failed in play: %s\n", error.what());
        std::abort();
    }
    return 0;
}
