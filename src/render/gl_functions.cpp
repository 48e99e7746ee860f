#include "render/gl_functions.h"

#include <stdexcept>

#include <GL/glew.h>

namespace bastion {

void loadGlFunctions() {
    glewExperimental = GL_TRUE;
    const GLenum status = glewInit();
    // A context made through EGL (SDL falls back to it on X servers without a
    // usable GLX, and uses it on Wayland) has no GLX display; the GL entry
    // points are loaded all the same, and no GLX extension is used here.
    if (status != GLEW_OK && status != GLEW_ERROR_NO_GLX_DISPLAY) {
        throw std::runtime_error(reinterpret_cast<const char*>(glewGetErrorString(status)));
    }
    if (!GLEW_VERSION_3_3) throw std::runtime_error("OpenGL 3.3 is required");
    // GLEW's probing of a core context may leave errors behind.
    while (glGetError() != GL_NO_ERROR) {
    }
}

}  // namespace bastion
