// Feeds received co-op documents to the codecs' readers. The first byte picks
// the reader (input, pilot, world snapshot); the rest is the JSON document.
// An accepted input drives a step of a loaded demo mission, as the lobby
// room would; an accepted snapshot is applied to that mission.
#include <cstddef>
#include <cstdint>

#include "coop/internal/input_codec.h"
#include "coop/internal/world_codec.h"
#include "coop/pilot_codec.h"
#include "demo_tree.h"
#include "fuzz_verdict.h"
#include "json_mutator.h"
#include "world/world.h"

namespace {

bastion::World& demoMission() {
    static bastion::World world = [] {
        bastion::World loaded;
        loaded.loadMission(bastion::fuzzing::demoTree(), 0, 0, true);
        return loaded;
    }();
    return world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const nlohmann::json document = nlohmann::json::parse(data + 1, data + size, nullptr, false);
    if (document.is_discarded()) return 0;
    bastion::World& world = demoMission();
    switch (data[0] % 3) {
        case 0:
            bastion::fuzzing::refuseOrPass([&] {
                const bastion::Input input = bastion::coop::inputRead(document);
                world.step(input, 0.05f, false);
            });
            break;
        case 1:
            bastion::fuzzing::refuseOrPass([&] {
                bastion::Pilot pilot;
                bastion::coop::pilotRead(document, pilot);
            });
            break;
        default:
            bastion::fuzzing::refuseOrPass([&] { bastion::coop::worldRead(document, world); });
            world.sounds.clear();
            break;
    }
    return 0;
}
