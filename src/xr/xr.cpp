#include <algorithm>
#include <iostream>

#include "xr/internal/xr_impl.h"

namespace vant {

XR::Impl::Impl() {
    for (XrView& view : views) view.type = XR_TYPE_VIEW;
}

// Releases in the reverse order of creation; each handle was stored the
// moment it was made, so a half-finished initialize is released as well.
XR::Impl::~Impl() {
    if (instance != XR_NULL_HANDLE) {
        std::cerr << "OpenXR frames=" << frames << " stereo_frames=" << stereoFrames << '\n';
    }
    if (framebuffer != 0) glDeleteFramebuffers(1, &framebuffer);
    for (Eye& eye : eyes) {
        if (eye.depth != 0) glDeleteRenderbuffers(1, &eye.depth);
        if (eye.chain != XR_NULL_HANDLE) xrDestroySwapchain(eye.chain);
    }
    for (XrSpace handle : {handSpaces[0], handSpaces[1], gripSpaces[0], gripSpaces[1], space}) {
        if (handle != XR_NULL_HANDLE) xrDestroySpace(handle);
    }
    if (session != XR_NULL_HANDLE) xrDestroySession(session);
    if (actions != XR_NULL_HANDLE) xrDestroyActionSet(actions);
    if (instance != XR_NULL_HANDLE) xrDestroyInstance(instance);
}

XR::XR() : impl_(std::make_unique<Impl>()) {}
XR::~XR() = default;

std::string XR::description() const { return impl_->runtime; }
const XR::Tracking& XR::tracking() const { return impl_->tracking; }
bool XR::focused() const { return impl_->focused; }
const XR::FrameTiming& XR::frameTiming() const { return impl_->frameTiming; }
void XR::setVisible(bool visible) { impl_->visible = visible; }

XrPosef XR::headPose() const {
    XrPosef pose{};
    pose.orientation = impl_->views[0].pose.orientation;
    pose.position = impl_->head;
    return pose;
}

XrFovf XR::hudFov() const {
    const XrFovf& left = impl_->views[0].fov;
    const XrFovf& right = impl_->views[1].fov;
    return XrFovf{std::max(left.angleLeft, right.angleLeft), std::min(left.angleRight, right.angleRight),
                  std::min(left.angleUp, right.angleUp), std::max(left.angleDown, right.angleDown)};
}

void XR::recenter() { impl_->origin = impl_->head; }

bool XR::resetHeight() {
    impl_->origin = impl_->head;
    return impl_->tracking.active;
}

}  // namespace vant
