#include "frame_watch.h"

#include <poll.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

namespace bastion {
namespace {

Display* xDisplay(void* display) { return static_cast<Display*>(display); }

// The watched window belongs to another program and may go at any moment,
// taking its damage object along: requests about it then fail, which must
// not end the test process as Xlib's default handler would.
int ignoreError(Display*, XErrorEvent*) { return 0; }

}  // namespace

FrameWatch::FrameWatch(const std::string& display, const std::string& window) {
    XSetErrorHandler(ignoreError);
    Display* connection = XOpenDisplay(display.c_str());
    if (connection == nullptr) return;
    display_ = connection;
    int errorBase = 0;
    if (!XDamageQueryExtension(connection, &eventBase_, &errorBase)) return;
    // One report each time the window goes from undamaged to damaged; each
    // report is answered by clearing the damage, so one swap gives one report.
    const Window watched = std::stoul(window);
    damage_ = XDamageCreate(connection, watched, XDamageReportNonEmpty);
    XSelectInput(connection, watched, StructureNotifyMask);
    XSync(connection, False);
}

FrameWatch::~FrameWatch() {
    if (display_ == nullptr) return;
    if (damage_ != 0 && !closed_) XDamageDestroy(xDisplay(display_), damage_);
    XCloseDisplay(xDisplay(display_));
}

bool FrameWatch::waitFrames(int frames, std::chrono::milliseconds limit) {
    if (!ready()) return false;
    Display* connection = xDisplay(display_);
    // Whatever was drawn before now belongs to earlier frames.
    XSync(connection, False);
    while (XPending(connection) > 0) {
        XEvent event;
        XNextEvent(connection, &event);
        if (event.type == DestroyNotify) closed_ = true;
    }
    if (closed_) return false;
    XDamageSubtract(connection, damage_, None, None);
    XFlush(connection);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int seen = 0;
    while (seen < frames) {
        while (seen < frames && XPending(connection) > 0) {
            XEvent event;
            XNextEvent(connection, &event);
            if (event.type == DestroyNotify) {
                closed_ = true;
                return false;
            }
            if (event.type != eventBase_ + XDamageNotify) continue;
            ++seen;
            XDamageSubtract(connection, damage_, None, None);
            XFlush(connection);
        }
        if (seen >= frames) break;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd readable{ConnectionNumber(connection), POLLIN, 0};
        poll(&readable, 1, static_cast<int>(left.count()));
    }
    return true;
}

}  // namespace bastion
