#pragma once
// The program's options, read from one command line the same way on every platform: what the player
// chooses, what tests and tools hook in, and what the platform decides for itself.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shell/Keyscript.h"

namespace platform {
class TimerService;
}  // namespace platform

// What a player sets.
struct TPlayerOptions {
    int scale = 0;  // 0: the largest whole scale the screen holds
    bool fullScreen = false;
    int volume = 100;
    std::optional<std::uint32_t> seed;
    bool demo = false;
    bool autoPause = true;  // pause when the window loses the focus (--no-auto-pause: keep playing)
    bool verbose = false;   // say how the picture reaches the screen
};

// What tests and tools hook in: runs without a window, scripted keys, files written as the run goes.
struct TTestHooks {
    bool headless = false;
    std::int64_t frames = 0;     // headless: the frames to run (500 when the command line names none)
    std::int64_t lastFrame = -1;  // a window that takes scripts: no frame runs after this one; -1: no end
    std::vector<TKeyEvent> keys;
    std::string screenshot;
    int screenshotEvery = 0;
    std::string screenshotDir;
    std::string audioOut;
    std::string trace;
    platform::TimerService* timerService = nullptr;  // a timer that can refuse
};

// What a modder asks for: the scene read from a folder of their own, and a check of it.
struct TModOptions {
    std::string dataFolder;  // --data: texts and media from here first, the built-in ones after
    bool check = false;      // --check: report every problem of the data and exit
};

// What the platform decides, not the player.
struct TPlatformChoices {
    // False where there are no threads (the browser): no frame clock; the caller's own loop runs the
    // frames (TMainForm::RunFrame) every kFrameInterval ms.
    bool frameClock = true;
    // With a window, keys still come from the key script (TMainForm::Script), not the keyboard.
    bool scriptedKeys = false;
    // --keys and --frames drive the windowed game too (the browser's check), not only headless runs.
    bool scriptsInWindow = false;
    // Ctrl+Q ends the program (a page cannot close itself).
    bool quitKey = true;
};

struct TMainOptions {
    TPlayerOptions player;
    TModOptions mod;
    TTestHooks test;
    TPlatformChoices platform;
};

// What a command line asks for.
struct TCommandLine {
    enum class TAction { kRun, kHelp, kVersion, kBad };
    TAction action = TAction::kRun;
    TMainOptions options;
    std::string problem;  // kBad: one line saying what is wrong with the command line
    // A problem the command line cannot help (a folder that is missing): exit status 1, not 2.
    bool problemIsOutside = false;
};

// Reads argv[1..argc) into options over `platform` (kept as given, except that a key script sets
// scriptedKeys where scripts drive the window). Key scripts are read from their files here.
TCommandLine ParseCommandLine(int argc, const char* const* argv, const TPlatformChoices& platform = {});

// The text of --help.
const char* UsageText();
