#pragma once

#include "world/input.h"

namespace bastion {

// The eight buttons the playing screen latches: fire of mounts 0..5, then the
// two map-ping buttons. A button held when play starts or resumes stays
// ignored until it is released.
struct ButtonLatches {
    bool held[8] = {false, false, false, false, false, false, false, false};
};

// Clears every latched button that is still held in `input` and releases the
// latch of every button that is not. `buttons` is 8 for all of them, 6 for
// the fire buttons only.
void applyLatches(ButtonLatches& latches, Input& input, int buttons);

// The latches take the Input's buttons as they are (the first `buttons`).
void takeLatches(ButtonLatches& latches, const Input& input, int buttons);

}  // namespace bastion
