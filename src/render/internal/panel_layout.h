#pragma once
// Internal to the renderer: the builder behind menuPanelItems.

#include <string>
#include <utility>
#include <vector>

#include "render/internal/menu_layout.h"

namespace bastion {

struct Frontend;

// Collects one panel's items; nothing of it outlives the call.
class Layout {
public:
    explicit Layout(const Frontend& menu) : menu_(menu) {}

    void art(const std::string& name, float x, float y, float w, float h, float depth, Vec3 tint = kMenuWhite) {
        items_.push_back(PanelArt{name, x, y, w, h, depth, tint});
    }

    void text(const std::string& s, float x, float y, float size, Vec3 colour) {
        if (!s.empty()) items_.push_back(PanelText{s, x, y, size, colour});
    }

    void add(PanelItem item) { items_.push_back(std::move(item)); }

    void lobby(const std::vector<Renderer::Mission>& briefings);
    void skirmishSetup();
    void topStrip();
    void missionSelection(const std::vector<Renderer::Mission>& briefings);
    void briefing(const std::vector<Renderer::Mission>& briefings);
    void loadout();
    void debrief(const std::vector<Renderer::Mission>& briefings);

    std::vector<PanelItem> take() { return std::move(items_); }

private:
    void missionMenuText(const std::vector<Renderer::Mission>& briefings);

    const Frontend& menu_;
    std::vector<PanelItem> items_;
};

}  // namespace bastion
