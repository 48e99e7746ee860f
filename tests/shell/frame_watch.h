#pragma once

#include <chrono>
#include <string>

namespace bastion {

// Counts the frames a program shows in one X window: every buffer swap
// damages the window, and the X Damage extension reports it. Lets a test wait
// for frames to pass instead of sleeping for a guessed time.
class FrameWatch {
public:
    // Watches `window` (a decimal X window id) on `display`.
    FrameWatch(const std::string& display, const std::string& window);
    ~FrameWatch();
    FrameWatch(const FrameWatch&) = delete;
    FrameWatch& operator=(const FrameWatch&) = delete;

    // False when the display or its Damage extension could not be used.
    bool ready() const { return damage_ != 0; }

    // Forgets the frames shown so far, then waits until `frames` more have
    // been shown; false when `limit` passes or the window closes first.
    bool waitFrames(int frames, std::chrono::milliseconds limit);

    // Whether the window has gone (the program closed it or ended).
    bool closed() const { return closed_; }

private:
    // Xlib's types stay out of the tests that include this.
    void* display_ = nullptr;
    unsigned long damage_ = 0;
    int eventBase_ = 0;
    bool closed_ = false;
};

}  // namespace bastion
