#pragma once

#include <string>

#include <GL/glew.h>

namespace bastion {

// Compiles one shader stage from one source string. Returns the shader name,
// or 0 after storing the compiler's info log in `log` (the stage is deleted).
GLuint compileStage(GLenum type, const char* source, std::string& log);

// Makes a program of the two stages, links it and deletes both stages.
// Returns the program name, or 0 when it does not link (the program is
// deleted).
GLuint linkStages(GLuint vertex, GLuint fragment);

// Makes a vertex array and a buffer holding `bytes` bytes of `data` (static
// draw) and leaves both bound, ready for the attribute layout.
void createStaticVertices(const void* data, GLsizeiptr bytes, GLuint& vertexArray, GLuint& buffer);

}  // namespace bastion
