#include <type_traits>
#include <variant>

#include "render/menu_layout.h"
#include "render/renderer.h"
#include "render/transforms.h"
#include "shell/frontend.h"

namespace bastion {
namespace {

// One panel unit is 0.013 units of the panel frame; the panel hangs 3 units
// in front of the eye, centred on it. Texts lie a little in front of the
// background art, row markers in front of the texts.
constexpr float kUnit = 0.013f;
constexpr float kPanelDistance = 3.0f;
constexpr float kTextDepth = 0.02f;
constexpr float kMarkerDepth = 0.04f;

vant::Matrix panelPoint(const vant::Matrix& frame, float x, float y, float depth) {
    return vant::multiply(frame, vant::translation((x - 160.0f) * kUnit, (137.0f - y) * kUnit, depth - kPanelDistance));
}

// The art's corner (0, 0) falls on (x, y) and (1, 1) on (x + w, y + h), so
// the image's first row is at the top.
void panelArt(Renderer& renderer, const vant::Matrix& frame, const PanelArt& art) {
    renderer.art(art.name,
                 vant::multiply(panelPoint(frame, art.x, art.y, art.depth),
                                vant::scaling(art.w * kUnit, -art.h * kUnit, 1.0f)),
                 {0.0f, 0.0f, 1.0f, 1.0f}, art.tint);
}

void panelText(Renderer& renderer, const vant::Matrix& frame, const PanelText& text) {
    renderer.text(text.text, panelPoint(frame, text.x, text.y, kTextDepth), text.size * kUnit, text.colour);
}

void panelChevron(Renderer& renderer, const vant::Matrix& frame, const PanelChevron& chevron) {
    const vant::Matrix tip = panelPoint(frame, chevron.x, chevron.y, kMarkerDepth);
    renderer.line(tip, {chevron.armX, chevron.armY, 0.0f}, {0.0f, 0.0f, 0.0f}, chevron.halfWidth, kMenuAmber);
    renderer.line(tip, {chevron.armX, -chevron.armY, 0.0f}, {0.0f, 0.0f, 0.0f}, chevron.halfWidth, kMenuAmber);
}

}  // namespace

void Renderer::frontend(const Frontend& menu, const Matrix& cockpitFrame) {
    // A campaign row other than 0 or 1 stops the panel before anything shows.
    const std::vector<Mission>& campaignBriefings = briefings.at(static_cast<std::size_t>(menu.campaignRow));
    for (const PanelItem& item : menuPanelItems(menu, campaignBriefings)) {
        std::visit(
            [&](const auto& shown) {
                using Shown = std::decay_t<decltype(shown)>;
                if constexpr (std::is_same_v<Shown, PanelArt>) {
                    panelArt(*this, cockpitFrame, shown);
                } else if constexpr (std::is_same_v<Shown, PanelText>) {
                    panelText(*this, cockpitFrame, shown);
                } else {
                    panelChevron(*this, cockpitFrame, shown);
                }
            },
            item);
    }
}

}  // namespace bastion
