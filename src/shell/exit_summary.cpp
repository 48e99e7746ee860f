#include "shell/exit_summary.h"

#include <sstream>

#include "world/world.h"

namespace bastion {

std::string exitSummary(int frames, const World& world) {
    constexpr float kPi = 3.14159265f;
    std::ostringstream line;
    line << "Frames=" << frames << " destroyed=" << static_cast<unsigned>(world.kills)
         << " torso_degrees=" << world.pilot.angles[1] * 180.0f / kPi << '\n';
    return line.str();
}

}  // namespace bastion
