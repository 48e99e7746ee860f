#include <array>
#include <numbers>
#include <type_traits>
#include <variant>

#include "render/internal/menu_layout.h"
#include "render/internal/transforms.h"
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

void panelLine(Renderer& renderer, const vant::Matrix& frame, const PanelLine& line) {
    renderer.line(panelPoint(frame, line.x, line.y, line.depth), line.from, line.to, line.halfWidth, line.colour);
}

void panelModel(Renderer& renderer, const vant::Matrix& frame, const PanelModel& model) {
    renderer.modelPreview(model.name, panelPoint(frame, model.x, model.y, model.depth), model.size, model.angle);
}

// The cursor's thumbnail on five faces of a cube that leans towards the eye;
// faces show from both sides, as culling is off for the panel.
void panelCube(Renderer& renderer, const vant::Matrix& frame, const PanelCube& cube) {
    const vant::Matrix base = vant::chain(frame, vant::translation(0.0f, 0.04f, -2.88f), vant::rotationY(cube.angle),
                                          vant::rotationX(0.17f), vant::scaling(0.8f, 0.8f, 0.8f));
    constexpr std::array<float, 4> whole{0.0f, 0.0f, 1.0f, 1.0f};
    for (int k = 0; k < 4; ++k) {
        const vant::Matrix side = vant::chain(base, vant::rotationY(static_cast<float>(k) * std::numbers::pi_v<float> / 2.0f),
                                              vant::translation(-0.5f, -0.5f, 0.5f));
        renderer.art(cube.name, side, whole, kMenuWhite);
    }
    // The quad's u along the cube's +x, its v along -z, in the plane y = -0.5.
    const vant::Matrix bottom{1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, -0.5f, -0.5f, 0.5f, 1};
    renderer.art(cube.name, vant::multiply(base, bottom), whole, kMenuWhite);
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
                } else if constexpr (std::is_same_v<Shown, PanelChevron>) {
                    panelChevron(*this, cockpitFrame, shown);
                } else if constexpr (std::is_same_v<Shown, PanelLine>) {
                    panelLine(*this, cockpitFrame, shown);
                } else if constexpr (std::is_same_v<Shown, PanelCube>) {
                    panelCube(*this, cockpitFrame, shown);
                } else {
                    panelModel(*this, cockpitFrame, shown);
                }
            },
            item);
    }
}

}  // namespace bastion
