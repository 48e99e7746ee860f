#pragma once
// Internal to the xr library: OpenXR's OpenGL and Xlib/GLX declarations in
// the one include order they need (GLEW before any GL header, X11 and GLX
// before the platform header).

#include <GL/glew.h>

#include <GL/glx.h>
#include <X11/Xlib.h>

#define XR_USE_GRAPHICS_API_OPENGL
#define XR_USE_PLATFORM_XLIB
#include <openxr/openxr.h>
#include <openxr/openxr_platform.h>
