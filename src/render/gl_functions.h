#pragma once

namespace bastion {

// Loads the OpenGL entry points for the context current on this thread and
// checks that it offers version 3.3. Throws std::runtime_error with GLEW's
// text, or "OpenGL 3.3 is required".
void loadGlFunctions();

}  // namespace bastion
