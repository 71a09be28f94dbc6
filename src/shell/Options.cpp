#include "shell/Options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "platform/MessageText.h"
#include "platform/Resources.h"

namespace {

constexpr std::int64_t kDefaultHeadlessFrames = 500;

const char kUsage[] =
    "Usage: pelloro [OPTIONS]\n"
    "A squirrel catches falling nuts in the order its speech balloon shows.\n"
    "\n"
    "Controls: arrow keys walk, Space starts, confirms and catches; B and Enter are mapped\n"
    "but unused; a joystick or game controller works too (stick or D-pad, first button = Space).\n"
    "P, Pause or Esc pause and resume; Ctrl+Q quits; M mutes, - and + change the volume;\n"
    "F11 or Alt+Enter toggles full screen; F12 saves a screenshot and F9 starts and stops a\n"
    "clip (PNG and GIF in Pelloro in your pictures folder). The keyboard is read only while\n"
    "the window has the focus, so the game pauses when it loses it; any key or a click plays\n"
    "on. In --demo, your first key or click hands the game to you.\n"
    "\n"
    "Options:\n"
    "  --scale N              window size: N times 320 x 240 (1-8; default: the largest\n"
    "                         that fits the screen)\n"
    "  --fullscreen           start in full screen\n"
    "  --volume N             output level, 0-100 (default 100)\n"
    "  --no-auto-pause        keep playing when the window loses the focus\n"

    "  --seed S               fixed random seed (0-4294967295) instead of the clock\n"
    "  --demo                 the squirrel plays by itself (attract mode)\n"
    "  --headless             no window and no audio device: run frames back to back,\n"
    "                         20 ms of game time each, with input from --keys\n"
    "  --frames N             headless: the number of frames to run (default 500)\n"
    "  --keys FILE            headless: key script, one event a line: FRAME KEY down|up\n"
    "                         (KEY: Up Down Left Right Space B Return, or a DirectInput code;\n"
    "                         '#' starts a comment); events apply before that frame's poll\n"
    "  --screenshot FILE      headless: write the last presented picture as a 24-bit BMP\n"
    "  --screenshot-every K DIR  headless: write every K-th frame's picture into DIR,\n"
    "                         named frameNNNNNN.bmp by the frame's number in --trace\n"
    "  --audio-out FILE       headless: write everything rendered as a 16-bit stereo WAV\n"
    "  --trace FILE           headless: one JSON object a line per frame with the game's state\n"
    "  --verbose              say on standard error how the picture reaches the screen\n"
    "  --help                 show this help and exit\n"
    "  --version              show the version and exit\n"
    "\n"
    "Environment: PELLORO_SOUNDFONT (a General MIDI SoundFont for the music),\n"
    "SDL_VIDEODRIVER and SDL_AUDIODRIVER (SDL's drivers).\n"
    "Exit status: 0 when the window was closed (or the headless run ended), 1 on an error,\n"
    "2 on a bad command line.\n";

// The largest K of --screenshot-every (K is held in an int).
constexpr long long kMaxScreenshotEvery = 1LL << 30;

// A whole number from low to high, or else why not: empty when `text` is one.
std::string ParseInt(const char* text, long long low, long long high, long long& value) {
    const std::string range = "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
    const std::string_view digits = *text == '-' ? text + 1 : text;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return range + ", not '" + platform::Utf8ForMessage(text) + "'";
    }
    errno = 0;
    value = std::strtoll(text, nullptr, 10);
    if (errno == ERANGE || value < low || value > high) {
        return range + "; '" + platform::Utf8ForMessage(text) + "' is out of range";
    }
    return {};
}

TCommandLine Bad(TCommandLine line, const std::string& problem, bool outside = false) {
    line.action = TCommandLine::TAction::kBad;
    line.problem = problem;
    line.problemIsOutside = outside;
    return line;
}

}  // namespace

const char* UsageText() { return kUsage; }

TCommandLine ParseCommandLine(int argc, const char* const* argv, const TPlatformChoices& platform) {
    TCommandLine line;
    line.options.platform = platform;
    TPlayerOptions& player = line.options.player;
    TTestHooks& test = line.options.test;
    std::string keysFile;
    bool framesGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        // A value that looks like an option was forgotten rather than meant, e.g. "--keys --headless".
        auto needs = [&](int count) {
            if (i + count >= argc) return false;
            for (int k = 1; k <= count; ++k) {
                if (std::strncmp(argv[i + k], "--", 2) == 0) return false;
            }
            return true;
        };
        long long value = 0;
        if (arg == "--help" || arg == "-h") {
            line.action = TCommandLine::TAction::kHelp;
            return line;
        } else if (arg == "--version") {
            line.action = TCommandLine::TAction::kVersion;
            return line;
        } else if (arg == "--scale") {
            if (!needs(1)) return Bad(line, "--scale needs a number from 1 to 8");
            if (auto why = ParseInt(argv[++i], 1, 8, value); !why.empty()) return Bad(line, "--scale needs " + why);
            player.scale = static_cast<int>(value);
        } else if (arg == "--no-auto-pause") {
            player.autoPause = false;
        } else if (arg == "--fullscreen") {
            player.fullScreen = true;
        } else if (arg == "--volume") {
            if (!needs(1)) return Bad(line, "--volume needs a number from 0 to 100");
            if (auto why = ParseInt(argv[++i], 0, 100, value); !why.empty()) return Bad(line, "--volume needs " + why);
            player.volume = static_cast<int>(value);
        } else if (arg == "--seed") {
            if (!needs(1)) return Bad(line, "--seed needs a number from 0 to 4294967295");
            if (auto why = ParseInt(argv[++i], 0, 4294967295LL, value); !why.empty()) return Bad(line, "--seed needs " + why);
            player.seed = static_cast<std::uint32_t>(value);
        } else if (arg == "--verbose") {
            player.verbose = true;
        } else if (arg == "--demo") {
            player.demo = true;
        } else if (arg == "--headless") {
            test.headless = true;
        } else if (arg == "--frames") {
            if (!needs(1)) return Bad(line, "--frames needs a number from 0 to " + std::to_string(kMaxFrame));
            if (auto why = ParseInt(argv[++i], 0, kMaxFrame, value); !why.empty()) return Bad(line, "--frames needs " + why);
            test.frames = value;
            framesGiven = true;
        } else if (arg == "--keys") {
            if (!needs(1)) return Bad(line, "--keys needs a file");
            keysFile = argv[++i];
        } else if (arg == "--screenshot") {
            if (!needs(1)) return Bad(line, "--screenshot needs a file");
            test.screenshot = argv[++i];
        } else if (arg == "--screenshot-every") {
            if (!needs(2)) return Bad(line, "--screenshot-every needs K and DIR");
            if (auto why = ParseInt(argv[i + 1], 1, kMaxScreenshotEvery, value); !why.empty()) {
                return Bad(line, "--screenshot-every needs K as " + why);
            }
            test.screenshotEvery = static_cast<int>(value);
            test.screenshotDir = argv[i + 2];
            i += 2;
        } else if (arg == "--audio-out") {
            if (!needs(1)) return Bad(line, "--audio-out needs a file");
            test.audioOut = argv[++i];
        } else if (arg == "--trace") {
            if (!needs(1)) return Bad(line, "--trace needs a file");
            test.trace = argv[++i];
        } else {
            return Bad(line, "unknown option '" + arg + "'");
        }
    }
    const bool windowScripts = platform.scriptsInWindow && !test.headless;
    const bool headlessOnly = (!windowScripts && (framesGiven || !keysFile.empty())) || !test.screenshot.empty() ||
                              test.screenshotEvery > 0 || !test.audioOut.empty() || !test.trace.empty();
    if (headlessOnly && !test.headless) {
        return Bad(line, "--frames, --keys, --screenshot, --screenshot-every, --audio-out and --trace need --headless");
    }
    if (test.headless && !framesGiven) test.frames = kDefaultHeadlessFrames;
    if (windowScripts && framesGiven) test.lastFrame = test.frames;
    if (test.screenshotEvery > 0) {
        std::error_code ec;
        if (!std::filesystem::is_directory(test.screenshotDir, ec)) {
            return Bad(line, "--screenshot-every: " + test.screenshotDir + " is not a folder; create it first", true);
        }
    }
    if (!keysFile.empty()) {
        std::error_code ec;
        if (std::filesystem::is_directory(keysFile, ec)) return Bad(line, "the key script " + keysFile + " is a folder, not a file");
        std::vector<std::uint8_t> bytes;
        switch (platform::ReadFile(keysFile, bytes)) {
        case platform::FileStatus::kRead:
            break;
        case platform::FileStatus::kMissing:
            if (std::filesystem::exists(keysFile, ec)) {
                return Bad(line, "the key script " + keysFile + " is not a regular file; write the events into a file");
            }
            return Bad(line, "the key script " + keysFile + " does not exist");
        case platform::FileStatus::kTooLarge:
            return Bad(line, "the key script " + keysFile + " is larger than " +
                                 std::to_string(platform::kMaxFileBytes >> 20) + " MiB; no run needs that many events");
        case platform::FileStatus::kUnreadable:
            return Bad(line, "cannot read the key script " + keysFile + "; check its permissions");
        }
        std::string error;
        if (!ParseKeyScript(std::string(bytes.begin(), bytes.end()), test.keys, error)) {
            return Bad(line, keysFile + ": " + error);
        }
        if (windowScripts) line.options.platform.scriptedKeys = true;
    }
    return line;
}
