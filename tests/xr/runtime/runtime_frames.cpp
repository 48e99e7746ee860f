#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <GL/gl.h>

#include "runtime_state.h"

namespace test_runtime {
namespace {

using nlohmann::json;

constexpr XrTime kFirstDisplayTime = 1000000000;
constexpr XrDuration kPeriod = 11111111;

XrVector3f vector3(const json& value, XrVector3f fallback) {
    if (!value.is_array() || value.size() != 3) return fallback;
    return {value[0].get<float>(), value[1].get<float>(), value[2].get<float>()};
}

XrQuaternionf quaternion(const json& value) {
    if (!value.is_array() || value.size() != 4) return {0, 0, 0, 1};
    return {value[0].get<float>(), value[1].get<float>(), value[2].get<float>(), value[3].get<float>()};
}

XRAPI_ATTR XrResult XRAPI_CALL swapchainFormats(XrSession, std::uint32_t capacity, std::uint32_t* count,
                                                std::int64_t* out) {
    const std::vector<std::int64_t> formats =
        state().script.value("formats", std::vector<std::int64_t>{0x8C43, 0x8058});
    *count = static_cast<std::uint32_t>(formats.size());
    if (capacity == 0) return XR_SUCCESS;
    if (capacity < formats.size()) return XR_ERROR_SIZE_INSUFFICIENT;
    std::copy(formats.begin(), formats.end(), out);
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL createSwapchain(XrSession, const XrSwapchainCreateInfo* info, XrSwapchain* out) {
    State& s = state();
    Swapchain chain;
    chain.eye = static_cast<int>(s.swapchains.size());
    chain.format = info->format;
    chain.width = info->width;
    chain.height = info->height;
    // Real textures in the caller's context; the binding is put back.
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    for (int i = 0; i < 3; ++i) {
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(info->format), static_cast<GLsizei>(info->width),
                     static_cast<GLsizei>(info->height), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        chain.textures.push_back(texture);
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    const std::uint64_t id = newHandle();
    log({{"call", "xrCreateSwapchain"},
         {"format", info->format},
         {"usage", info->usageFlags},
         {"create_flags", info->createFlags},
         {"sample_count", info->sampleCount},
         {"width", info->width},
         {"height", info->height},
         {"face_count", info->faceCount},
         {"array_size", info->arraySize},
         {"mip_count", info->mipCount},
         {"swapchain", id}});
    s.swapchains[id] = chain;
    *out = toHandle<XrSwapchain>(id);
    return XR_SUCCESS;
}

Swapchain* find(XrSwapchain handle) {
    const auto found = state().swapchains.find(fromHandle(handle));
    return found == state().swapchains.end() ? nullptr : &found->second;
}

XRAPI_ATTR XrResult XRAPI_CALL destroySwapchain(XrSwapchain handle) {
    Swapchain* chain = find(handle);
    if (chain == nullptr) return XR_ERROR_HANDLE_INVALID;
    glDeleteTextures(static_cast<GLsizei>(chain->textures.size()), chain->textures.data());
    log({{"call", "xrDestroySwapchain"}, {"swapchain", fromHandle(handle)}});
    state().swapchains.erase(fromHandle(handle));
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL swapchainImages(XrSwapchain handle, std::uint32_t capacity, std::uint32_t* count,
                                               XrSwapchainImageBaseHeader* out) {
    Swapchain* chain = find(handle);
    if (chain == nullptr) return XR_ERROR_HANDLE_INVALID;
    *count = static_cast<std::uint32_t>(chain->textures.size());
    if (capacity == 0) return XR_SUCCESS;
    if (capacity < chain->textures.size() || out->type != XR_TYPE_SWAPCHAIN_IMAGE_OPENGL_KHR) {
        return XR_ERROR_VALIDATION_FAILURE;
    }
    auto* images = reinterpret_cast<XrSwapchainImageOpenGLKHR*>(out);
    for (std::size_t i = 0; i < chain->textures.size(); ++i) images[i].image = chain->textures[i];
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL acquireImage(XrSwapchain handle, const XrSwapchainImageAcquireInfo*,
                                            std::uint32_t* index) {
    Swapchain* chain = find(handle);
    if (chain == nullptr) return XR_ERROR_HANDLE_INVALID;
    *index = chain->next;
    chain->next = (chain->next + 1) % static_cast<std::uint32_t>(chain->textures.size());
    log({{"call", "xrAcquireSwapchainImage"}, {"eye", chain->eye}, {"index", *index}});
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL waitImage(XrSwapchain handle, const XrSwapchainImageWaitInfo* info) {
    log({{"call", "xrWaitSwapchainImage"}, {"timeout", info->timeout}});
    return find(handle) == nullptr ? XR_ERROR_HANDLE_INVALID : XR_SUCCESS;
}

// Writes the released image as a binary PPM, top row first.
void dump(const Swapchain& chain, GLuint texture) {
    const char* folder = std::getenv("BASTION_XR_DUMP");
    if (folder == nullptr || *folder == '\0') return;
    GLint bound = 0;
    GLint alignment = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    std::vector<unsigned char> pixels(static_cast<std::size_t>(chain.width) * chain.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    const std::string path = std::string(folder) + "/eye" + std::to_string(chain.eye) + "-frame" +
                             std::to_string(state().waitedFrames) + ".ppm";
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fprintf(file, "P6\n%u %u\n255\n", chain.width, chain.height);
        const std::size_t row = static_cast<std::size_t>(chain.width) * 3;
        for (std::uint32_t y = chain.height; y-- > 0;) std::fwrite(pixels.data() + y * row, 1, row, file);
        std::fclose(file);
    }
}

XRAPI_ATTR XrResult XRAPI_CALL releaseImage(XrSwapchain handle, const XrSwapchainImageReleaseInfo*) {
    Swapchain* chain = find(handle);
    if (chain == nullptr) return XR_ERROR_HANDLE_INVALID;
    const std::uint32_t released = (chain->next + chain->textures.size() - 1) % chain->textures.size();
    dump(*chain, chain->textures[released]);
    log({{"call", "xrReleaseSwapchainImage"}, {"eye", chain->eye}});
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL waitFrame(XrSession, const XrFrameWaitInfo*, XrFrameState* frame) {
    State& s = state();
    if (!s.sessionRunning) return XR_ERROR_SESSION_NOT_RUNNING;
    // A display's refresh paces its frames: "period_ms" keeps them that far
    // apart, as a headset does.
    const auto period = std::chrono::milliseconds(s.script.value("period_ms", 0));
    if (period.count() > 0) {
        const auto now = std::chrono::steady_clock::now();
        s.nextWake = s.waitedFrames == 0 ? now : std::max(s.nextWake + period, now);
        std::this_thread::sleep_until(s.nextWake);
    }
    ++s.waitedFrames;
    frame->predictedDisplayTime = kFirstDisplayTime + s.waitedFrames * kPeriod;
    frame->predictedDisplayPeriod = kPeriod;
    frame->shouldRender = currentFrame().value("should_render", true) ? XR_TRUE : XR_FALSE;
    log({{"call", "xrWaitFrame"}, {"frame", s.waitedFrames}, {"should_render", frame->shouldRender == XR_TRUE}});
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL beginFrame(XrSession, const XrFrameBeginInfo*) {
    log({{"call", "xrBeginFrame"}});
    return state().sessionRunning ? XR_SUCCESS : XR_ERROR_SESSION_NOT_RUNNING;
}

XRAPI_ATTR XrResult XRAPI_CALL endFrame(XrSession, const XrFrameEndInfo* info) {
    State& s = state();
    json layers = json::array();
    for (std::uint32_t i = 0; i < info->layerCount; ++i) {
        const auto* layer = reinterpret_cast<const XrCompositionLayerProjection*>(info->layers[i]);
        json views = json::array();
        for (std::uint32_t v = 0; v < layer->viewCount; ++v) {
            const XrSwapchainSubImage& sub = layer->views[v].subImage;
            views.push_back({{"swapchain", fromHandle(sub.swapchain)},
                             {"width", sub.imageRect.extent.width},
                             {"height", sub.imageRect.extent.height}});
        }
        layers.push_back({{"type", layer->type}, {"views", views}});
    }
    log({{"call", "xrEndFrame"},
         {"display_time", info->displayTime},
         {"blend_mode", info->environmentBlendMode},
         {"layers", layers}});
    framesEnded(++s.endedFrames);
    return XR_SUCCESS;
}

XRAPI_ATTR XrResult XRAPI_CALL locateViews(XrSession, const XrViewLocateInfo* info, XrViewState* viewState,
                                           std::uint32_t capacity, std::uint32_t* count, XrView* views) {
    const json& frame = currentFrame();
    const std::size_t configured = state().script.value("views", json::parse("[[64,48],[64,48]]")).size();
    *count = static_cast<std::uint32_t>(configured);
    if (capacity < configured) return XR_ERROR_SIZE_INSUFFICIENT;
    viewState->viewStateFlags = frame.value("view_flags", 15);
    const json eyes = frame.value("eyes", json::array());
    for (std::size_t i = 0; i < configured; ++i) {
        const json eye = i < eyes.size() ? eyes[i] : json::object();
        const float side = i == 0 ? -0.032f : 0.032f;
        views[i].pose.position = vector3(eye.value("position", json()), {side, 1.6f, 0.0f});
        views[i].pose.orientation = quaternion(eye.value("orientation", json()));
        views[i].fov = {-0.8f, 0.8f, 0.7f, -0.7f};
    }
    log({{"call", "xrLocateViews"}, {"display_time", info->displayTime}, {"capacity", capacity}});
    return XR_SUCCESS;
}

}  // namespace

PFN_xrVoidFunction frameFunction(const std::string& name) {
    static const std::map<std::string, PFN_xrVoidFunction> functions = {
        {"xrEnumerateSwapchainFormats", reinterpret_cast<PFN_xrVoidFunction>(swapchainFormats)},
        {"xrCreateSwapchain", reinterpret_cast<PFN_xrVoidFunction>(createSwapchain)},
        {"xrDestroySwapchain", reinterpret_cast<PFN_xrVoidFunction>(destroySwapchain)},
        {"xrEnumerateSwapchainImages", reinterpret_cast<PFN_xrVoidFunction>(swapchainImages)},
        {"xrAcquireSwapchainImage", reinterpret_cast<PFN_xrVoidFunction>(acquireImage)},
        {"xrWaitSwapchainImage", reinterpret_cast<PFN_xrVoidFunction>(waitImage)},
        {"xrReleaseSwapchainImage", reinterpret_cast<PFN_xrVoidFunction>(releaseImage)},
        {"xrWaitFrame", reinterpret_cast<PFN_xrVoidFunction>(waitFrame)},
        {"xrBeginFrame", reinterpret_cast<PFN_xrVoidFunction>(beginFrame)},
        {"xrEndFrame", reinterpret_cast<PFN_xrVoidFunction>(endFrame)},
        {"xrLocateViews", reinterpret_cast<PFN_xrVoidFunction>(locateViews)},
    };
    const auto found = functions.find(name);
    return found == functions.end() ? nullptr : found->second;
}

}  // namespace test_runtime
