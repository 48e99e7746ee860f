#pragma once

#include <string>

struct SDL_Window;

namespace bastion {

// SDL video and events, the 1280 x 800 resizable window and its OpenGL 3.3
// core context with GLEW loaded. Every failure throws std::runtime_error with
// SDL's or GLEW's own text; whatever was made is released again, and the
// destructor releases the context, the window and SDL in that order.
class GameWindow {
public:
    GameWindow(const std::string& title, bool headset);
    ~GameWindow();
    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;

    SDL_Window* window() const { return window_; }

    // The drawable size in pixels (0 x 0 while minimised on some systems).
    void drawableSize(int& width, int& height) const;

private:
    void release();

    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;
};

}  // namespace bastion
