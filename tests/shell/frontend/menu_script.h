#pragma once

#include <functional>

#include "shell/frontend/frontend.h"

namespace bastion::testing_menu {

// Scripts menu frames: each helper runs one frame holding the named control,
// then one frame with everything released, so every call is one press.
struct MenuScript {
    Frontend menu;
    bool deployed = false;
    // The shell around the menu, when a test drives one: it runs in place of
    // the bare update and returns its deploy flag.
    std::function<bool(const Input&, float dt, bool select, bool back)> shell;

    bool frame(const Input& input, bool select = false, bool back = false, float dt = 0.016f) {
        deployed = shell ? shell(input, dt, select, back) : menu.update(input, dt, select, back);
        return deployed;
    }
    void release() { frame(Input{}); }

    bool select() {
        const bool result = frame(Input{}, true);
        release();
        return result;
    }
    void back() {
        frame(Input{}, false, true);
        release();
    }
    void stick(float x, float y) {
        Input input;
        input.axes[0] = x;
        input.axes[1] = y;
        frame(input);
        release();
    }
    void up() { stick(0.0f, 1.0f); }
    void down() { stick(0.0f, -1.0f); }
    void left() { stick(-1.0f, 0.0f); }
    void right() { stick(1.0f, 0.0f); }
    void fire(int mount, bool grip = false) {
        Input input;
        input.fire[mount] = true;
        input.ping[0] = grip;
        frame(input);
        release();
    }
    // Sets the screen and row directly, as the shell does.
    void open(Frontend::Screen screen, int row = 0) {
        menu.screen = screen;
        menu.cursorRow = row;
    }
};

}  // namespace bastion::testing_menu
