#include "shell/button_latches.h"

namespace bastion {
namespace {

bool& button(Input& input, int index) { return index < 6 ? input.fire[index] : input.ping[index - 6]; }

}  // namespace

void applyLatches(ButtonLatches& latches, Input& input, int buttons) {
    for (int index = 0; index < buttons; ++index) {
        bool& pressed = button(input, index);
        if (pressed && latches.held[index]) {
            pressed = false;
        } else {
            latches.held[index] = false;
        }
    }
}

void takeLatches(ButtonLatches& latches, const Input& input, int buttons) {
    Input copy = input;
    for (int index = 0; index < buttons; ++index) latches.held[index] = button(copy, index);
}

}  // namespace bastion
