#include <chrono>
#include <exception>

#include "shell/requests.h"

namespace bastion {
namespace {

// A seed that differs from run to run, from the steady clock's tick count.
u32 clockSeed() {
    const auto ticks = static_cast<u64>(std::chrono::steady_clock::now().time_since_epoch().count());
    return static_cast<u32>(ticks) ^ static_cast<u32>(ticks >> 32);
}

}  // namespace

void openSkirmishSetup(ShellSession& session) {
    Frontend& frontend = session.frontend;
    if (session.coop.active()) leaveCoop(session);
    frontend.skirmish = true;
    frontend.skirmishSettings = SkirmishSettings{};
    frontend.skirmishSettings.seed = clockSeed();
    session.skirmishRecipe.reset();
    session.sources.prototype = false;
    session.sources.proceduralLayout.clear();
    frontend.statusLine.clear();
    frontend.missionCursor = 0;
    frontend.loadout = {kEmptyHand, kRifle, kRail, kShield, kRocketLauncher, kGrenadeRack};
    frontend.screen = Frontend::kSkirmishSetup;
    frontend.cursorRow = 0;
    frontend.notice.clear();
    frontend.secondResultLine.clear();
    frontend.resultLine.clear();
}

void generateSkirmish(ShellSession& session) {
    Frontend& frontend = session.frontend;
    try {
        // The mission setup generates the recipe when none is held.
        session.skirmishRecipe.reset();
        World fresh = buildMissionWorld(session);
        session.world = std::move(fresh);
        frontend.screen = Frontend::kBriefing;
        frontend.notice.clear();
        frontend.resultLine.clear();
    } catch (const std::exception& error) {
        session.skirmishRecipe.reset();
        frontend.screen = Frontend::kSkirmishSetup;
        frontend.notice = "CHANGE SEED OR SETTINGS AND TRY AGAIN";
        session.err << "Skirmish generation: " << error.what() << '\n';
    }
}

}  // namespace bastion
