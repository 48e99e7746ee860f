#pragma once
// Internal to the xr library: the graphics binding of the OpenXR session,
// taken from the GLX context current on the calling thread.

#include "xr/internal/openxr_gl.h"

struct SDL_Window;

namespace xr_platform {

inline constexpr const char* requirementsName = "xrGetOpenGLGraphicsRequirementsKHR";

// Needs an SDL window on X11 ("OpenXR requires an SDL X11/GLX window") and a
// current GLX context ("No current GLX context").
struct Binding {
    explicit Binding(SDL_Window* window);
    XrGraphicsBindingOpenGLXlibKHR graphics{XR_TYPE_GRAPHICS_BINDING_OPENGL_XLIB_KHR};
};

}  // namespace xr_platform
