#include "render/gl_shader.h"

#include <stdexcept>
#include <string>

#include "render/gl_objects.h"

namespace bastion {

GLuint compileShader(GLenum type, const char* source) {
    std::string log;
    const GLuint stage = compileStage(type, source, log);
    if (stage == 0) throw std::runtime_error(log);
    return stage;
}

}  // namespace bastion
