#include <cmath>
#include <numbers>

#include "shell/frontend/frontend.h"
#include "shell/frontend/internal/menu_press.h"

namespace bastion {

int wrap(int value, int count) {
    if (count <= 0) return 0;
    const int r = value % count;
    return r < 0 ? r + count : r;
}

float carouselTarget(int missionCursor) {
    return -static_cast<float>(missionCursor) * std::numbers::pi_v<float> / 2.0f;
}

void latchMenuButtons(Frontend& menu) {
    menu.stickLatch = true;
    menu.selectLatch = true;
    menu.backLatch = true;
}

void latchHeldButtons(Frontend& menu, const bool (&fire)[6]) {
    for (int i = 0; i < kMountCount; ++i) menu.fireLatches[i] = fire[i];
    latchMenuButtons(menu);
}

bool horizontalPush(const MenuPress& press) {
    const float x = std::fabs(press.stickX);
    return x > kStickThreshold && x >= std::fabs(press.stickY);
}

int rowStep(int cursor, int rows, const MenuPress& press) {
    const int step = press.stickY > 0.0f ? -1 : (press.stickX >= 0.0f ? 1 : -1);
    return wrap(wrap(cursor, rows) + step, rows);
}

}  // namespace bastion
