#include <chrono>
#include <stdexcept>

#include <SDL.h>

#include "xr/internal/xr_impl.h"

namespace vant {
namespace {

using Clock = std::chrono::steady_clock;

std::int64_t nanosecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count();
}

void changeState(XR::Impl& x, XrSessionState state) {
    x.focused = state == XR_SESSION_STATE_FOCUSED;
    switch (state) {
    case XR_SESSION_STATE_READY: {
        XrSessionBeginInfo info{XR_TYPE_SESSION_BEGIN_INFO};
        info.primaryViewConfigurationType = XR_VIEW_CONFIGURATION_TYPE_PRIMARY_STEREO;
        check(xrBeginSession(x.session, &info), "xrBeginSession(x.session, &info)");
        x.running = true;
        break;
    }
    case XR_SESSION_STATE_STOPPING:
        x.running = false;
        check(xrEndSession(x.session), "xrEndSession(x.session)");
        break;
    case XR_SESSION_STATE_LOSS_PENDING:
    case XR_SESSION_STATE_EXITING:
        x.exitRequested = true;
        break;
    default:
        break;
    }
}

void pollEvents(XR::Impl& x) {
    XrEventDataBuffer event{XR_TYPE_EVENT_DATA_BUFFER};
    XrResult result = XR_SUCCESS;
    while ((result = xrPollEvent(x.instance, &event)) == XR_SUCCESS) {
        if (event.type == XR_TYPE_EVENT_DATA_INSTANCE_LOSS_PENDING) {
            x.exitRequested = true;
        } else if (event.type == XR_TYPE_EVENT_DATA_SESSION_STATE_CHANGED) {
            changeState(x, reinterpret_cast<const XrEventDataSessionStateChanged&>(event).state);
        }
        event = XrEventDataBuffer{XR_TYPE_EVENT_DATA_BUFFER};
    }
    if (result != XR_EVENT_UNAVAILABLE) check(result, "xrPollEvent");
}

bool viewsValid(std::uint32_t count, XrViewStateFlags flags) {
    const XrViewStateFlags wanted = XR_VIEW_STATE_ORIENTATION_VALID_BIT | XR_VIEW_STATE_POSITION_VALID_BIT;
    return count == 2 && (flags & wanted) == wanted;
}

}  // namespace

bool XR::beginFrame(bool timing, bool sampleWhenHidden) {
    Impl& x = *impl_;
    x.timing = timing;
    x.frameBegun = false;
    x.tracking.active = false;
    x.frameTiming = FrameTiming{};

    pollEvents(x);
    if (x.exitRequested) return false;
    if (!x.running) return true;

    XrFrameWaitInfo wait{XR_TYPE_FRAME_WAIT_INFO};
    XrFrameState state{XR_TYPE_FRAME_STATE};
    const Clock::time_point waitStart = timing ? Clock::now() : Clock::time_point{};
    check(xrWaitFrame(x.session, &wait, &state), "xrWaitFrame(x.session, &wait, &state)");
    if (timing) x.frameTiming.waitFrameNs = nanosecondsSince(waitStart);
    x.frameTiming.predictedDisplayTime = state.predictedDisplayTime;
    x.frameTiming.predictedDisplayPeriod = state.predictedDisplayPeriod;

    XrFrameBeginInfo begin{XR_TYPE_FRAME_BEGIN_INFO};
    check(xrBeginFrame(x.session, &begin), "xrBeginFrame(x.session, &begin)");
    x.frameBegun = true;
    x.displayTime = state.predictedDisplayTime;

    XrViewLocateInfo locate{XR_TYPE_VIEW_LOCATE_INFO};
    locate.viewConfigurationType = XR_VIEW_CONFIGURATION_TYPE_PRIMARY_STEREO;
    locate.displayTime = x.displayTime;
    locate.space = x.space;
    XrViewState valid{XR_TYPE_VIEW_STATE};
    std::uint32_t count = 0;
    check(xrLocateViews(x.session, &locate, &valid, 2, &count, x.views.data()),
          "xrLocateViews(x.session, &locate, &valid, 2, &count, x.views.data())");
    const bool located = viewsValid(count, valid.viewStateFlags);
    const bool shown = state.shouldRender == XR_TRUE && x.visible;
    x.renderable = shown && located;
    x.tracking.active = (sampleWhenHidden || shown) && located;
    if (x.tracking.active) {
        const XrVector3f& left = x.views[0].pose.position;
        const XrVector3f& right = x.views[1].pose.position;
        x.head = XrVector3f{(left.x + right.x) / 2.0f, (left.y + right.y) / 2.0f, (left.z + right.z) / 2.0f};
    }
    sampleActions(x.displayTime, sampleWhenHidden);
    return true;
}

void XR::endFrame(const DrawEye& draw, bool mirror) {
    Impl& x = *impl_;
    if (!x.frameBegun) return;
    XrCompositionLayerProjectionView projected[2] = {{XR_TYPE_COMPOSITION_LAYER_PROJECTION_VIEW},
                                                     {XR_TYPE_COMPOSITION_LAYER_PROJECTION_VIEW}};
    if (x.renderable) {
        for (int eye = 0; eye < 2; ++eye) {
            Impl::Eye& e = x.eyes[static_cast<std::size_t>(eye)];
            XrSwapchainImageAcquireInfo acquire{XR_TYPE_SWAPCHAIN_IMAGE_ACQUIRE_INFO};
            std::uint32_t image = 0;
            check(xrAcquireSwapchainImage(e.chain, &acquire, &image), "xrAcquireSwapchainImage(e.chain, &acquire, &image)");
            XrSwapchainImageWaitInfo wait{XR_TYPE_SWAPCHAIN_IMAGE_WAIT_INFO};
            wait.timeout = XR_INFINITE_DURATION;
            const Clock::time_point waitStart = x.timing ? Clock::now() : Clock::time_point{};
            check(xrWaitSwapchainImage(e.chain, &wait), "xrWaitSwapchainImage(e.chain, &wait)");
            if (x.timing) x.frameTiming.swapchainWaitNs += nanosecondsSince(waitStart);

            glBindFramebuffer(GL_FRAMEBUFFER, x.framebuffer);
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, e.images.at(image).image, 0);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, e.depth);
            if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
                throw std::runtime_error("Incomplete native XR framebuffer");
            }
            glViewport(0, 0, e.width, e.height);
            glDisable(GL_FRAMEBUFFER_SRGB);
            glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            draw(x.views[static_cast<std::size_t>(eye)], eye, e.width, e.height);
            if (mirror && x.window != nullptr) {
                int w = 0;
                int h = 0;
                SDL_GL_GetDrawableSize(x.window, &w, &h);
                glBindFramebuffer(GL_READ_FRAMEBUFFER, x.framebuffer);
                glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
                glBlitFramebuffer(0, 0, e.width, e.height, w * eye / 2, 0, w * (eye + 1) / 2, h, GL_COLOR_BUFFER_BIT,
                                  GL_NEAREST);
            }
            glFlush();
            XrSwapchainImageReleaseInfo release{XR_TYPE_SWAPCHAIN_IMAGE_RELEASE_INFO};
            check(xrReleaseSwapchainImage(e.chain, &release), "xrReleaseSwapchainImage(e.chain, &release)");

            XrCompositionLayerProjectionView& view = projected[eye];
            view.pose = x.views[static_cast<std::size_t>(eye)].pose;
            view.fov = x.views[static_cast<std::size_t>(eye)].fov;
            view.subImage.swapchain = e.chain;
            view.subImage.imageRect.offset = {0, 0};
            view.subImage.imageRect.extent = {e.width, e.height};
            view.subImage.imageArrayIndex = 0;
        }
    }
    XrCompositionLayerProjection layer{XR_TYPE_COMPOSITION_LAYER_PROJECTION};
    layer.space = x.space;
    layer.viewCount = 2;
    layer.views = projected;
    const XrCompositionLayerBaseHeader* layers[] = {reinterpret_cast<const XrCompositionLayerBaseHeader*>(&layer)};
    XrFrameEndInfo end{XR_TYPE_FRAME_END_INFO};
    end.displayTime = x.displayTime;
    end.environmentBlendMode = x.blendMode;
    end.layerCount = x.renderable ? 1 : 0;
    end.layers = x.renderable ? layers : nullptr;
    const Clock::time_point endStart = x.timing ? Clock::now() : Clock::time_point{};
    check(xrEndFrame(x.session, &end), "xrEndFrame(x.session, &end)");
    if (x.timing) x.frameTiming.endFrameNs = nanosecondsSince(endStart);
    ++x.frames;
    if (x.renderable) ++x.stereoFrames;
    x.frameBegun = false;
}

}  // namespace vant
