#pragma once

#include <ostream>

namespace bastion {

struct Startup;

// Start-up from SDL video on, the frame loop and shutdown: the window and
// OpenGL, the renderer, the audio side, the first World with its mission,
// then frames until the loop ends, then the exit summary on `out` and the
// release of everything in reverse order. Failures throw.
void runGame(Startup& state, std::ostream& out, std::ostream& err);

}  // namespace bastion
