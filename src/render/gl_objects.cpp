#include "render/internal/gl_objects.h"

namespace bastion {

GLuint compileStage(GLenum type, const char* source, std::string& log) {
    const GLuint stage = glCreateShader(type);
    glShaderSource(stage, 1, &source, nullptr);
    glCompileShader(stage);
    GLint compiled = GL_FALSE;
    glGetShaderiv(stage, GL_COMPILE_STATUS, &compiled);
    if (compiled == GL_TRUE) return stage;

    char buffer[2048] = {};
    glGetShaderInfoLog(stage, sizeof buffer, nullptr, buffer);
    log = buffer;
    glDeleteShader(stage);
    return 0;
}

GLuint linkStages(GLuint vertex, GLuint fragment) {
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == GL_TRUE) return program;
    glDeleteProgram(program);
    return 0;
}

void createStaticVertices(const void* data, GLsizeiptr bytes, GLuint& vertexArray, GLuint& buffer) {
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, bytes, data, GL_STATIC_DRAW);
}

}  // namespace bastion
