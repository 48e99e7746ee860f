#include "support/desktop_view.h"
#include "support/gl/desktop_projection.h"

#include "contentgen/cockpit_model.h"

#include <cmath>
#include <cstdlib>

namespace bastion::testing_support {
namespace {

constexpr float kVerticalTangent = kDesktopVerticalTangent;
constexpr float kFocalY = kDesktopFocalY;
constexpr float kAspect = static_cast<float>(kViewWidth) / static_cast<float>(kViewHeight);

int toRow(float ndcY) { return static_cast<int>((ndcY + 1) / 2 * kViewHeight); }

}  // namespace

ViewPixel viewPixelOf(float x, float y, float z) {
    const float ndcX = (x / -z) / (kVerticalTangent * kAspect);
    const float ndcY = (y / -z) * kFocalY;
    return {static_cast<int>((ndcX + 1) / 2 * kViewWidth), toRow(ndcY)};
}

std::array<int, 2> panelRowBand(float panelY, float cells) {
    // The panel hangs 2.98 in front of the eye at 0.013 per panel unit, its
    // rows counted down from panel height 137; a glyph of size s spans s
    // above its origin to 3 s below it.
    const float origin = (137.0f - panelY) * 0.013f;
    const float size = 1.4f * 0.013f;
    const float top = (origin + size) / 2.98f * kFocalY;
    const float bottom = (origin - cells * size) / 2.98f * kFocalY;
    return {toRow(bottom), toRow(top)};
}

Rgb byteColour(float r, float g, float b) {
    const auto channel = [](float c) { return static_cast<int>(std::lround(c * 255)); };
    return {channel(r), channel(g), channel(b)};
}

Rgb gammaEncoded(float r, float g, float b) {
    const auto channel = [](float c) { return static_cast<int>(std::lround(std::pow(c, 1.0f / 2.2f) * 255.0f)); };
    return {channel(r), channel(g), channel(b)};
}

bool nearColour(const Rgb& a, const Rgb& b, int tolerance) {
    for (std::size_t c = 0; c < a.size(); ++c) {
        if (std::abs(a[c] - b[c]) > tolerance) return false;
    }
    return true;
}

ViewPixel lampPixel(int lamp) {
    const std::array<float, 3> centre = contentgen::demoLampCentre(lamp);
    return viewPixelOf(centre[0], centre[1], centre[2]);
}

const std::vector<LampCase>& lampCases() {
    static const std::vector<LampCase> cases = [] {
        const Rgb off = gammaEncoded(0.006f, 0.008f, 0.005f);
        const Rgb red = gammaEncoded(1.0f, 0.015f, 0.003f);
        const Rgb amber = gammaEncoded(1.0f, 0.65f, 0.005f);
        const Rgb green = gammaEncoded(0.03f, 1.0f, 0.008f);
        return std::vector<LampCase>{
            {100, {green, green, green, green, green}}, {50, {green, green, amber, off, off}},
            {25, {green, red, off, off, off}},          {10, {amber, off, off, off, off}},
            {0, {off, off, off, off, off}},
        };
    }();
    return cases;
}

bool amberText(const Rgb& p) { return p[0] > 120 && p[0] > p[1] + 20 && p[2] < p[1]; }
bool greenText(const Rgb& p) { return p[1] > 120 && p[1] > p[0] + 30; }

}  // namespace bastion::testing_support
