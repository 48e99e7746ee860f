#pragma once

#include <filesystem>
#include <vector>

#include "world/target.h"

// Internal to the procedural library: the objects and units a procedural
// layout is furnished and populated with.
namespace bastion {

class World;

namespace layout {

struct Templates {
    std::vector<Target> actors;   // enemy units, handed to the encounters
    std::vector<Target> scenery;  // one static object per campaign and object type
};

// From a World holding the mission prototype: its placed actors and its
// distinct scenery; then SB1's first-mission scenery, and with `aircraft` the
// first SB1 and SB2 aircraft. Throws "Missing procedural aircraft template"
// and "Missing procedural templates".
Templates gatherTemplates(const World& prototype, const std::filesystem::path& root, bool aircraft);

}  // namespace layout
}  // namespace bastion
