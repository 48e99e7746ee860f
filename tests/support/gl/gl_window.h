#pragma once

namespace bastion::testing_support {

// A hidden SDL window with a current OpenGL 3.3 core context and GLEW loaded,
// made on first use and kept until the program exits. Throws std::runtime_error
// with SDL's or GLEW's message when no display or context is available.
void requireGlContext();

}  // namespace bastion::testing_support
