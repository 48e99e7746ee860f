#pragma once

#include <GL/glew.h>

namespace bastion {

// Compiles one shader stage from one source string and returns its name.
// A stage that does not compile is deleted and its info log, unchanged, is
// thrown as std::runtime_error.
GLuint compileShader(GLenum type, const char* source);

}  // namespace bastion
