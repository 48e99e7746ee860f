#pragma once

#include <string>
#include <variant>
#include <vector>

#include "render/matrix.h"
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
// A bar of `halfWidth` from `from` to `to`, in frame units around panel
// point (x, y) lifted `depth` off the panel.
struct PanelLine {
    float x, y, depth;
    Vec3 from, to;
    float halfWidth;
    Vec3 colour;
};
// The turning cube of mission thumbnails; `angle` is its turn about the
// panel's vertical, in radians.
struct PanelCube {
    std::string name;
    float angle;
};
// A turning model preview centred on panel point (x, y), `depth` off the panel.
struct PanelModel {
    std::string name;
    float x, y, depth, size, angle;
};
using PanelItem = std::variant<PanelArt, PanelText, PanelChevron, PanelLine, PanelCube, PanelModel>;

// One panel unit in units of the panel frame (the cockpit frame): the panel
// hangs 3 units in front of the eye, centred on it, 4.16 by 3.562 units.
inline constexpr float kPanelUnit = 0.013f;

// The panel frame moved to panel point (x, y), `depth` in front of the
// panel's plane.
vant::Matrix panelPoint(const vant::Matrix& frame, float x, float y, float depth);

// The model matrix that lays the art quad over the item's rectangle: quad
// corner (0, 0) on (x, y), (1, 1) on (x + w, y + h), so the image's first
// row is at the top.
vant::Matrix panelArtMatrix(const vant::Matrix& frame, const PanelArt& art);

// The whole panel of the menu's screen in drawing order, built from the menu
// state and the briefings of the menu's campaign row. Empty texts are left
// out. The mission-selection, briefing, loadout and debrief screens bring
// only what they share with the others.
std::vector<PanelItem> menuPanelItems(const Frontend& menu, const std::vector<Renderer::Mission>& briefings);

}  // namespace bastion
