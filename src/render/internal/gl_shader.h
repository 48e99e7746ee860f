#pragma once

#include <GL/glew.h>

namespace bastion {

// Compiles one shader stage from one source string and returns its name.
// A stage that does not compile is deleted and its info log, unchanged, is
// thrown as std::runtime_error.
GLuint compile(GLenum type, const char* source);

// Compiles both stages as compile does and links them into a program;
// a program that does not link is deleted and `linkFailure` is thrown.
GLuint buildProgram(const char* vertexSource, const char* fragmentSource, const char* linkFailure);

}  // namespace bastion
