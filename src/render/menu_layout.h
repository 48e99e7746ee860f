#pragma once

#include <string>
#include <variant>
#include <vector>

#include "render/renderer.h"
#include "world/math.h"

namespace bastion {

struct Frontend;

// The three text colours of every menu screen.
inline constexpr Vec3 kMenuGreen{0.55f, 1.0f, 0.65f};  // ordinary rows and body text
inline constexpr Vec3 kMenuAmber{1.0f, 0.78f, 0.2f};   // title, selected row, values, warnings
inline constexpr Vec3 kMenuMint{0.6f, 1.0f, 0.8f};     // control hints
inline constexpr Vec3 kMenuWhite{1.0f, 1.0f, 1.0f};    // untinted art

// What the menu panel shows, placed in its 320 x 274 unit space: x to the
// right and y downward from the panel's top-left corner, depth towards the
// eye. Text sizes are in panel units too.
struct PanelArt {
    std::string name;
    float x, y, w, h, depth;
    Vec3 tint;
};
struct PanelText {
    std::string text;
    float x, y, size;
    Vec3 colour;
};
// The amber chevron of the selected row: its tip at panel point (x, y),
// its two arms reaching back to (armX, +armY) and (armX, -armY) frame units
// from the tip.
struct PanelChevron {
    float x, y, armX, armY, halfWidth;
};
using PanelItem = std::variant<PanelArt, PanelText, PanelChevron>;

// The whole panel of the menu's screen in drawing order, built from the menu
// state and the briefings of the menu's campaign row. Empty texts are left
// out. The mission-selection, briefing, loadout and debrief screens bring
// only what they share with the others.
std::vector<PanelItem> menuPanelItems(const Frontend& menu, const std::vector<Renderer::Mission>& briefings);

}  // namespace bastion
