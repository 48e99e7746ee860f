#include <cstring>
#include <iostream>
#include <stdexcept>
#include <vector>

#include "xr/internal/xr_impl.h"
#include "xr/internal/xr_platform.h"

namespace vant {
namespace {

constexpr std::int64_t kRgba8 = 0x8058;
constexpr std::int64_t kSrgb8Alpha8 = 0x8C43;
constexpr const char* kTouchPro = "XR_FB_touch_controller_pro";

std::int64_t chooseFormat(const std::vector<std::int64_t>& formats) {
    for (std::int64_t wanted : {kRgba8, kSrgb8Alpha8}) {
        for (std::int64_t format : formats) {
            if (format == wanted) return format;
        }
    }
    throw std::runtime_error("No supported OpenGL RGBA swapchain format");
}

void createEye(XR::Impl& x, XR::Impl::Eye& e, const XrViewConfigurationView& view, std::int64_t format) {
    e.width = static_cast<std::int32_t>(view.recommendedImageRectWidth);
    e.height = static_cast<std::int32_t>(view.recommendedImageRectHeight);
    XrSwapchainCreateInfo sc{XR_TYPE_SWAPCHAIN_CREATE_INFO};
    sc.usageFlags = XR_SWAPCHAIN_USAGE_COLOR_ATTACHMENT_BIT;
    sc.format = format;
    sc.sampleCount = 1;
    sc.width = view.recommendedImageRectWidth;
    sc.height = view.recommendedImageRectHeight;
    sc.faceCount = 1;
    sc.arraySize = 1;
    sc.mipCount = 1;
    check(xrCreateSwapchain(x.session, &sc, &e.chain), "xrCreateSwapchain(x.session, &sc, &e.chain)");
    std::uint32_t n = 0;
    check(xrEnumerateSwapchainImages(e.chain, 0, &n, nullptr), "xrEnumerateSwapchainImages(e.chain, 0, &n, nullptr)");
    e.images.assign(n, XrSwapchainImageOpenGLKHR{XR_TYPE_SWAPCHAIN_IMAGE_OPENGL_KHR});
    check(xrEnumerateSwapchainImages(e.chain, n, &n, reinterpret_cast<XrSwapchainImageBaseHeader*>(e.images.data())),
          "xrEnumerateSwapchainImages( e.chain, n, &n, reinterpret_cast<XrSwapchainImageBaseHeader *>(e.images.data()))");
    e.images.resize(n);
    glGenRenderbuffers(1, &e.depth);
    glBindRenderbuffer(GL_RENDERBUFFER, e.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, e.width, e.height);
}

}  // namespace

void XR::initialize(SDL_Window* window) {
    Impl& x = *impl_;
    x.window = window;
    const xr_platform::Binding binding(window);

    std::uint32_t extensionCount = 0;
    check(xrEnumerateInstanceExtensionProperties(nullptr, 0, &extensionCount, nullptr),
          "xrEnumerateInstanceExtensionProperties(nullptr, 0, &extensionCount, nullptr)");
    std::vector<XrExtensionProperties> available(extensionCount, XrExtensionProperties{XR_TYPE_EXTENSION_PROPERTIES});
    check(xrEnumerateInstanceExtensionProperties(nullptr, extensionCount, &extensionCount, available.data()),
          "xrEnumerateInstanceExtensionProperties(nullptr, extensionCount, &extensionCount, available.data())");
    available.resize(extensionCount);

    // A runtime without the OpenGL extension fails at instance creation.
    std::vector<const char*> extensions{XR_KHR_OPENGL_ENABLE_EXTENSION_NAME};
    x.touchPro = false;
    for (const XrExtensionProperties& extension : available) {
        if (std::strcmp(extension.extensionName, kTouchPro) == 0) x.touchPro = true;
    }
    if (x.touchPro) extensions.push_back(kTouchPro);

    XrInstanceCreateInfo ci{XR_TYPE_INSTANCE_CREATE_INFO};
    std::strncpy(ci.applicationInfo.applicationName, "Stormbastion XR Foundation", XR_MAX_APPLICATION_NAME_SIZE - 1);
    ci.applicationInfo.apiVersion = XR_MAKE_VERSION(1, 0, 0);
    ci.enabledExtensionCount = static_cast<std::uint32_t>(extensions.size());
    ci.enabledExtensionNames = extensions.data();
    check(xrCreateInstance(&ci, &x.instance), "xrCreateInstance(&ci, &x.instance)");

    XrInstanceProperties properties{XR_TYPE_INSTANCE_PROPERTIES};
    check(xrGetInstanceProperties(x.instance, &properties), "xrGetInstanceProperties(x.instance, &properties)");
    x.runtime = properties.runtimeName;

    XrSystemGetInfo si{XR_TYPE_SYSTEM_GET_INFO};
    si.formFactor = XR_FORM_FACTOR_HEAD_MOUNTED_DISPLAY;
    check(xrGetSystem(x.instance, &si, &x.system), "xrGetSystem(x.instance, &si, &x.system)");

    PFN_xrGetOpenGLGraphicsRequirementsKHR requirementsFn = nullptr;
    check(xrGetInstanceProcAddr(x.instance, xr_platform::requirementsName,
                                reinterpret_cast<PFN_xrVoidFunction*>(&requirementsFn)),
          "xrGetInstanceProcAddr(x.instance, xr_platform::requirementsName, reinterpret_cast<PFN_xrVoidFunction "
          "*>(&requirementsFn))");
    XrGraphicsRequirementsOpenGLKHR requirements{XR_TYPE_GRAPHICS_REQUIREMENTS_OPENGL_KHR};
    check(requirementsFn(x.instance, x.system, &requirements), "requirementsFn(x.instance, x.system, &requirements)");

    GLint major = 0;
    GLint minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    const XrVersion version = XR_MAKE_VERSION(major, minor, 0);
    if (version < requirements.minApiVersionSupported || version > requirements.maxApiVersionSupported) {
        throw std::runtime_error("OpenGL version is outside the OpenXR runtime's supported range");
    }

    XrSessionCreateInfo sessionInfo{XR_TYPE_SESSION_CREATE_INFO};
    sessionInfo.next = &binding.graphics;
    sessionInfo.systemId = x.system;
    check(xrCreateSession(x.instance, &sessionInfo, &x.session), "xrCreateSession(x.instance, &sessionInfo, &x.session)");

    XrReferenceSpaceCreateInfo ri{XR_TYPE_REFERENCE_SPACE_CREATE_INFO};
    ri.referenceSpaceType = XR_REFERENCE_SPACE_TYPE_LOCAL;
    ri.poseInReferenceSpace.orientation.w = 1.0f;
    check(xrCreateReferenceSpace(x.session, &ri, &x.space), "xrCreateReferenceSpace(x.session, &ri, &x.space)");

    std::uint32_t n = 0;
    check(xrEnumerateEnvironmentBlendModes(x.instance, x.system, XR_VIEW_CONFIGURATION_TYPE_PRIMARY_STEREO, 0, &n,
                                           nullptr),
          "xrEnumerateEnvironmentBlendModes( x.instance, x.system, XR_VIEW_CONFIGURATION_TYPE_PRIMARY_STEREO, 0, &n, "
          "nullptr)");
    std::vector<XrEnvironmentBlendMode> blends(n);
    check(xrEnumerateEnvironmentBlendModes(x.instance, x.system, XR_VIEW_CONFIGURATION_TYPE_PRIMARY_STEREO, n, &n,
                                           blends.data()),
          "xrEnumerateEnvironmentBlendModes( x.instance, x.system, XR_VIEW_CONFIGURATION_TYPE_PRIMARY_STEREO, n, &n, "
          "blends.data())");
    if (n == 0) throw std::runtime_error("No OpenXR blend modes");
    x.blendMode = blends[0];

    check(xrEnumerateSwapchainFormats(x.session, 0, &n, nullptr), "xrEnumerateSwapchainFormats(x.session, 0, &n, nullptr)");
    std::vector<std::int64_t> formats(n);
    check(xrEnumerateSwapchainFormats(x.session, n, &n, formats.data()),
          "xrEnumerateSwapchainFormats(x.session, n, &n, formats.data())");
    formats.resize(n);
    const std::int64_t format = chooseFormat(formats);

    check(xrEnumerateViewConfigurationViews(x.instance, x.system, XR_VIEW_CONFIGURATION_TYPE_PRIMARY_STEREO, 0, &n,
                                            nullptr),
          "xrEnumerateViewConfigurationViews( x.instance, x.system, XR_VIEW_CONFIGURATION_TYPE_PRIMARY_STEREO, 0, &n, "
          "nullptr)");
    std::vector<XrViewConfigurationView> views(n, XrViewConfigurationView{XR_TYPE_VIEW_CONFIGURATION_VIEW});
    check(xrEnumerateViewConfigurationViews(x.instance, x.system, XR_VIEW_CONFIGURATION_TYPE_PRIMARY_STEREO, n, &n,
                                            views.data()),
          "xrEnumerateViewConfigurationViews( x.instance, x.system, XR_VIEW_CONFIGURATION_TYPE_PRIMARY_STEREO, n, &n, "
          "views.data())");
    if (n != 2) throw std::runtime_error("Prototype requires stereo OpenXR views");

    x.eyes.resize(2);
    for (std::size_t eye = 0; eye < 2; ++eye) createEye(x, x.eyes[eye], views[eye], format);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);

    initializeActions();

    glGenFramebuffers(1, &x.framebuffer);
    std::cerr << "OpenXR initialized: " << x.runtime << " / " << x.eyes[0].width << "x" << x.eyes[0].height
              << " per eye\n";
}

}  // namespace vant
