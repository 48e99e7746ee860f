#pragma once

#include <string_view>

#include "world/input.h"

namespace bastion {

struct Frontend;
class World;

// One desktop hand, moved with the mouse while Z (left) or C (right) is held.
struct DesktopHand {
    float offsetX = 0.0f;
    float offsetY = -0.13f;
    float depth = -0.75f;
    float yaw = 0.0f;
    float pitch = 0.0f;
    float roll = 0.0f;
};

// The desktop look and hands, kept across frames.
struct DesktopLook {
    float yaw = 0.0f;
    float pitch = 0.0f;
    DesktopHand hands[2] = {{-0.4f}, {0.4f}};
};

// What the keyboard and mouse hold this frame. Movement, mounts, pings,
// punches and the hand keys are read by position (scancode).
struct HeldKeys {
    bool a = false, d = false, w = false, s = false;
    bool left = false, right = false, up = false, down = false;
    bool mounts[4] = {false, false, false, false};  // keys 1..4
    bool g = false, h = false, q = false, e = false;
    bool z = false, c = false;
    bool shift = false, alt = false;
    bool mouseLeft = false, mouseRight = false;
};

// The keys that act once per press, read by key code.
enum class ShellKey { kTab, kM, kW, kReturn, kDelete, kEscape, kR, kOther };

// What one frame's events asked of the shell besides the Input.
struct FrameRequests {
    bool running = true;   // cleared by a window close or Ctrl+W
    bool select = false;
    bool back = false;
    bool missionMenu = false;  // Escape on the playing screen or the mission menu
    bool recenter = false;     // R outside the ejection sequence
};

// Mouse motion turns the look, or a hand while Z or C is held, by this much
// per pixel, and pitches them no further than these.
inline constexpr float kMouseRadiansPerPixel = 0.0025f;
inline constexpr float kLookPitchLimit = 1.45f;
inline constexpr float kHandPitchLimit = 1.5f;

void applyMouseMotion(DesktopLook& look, const HeldKeys& keys, float dx, float dy);
void applyMouseWheel(DesktopLook& look, const HeldKeys& keys, float wheelY);

// A key press (not a repeat). Toggles the radio flag, moves the spectate index
// or clears the loadout cursor on the front end; the rest goes to `requests`.
void pressKey(ShellKey key, bool ctrl, Frontend& frontend, int localStatus, FrameRequests& requests);

// Typed text on the join-code screen: letters of the join-code alphabet,
// upper-cased, go in at the join cursor.
void typeJoinCode(Frontend& frontend, std::string_view text);

// Recenters the look and both hands, as R does.
void recenter(DesktopLook& look);

// The frame's Input from the keyboard, the mouse and the look.
Input desktopInput(const HeldKeys& keys, const DesktopLook& look, bool focused, int screen);

}  // namespace bastion
