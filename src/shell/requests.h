#pragma once

#include "shell/button_latches.h"
#include "shell/shell_session.h"
#include "world/input.h"

namespace bastion {

// Carries out the front end's request of this frame and clears it.
void carryOutRequest(ShellSession& session);

// The requests that start play, one by one.
// New single-player campaign of the campaign row: empty progress, and the
// first save overwrites whatever file is there.
void startNewCampaign(ShellSession& session);
// Loads the campaign row's save; without one the notice says "NO SAVED GAME".
// A save that cannot be read keeps the current progress and shows why.
void loadSavedCampaign(ShellSession& session);
// Fresh skirmish settings with a clock-drawn seed, on the setup screen.
void openSkirmishSetup(ShellSession& session);
// Generates the skirmish and builds its World; a failure stays on the setup
// screen with a notice and a "Skirmish generation: " line.
void generateSkirmish(ShellSession& session);

// Writes the campaign progress (not in sandbox or skirmish play). A failure
// becomes "PROGRESS NOT SAVED" and a "Campaign save: " line; play goes on.
void saveCampaign(ShellSession& session);

// A fresh World for the selected mission, with the front end's difficulty
// and loadout.
World buildMissionWorld(ShellSession& session);

// Replaces the current World by a fresh one of the same selection and shows
// the playing screen.
void rebuildWorld(ShellSession& session);

// The deploy the front end asked for: outside skirmish the selection and
// loadout are saved first, then the mission is built and played. A map-ping
// button held now does not count as a new press.
void deployMission(ShellSession& session, const Input& input);

// Opens the in-mission menu from play, or resumes play from it.
void toggleMissionMenu(ShellSession& session);

// Select on the playing screen after the mission has ended leaves it.
// Returns the select flag the front end is to see this frame.
bool selectAfterMissionEnd(ShellSession& session, const Input& input, bool select);

// After the step: a won single-player mission is recorded once, saved and
// debriefed.
void recordMissionResult(ShellSession& session, const Input& input);

// Empty progress under the rules of the campaign row (default rules with
// "--fixture").
Progression freshProgression(const ShellSession& session);

// Co-op. Connects to the lobby server to host (`host`) or to join the lobby
// of `code`, with a new voice chat; a failure shows its reason on the co-op
// menu and leaves no session behind.
void startCoop(ShellSession& session, bool host, const std::string& code);
// Hosting: the campaign row's save (empty progress without one) becomes the
// lobby's campaign, then the lobby starts. A broken save is not hosted.
void hostLobby(ShellSession& session);
// Releases the voice chat, then the client (which says goodbye to the lobby).
void endCoopSession(ShellSession& session);
// Ends the co-op session, if any (the client says goodbye to the lobby), and
// returns to the title with the campaign save's progress.
void leaveCoop(ShellSession& session);
// One frame of the co-op session, before the front end's update: the client
// pumps the connection, the room state moves the front end, the latest
// snapshot is shown in the World, and the voice chat runs. Bad data from the
// server ends the session on the connection-lost screen; the game goes on.
void driveCoop(ShellSession& session, const Input& input, float dt, ButtonLatches& latches);
// After the front end's update: the lobby host who went from the mission
// selection to the briefing tells the room which mission.
void sendMissionChoice(ShellSession& session, int screenBefore);

// Applies and saves the volumes when the front end changed either of them
// this frame (a NaN counts as a change).
void applyVolumeChange(ShellSession& session, float soundBefore, float musicBefore);

}  // namespace bastion
