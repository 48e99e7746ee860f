#include "xr/internal/xr_platform.h"

#include <stdexcept>

#include <SDL.h>
#include <SDL_syswm.h>

namespace xr_platform {

Binding::Binding(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        throw std::runtime_error("OpenXR requires an SDL X11/GLX window");
    }
    // The context current on this thread, not one looked up from the window.
    Display* display = glXGetCurrentDisplay();
    GLXContext context = glXGetCurrentContext();
    GLXDrawable drawable = glXGetCurrentDrawable();
    if (display == nullptr || context == nullptr || drawable == 0) throw std::runtime_error("No current GLX context");
    int configId = 0;
    int screen = 0;
    glXQueryContext(display, context, GLX_FBCONFIG_ID, &configId);
    glXQueryContext(display, context, GLX_SCREEN, &screen);
    const int attributes[] = {GLX_FBCONFIG_ID, configId, None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display, screen, attributes, &count);
    if (configs == nullptr || count < 1) {
        if (configs != nullptr) XFree(configs);
        throw std::runtime_error("No current GLX context");
    }
    int visual = 0;
    glXGetFBConfigAttrib(display, configs[0], GLX_VISUAL_ID, &visual);
    graphics.xDisplay = display;
    graphics.visualid = static_cast<std::uint32_t>(visual);
    graphics.glxFBConfig = configs[0];
    graphics.glxDrawable = drawable;
    graphics.glxContext = context;
    XFree(configs);
}

}  // namespace xr_platform
