#include "world/target_consequences.h"

namespace bastion {

// The mission rules are not played yet: a destroyed target only explodes.
void targetConsequences(World&, Target&) {}

}  // namespace bastion
