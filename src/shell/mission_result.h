#pragma once

#include <functional>

namespace bastion {

struct Frontend;
struct Input;
class World;

// Records a won single-player mission once: the result lines, the next
// selected mission and the loadout in the progression, `save` unless in
// sandbox or skirmish play, then the debrief. Returns true when the result
// was handled this frame (the caller then marks the debrief shown). Does
// nothing in prototype play, before the win, for a dead pilot, or when the
// debrief was already shown.
bool recordMissionResult(Frontend& frontend, const World& world, const Input& input, bool prototype,
                         bool debriefShown, const std::function<void()>& save);

}  // namespace bastion
