#pragma once

#include <array>
#include <vector>

namespace bastion::testing_support {

// Where things land on the desktop view of 1280 x 800 drawn from the pilot's
// eye with the shell's projection, and what colours the status lamps take.
// Shared by the renderer's pixel tests and the program's screenshots, so both
// check one and the same picture.

constexpr int kViewWidth = 1280;
constexpr int kViewHeight = 800;

using Rgb = std::array<int, 3>;

// A window pixel: column from the left, row from the bottom.
struct ViewPixel {
    int x = 0;
    int y = 0;
};

// The pixel under a point given in cockpit space (eye at the origin, -Z
// ahead).
ViewPixel viewPixelOf(float x, float y, float z);

// The rows (bottom, top) a menu panel row covers: the row at panel height
// `panelY`, `cells` glyph cells tall.
std::array<int, 2> panelRowBand(float panelY, float cells);

// A byte colour as the basic program writes it, and as the cockpit program
// writes a linear colour (clamped and gamma encoded).
Rgb byteColour(float r, float g, float b);
Rgb gammaEncoded(float r, float g, float b);

bool nearColour(const Rgb& a, const Rgb& b, int tolerance);

// The centre of status lamp `lamp` (0..4, left to right) on the demo cockpit.
ViewPixel lampPixel(int lamp);

struct LampCase {
    float health = 0.0f;
    std::array<Rgb, 5> lamps{};
};

// Lamp colours at health 100, 50, 25, 10 and 0.
const std::vector<LampCase>& lampCases();

// The text colours of the selected and the other menu rows, told apart by
// hue because thin glyph strokes blend with the plate behind them.
bool amberText(const Rgb& pixel);
bool greenText(const Rgb& pixel);

// The demo sky colour, the plate colour of the title panel's briefing plate
// (without alpha), and the two ridge colours of the demo horizon.
constexpr Rgb kTitlePlate{16, 30, 34};
constexpr Rgb kFarRidge{93, 108, 112};
constexpr Rgb kNearRidge{47, 62, 50};

}  // namespace bastion::testing_support
