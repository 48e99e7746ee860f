#include <type_traits>
#include <variant>

#include "render/menu_layout.h"
#include "render/renderer.h"
#include "shell/frontend/frontend.h"

namespace bastion {
namespace {

// Texts lie a little in front of the background art, row markers in front
// of the texts.
constexpr float kTextDepth = 0.02f;
constexpr float kMarkerDepth = 0.04f;

void panelArt(Renderer& renderer, const vant::Matrix& frame, const PanelArt& art) {
    renderer.art(art.name, panelArtMatrix(frame, art), {0.0f, 0.0f, 1.0f, 1.0f}, art.tint);
}

void panelText(Renderer& renderer, const vant::Matrix& frame, const PanelText& text) {
    renderer.text(text.text, panelPoint(frame, text.x, text.y, kTextDepth), text.size * kPanelUnit, text.colour);
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
