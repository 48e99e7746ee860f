#pragma once

#include "world/weapon.h"

namespace bastion {

struct Frontend;

// What one menu frame asks for, after the edge detection of the common part:
// each field is true for one frame per press.
struct MenuPress {
    float stickX = 0.0f;  // positive right
    float stickY = 0.0f;  // positive up
    bool stickPush = false;
    bool selectEdge = false;
    bool backEdge = false;
    bool activate = false;     // select edge or a new press of the right-hand mount button
    bool fireEdges[6] = {false, false, false, false, false, false};
    bool removeHeld = false;  // a map-ping button (the grip) turns equipping into removing
};

inline constexpr float kStickThreshold = 0.55f;

inline constexpr int kLeftHip = 4;
inline constexpr int kRightHip = 5;

// The hip beside `hip`; the auto grenade launcher takes both.
constexpr int otherHip(int hip) { return kLeftHip + kRightHip - hip; }

// A push that is mostly sideways.
bool horizontalPush(const MenuPress& press);

// The cursor moved one row by a stick push, wrapping over `rows`: up and left
// go back, down and right go forward, and up wins over right.
int rowStep(int cursor, int rows, const MenuPress& press);

// Carousel angle that shows `missionCursor` at the front.
float carouselTarget(int missionCursor);

// Buttons held across a screen change must be released before they act.
void latchMenuButtons(Frontend& menu);
// The same, with the mount buttons as `fire` holds them.
void latchHeldButtons(Frontend& menu, const bool (&fire)[6]);

// Non-negative remainder, so a cursor left out of range still wraps.
int wrap(int value, int count);

// Screen handlers of `Frontend::update`. Only the mission screens can deploy.
void updateListMenu(Frontend& menu, const MenuPress& press);
void updateCampaignChoice(Frontend& menu, const MenuPress& press);
void updateJoinCode(Frontend& menu, const MenuPress& press);
void updateLobby(Frontend& menu, const MenuPress& press);
bool updateMissionScreens(Frontend& menu, const MenuPress& press);
void updateSkirmishSetup(Frontend& menu, const MenuPress& press);

}  // namespace bastion
