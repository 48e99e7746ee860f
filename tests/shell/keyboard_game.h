#pragma once

// A game program played with real key presses (xdotool, from Debian) in an X
// server of its own (Xvfb), so that no other window takes the keyboard focus.

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "frame_watch.h"
#include "ppm_image.h"
#include "program_run.h"

namespace bastion {

// An Xvfb server on a display number that it picks itself.
class PrivateDisplay {
public:
    PrivateDisplay();
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    // Empty when the server did not start.
    const std::string& name() const { return name_; }

private:
    int pid_ = -1;
    std::string name_;
};

// One program on a private display, with its window found and its frames
// counted.
class KeyboardGame {
public:
    // Generous for frames of a sanitizer build on a busy machine.
    static constexpr std::chrono::seconds kFrameLimit{60};

    // Starts the game with `args` (after "--retail" of the demo content) and
    // `environment`, and waits for its first frame. Fails the test when the
    // window does not come. The program is killed once `limit` has passed.
    void start(const std::vector<std::string>& args, const std::vector<std::string>& environment,
               const std::filesystem::path& scratch, std::chrono::seconds limit = kProgramTimeLimit);

    std::string xdotool(const std::string& arguments) const;

    // Holds `key` while frames pass, then releases it while more pass, so the
    // frame loop sees it held and then released however slow a frame is. A
    // frame in flight when the key goes down may have read the keys before
    // it: the third frame after it certainly reads them afterwards. A key
    // that ends the program ends the wait.
    void press(const std::string& key, int frames = 3);

    // The two halves of a press, for keys held across other games' frames.
    void keyDown(const std::string& key);
    void keyUp(const std::string& key);

    // What the window shows now.
    PpmImage screenshot() const;

    // Waits for `count` frames; false when the window closed or the time
    // limit passed first.
    bool waitFrames(int count);

    // Waits for the program's end; one that does not end in its time limit
    // is killed and fails the test.
    ProgramRun finish();

    PrivateDisplay display;
    RunningProgram running;
    std::string window;
    std::unique_ptr<FrameWatch> frames;
};

// The last line of standard output is the exit summary.
void expectSummary(const ProgramRun& result);

}  // namespace bastion
