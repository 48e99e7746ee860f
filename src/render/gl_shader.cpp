#include "render/internal/gl_shader.h"

#include <stdexcept>
#include <string>

#include "render/internal/gl_objects.h"

namespace bastion {

GLuint compile(GLenum type, const char* source) {
    std::string log;
    const GLuint stage = compileStage(type, source, log);
    if (stage == 0) throw std::runtime_error(log);
    return stage;
}

GLuint buildProgram(const char* vertexSource, const char* fragmentSource, const char* linkFailure) {
    const GLuint vertex = compile(GL_VERTEX_SHADER, vertexSource);
    GLuint fragment = 0;
    try {
        fragment = compile(GL_FRAGMENT_SHADER, fragmentSource);
    } catch (...) {
        glDeleteShader(vertex);
        throw;
    }
    const GLuint program = linkStages(vertex, fragment);
    if (program == 0) throw std::runtime_error(linkFailure);
    return program;
}

}  // namespace bastion
