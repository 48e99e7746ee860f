#include <exception>
#include <stdexcept>

#include "audio/audio.h"
#include "shell/campaign_save_path.h"
#include "shell/requests.h"

namespace bastion {
namespace {

void refuseUnlessCampaign(const Frontend& frontend) {
    if (frontend.skirmish) throw std::runtime_error("Skirmish is singleplayer only");
    if (frontend.sandbox) throw std::runtime_error("Cooperative requires campaign mode; remove --sandbox/--fixture");
}

// Voice playback mixes into the game's own output when it has a device.
void shareGameAudio(vant::voice::Chat& chat, Audio* audio) {
    if (audio == nullptr || audio->device == 0) return;
    vant::voice::Chat::Output output;
    output.queuedBytes = [audio] { return audio->voiceBytes(); };
    output.queue = [audio](std::span<const float> samples) { audio->queueVoice(samples); };
    output.clear = [audio] { audio->clearVoice(); };
    chat.shareOutput(std::move(output));
}

}  // namespace

void endCoopSession(ShellSession& session) {
    session.coop.chat.reset();
    if (session.audio != nullptr) session.audio->clearVoice();
    session.coop.keeper.reset();
    session.coop.client.reset();
}

void startCoop(ShellSession& session, bool host, const std::string& code) {
    Frontend& frontend = session.frontend;
    CoopSession& coop = session.coop;
    try {
        refuseUnlessCampaign(frontend);
        coop.keeper.reset();
        coop.client.reset();
        coop.client = std::make_unique<coop::Client>(session.server, host, frontend.progression,
                                                     session.playerName, code);
        coop.keeper = std::make_unique<coop::ConnectionKeeper>(*coop.client);
        coop.chat.reset();
        coop.chat = std::make_unique<vant::voice::Chat>(true, "");
        shareGameAudio(*coop.chat, session.audio);
    } catch (const std::exception& error) {
        endCoopSession(session);
        frontend.notice = error.what();
        frontend.screen = Frontend::kCoopMenu;
        return;
    }
    coop.voiceConfigured = false;
    frontend.coopActive = true;
    frontend.host = host;
    frontend.screen = Frontend::kLobbyConnecting;
    frontend.notice.clear();
    coop.lastSelection = 0;
    coop.lastRound = 0;
    coop.lastPhase = -1;
    coop.lastMission = -1;
    // The room's own default until its first state says otherwise.
    frontend.difficulty = 1;
}

void hostLobby(ShellSession& session) {
    Frontend& frontend = session.frontend;
    Progression progression = freshProgression(session);
    if (!session.savePath.empty()) {
        try {
            progression.load(campaignSavePath(session.savePath, frontend.campaignRow));
        } catch (const std::exception& error) {
            // A lobby's campaign is the host's save: a broken one is not
            // played over.
            frontend.notice = error.what();
            frontend.screen = Frontend::kCoopMenu;
            session.err << "Campaign save: " << error.what() << '\n';
            return;
        }
    }
    frontend.progression = std::move(progression);
    frontend.restoreCampaign();
    startCoop(session, true, frontend.joinCode);
}

void leaveCoop(ShellSession& session) {
    Frontend& frontend = session.frontend;
    frontend.skirmish = false;
    session.skirmishRecipe.reset();
    frontend.statusLine.clear();
    endCoopSession(session);
    frontend.coopActive = false;
    frontend.spectating = false;
    frontend.resultCode = 0;
    frontend.otherPilots.clear();
    frontend.playerLabels.clear();
    frontend.roomCode.clear();
    frontend.voiceLine.clear();
    frontend.screen = Frontend::kTitle;
    frontend.cursorRow = 0;
    Progression progression = freshProgression(session);
    if (!session.savePath.empty()) {
        try {
            progression.load(campaignSavePath(session.savePath, frontend.campaignRow));
        } catch (const std::exception& error) {
            session.err << "Campaign save: " << error.what() << '\n';
        }
    }
    frontend.progression = std::move(progression);
    frontend.restoreCampaign();
    frontend.difficulty = 0;
}

}  // namespace bastion
