// Program entry: options, start-up, and the message box for what goes wrong.
#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataError.h"
#include "game/Datacheck.h"
#include "game/Demo.h"
#include "game/Gamemain.h"
#include "game/Trace.h"
#include "platform/MessageText.h"
#include "platform/RendererChoice.h"
#include "platform/Resources.h"
#include "platform/Window.h"
#include "shell/Mainunit.h"

namespace {

const char kUsage[] =
    "Usage: pelloro [OPTIONS]\n"
    "A squirrel catches falling nuts in the order its speech balloon shows.\n"
    "\n"
    "Controls: arrow keys walk, Space starts, confirms and catches; B and Enter are mapped\n"
    "but unused; a joystick or game controller works too (stick or D-pad, first button = Space).\n"
    "P, Pause or Esc pause and resume; Ctrl+Q quits; M mutes, - and + change the volume;\n"
    "F11 or Alt+Enter toggles full screen; F12 saves a screenshot and F9 starts and stops a\n"
    "clip (PNG and GIF in Pelloro/ of your pictures folder). The keyboard is read only\n"
    "while the window has the focus, so the game pauses when it loses it; any key plays on.\n"
    "In --demo, your first key hands the game to you.\n"
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
    "  --data DIR             read the scene and difficulty texts (toybox.txt, dificulty.txt)\n"
    "                         and the media they name from DIR first, the built-in ones after\n"
    "  --check                load everything without a window, report every problem as\n"
    "                         FILE:LINE: ... and exit (1 if any is an error); see MODDING.md\n"
    "  --help                 show this help and exit\n"
    "  --version              show the version and exit\n"
    "\n"
    "Environment: PELLORO_SOUNDFONT (a General MIDI SoundFont for the music),\n"
    "SDL_VIDEODRIVER and SDL_AUDIODRIVER (SDL's drivers).\n"
    "Exit status: 0 when the window was closed (or the headless run ended), 1 on an error,\n"
    "2 on a bad command line.\n";

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

// The display the environment names, for messages: the Wayland one if set, else the X one.
std::string DisplayName() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland) return wayland;
    const char* display = std::getenv("DISPLAY");
    return display && *display ? display : "(none)";
}

// The largest K of --screenshot-every (K is held in an int).
constexpr long long kMaxScreenshotEvery = 1LL << 30;

int Usage(const std::string& problem) {
    std::fprintf(stderr, "pelloro: %s\nTry 'pelloro --help' for more information.\n", problem.c_str());
    return 2;
}

}  // namespace

static int RunProgram(int argc, char** argv) {
    TMainOptions options;
    options.frames = 500;
    std::string keysFile;
    bool framesGiven = false;
    bool verbose = false;
    std::string dataFolder;
    bool check = false;
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
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("pelloro %s\n", PELLORO_VERSION);
            return 0;
        } else if (arg == "--scale") {
            if (!needs(1)) return Usage("--scale needs a number from 1 to 8");
            if (auto why = ParseInt(argv[++i], 1, 8, value); !why.empty()) return Usage("--scale needs " + why);
            options.scale = static_cast<int>(value);
        } else if (arg == "--no-auto-pause") {
            options.autoPause = false;
        } else if (arg == "--fullscreen") {
            options.fullScreen = true;
        } else if (arg == "--volume") {
            if (!needs(1)) return Usage("--volume needs a number from 0 to 100");
            if (auto why = ParseInt(argv[++i], 0, 100, value); !why.empty()) return Usage("--volume needs " + why);
            options.volume = static_cast<int>(value);
        } else if (arg == "--seed") {
            if (!needs(1)) return Usage("--seed needs a number from 0 to 4294967295");
            if (auto why = ParseInt(argv[++i], 0, 4294967295LL, value); !why.empty()) return Usage("--seed needs " + why);
            options.seed = static_cast<std::uint32_t>(value);
        } else if (arg == "--verbose") {
            verbose = true;
        } else if (arg == "--data") {
            if (!needs(1)) return Usage("--data needs a folder");
            dataFolder = argv[++i];
        } else if (arg == "--check") {
            check = true;
        } else if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--frames") {
            if (!needs(1)) return Usage("--frames needs a number from 0 to " + std::to_string(kMaxFrame));
            if (auto why = ParseInt(argv[++i], 0, kMaxFrame, value); !why.empty()) return Usage("--frames needs " + why);
            options.frames = value;
            framesGiven = true;
        } else if (arg == "--keys") {
            if (!needs(1)) return Usage("--keys needs a file");
            keysFile = argv[++i];
        } else if (arg == "--screenshot") {
            if (!needs(1)) return Usage("--screenshot needs a file");
            options.screenshot = argv[++i];
        } else if (arg == "--screenshot-every") {
            if (!needs(2)) return Usage("--screenshot-every needs K and DIR");
            if (auto why = ParseInt(argv[i + 1], 1, kMaxScreenshotEvery, value); !why.empty()) {
                return Usage("--screenshot-every needs K as " + why);
            }
            options.screenshotEvery = static_cast<int>(value);
            options.screenshotDir = argv[i + 2];
            i += 2;
        } else if (arg == "--audio-out") {
            if (!needs(1)) return Usage("--audio-out needs a file");
            options.audioOut = argv[++i];
        } else if (arg == "--trace") {
            if (!needs(1)) return Usage("--trace needs a file");
            options.trace = argv[++i];
        } else {
            return Usage("unknown option '" + arg + "'");
        }
    }
    const bool headlessOnly = framesGiven || !keysFile.empty() || !options.screenshot.empty() ||
                              options.screenshotEvery > 0 || !options.audioOut.empty() || !options.trace.empty();
    if (headlessOnly && !options.headless) {
        return Usage("--frames, --keys, --screenshot, --screenshot-every, --audio-out and --trace need --headless");
    }
    if (!dataFolder.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_directory(dataFolder, ec)) return Usage("--data: " + dataFolder + " is not a folder");
        platform::SetDataFolder(dataFolder);
    }
    if (check) {
        const TProblems problems = TDataCheck().Run();
        int warnings = 0;
        for (const TProblem& problem : problems.Items()) {
            std::printf("%s\n", problem.Format().c_str());
            warnings += problem.error ? 0 : 1;
        }
        std::printf("pelloro: %s: %d error%s, %d warning%s\n", dataFolder.empty() ? "built-in data" : dataFolder.c_str(),
                    problems.Errors(), problems.Errors() == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s");
        return problems.Errors() > 0 ? 1 : 0;
    }
    if (options.screenshotEvery > 0) {
        std::error_code ec;
        if (!std::filesystem::is_directory(options.screenshotDir, ec)) {
            std::fprintf(stderr, "pelloro: --screenshot-every: %s is not a folder; create it first\n",
                         options.screenshotDir.c_str());
            return 1;
        }
    }
    if (!keysFile.empty()) {
        std::error_code ec;
        if (std::filesystem::is_directory(keysFile, ec)) return Usage("the key script " + keysFile + " is a folder, not a file");
        std::vector<std::uint8_t> bytes;
        switch (platform::ReadFile(keysFile, bytes)) {
        case platform::FileStatus::kRead:
            break;
        case platform::FileStatus::kMissing:
            if (std::filesystem::exists(keysFile, ec)) {
                return Usage("the key script " + keysFile + " is not a regular file; write the events into a file");
            }
            return Usage("the key script " + keysFile + " does not exist");
        case platform::FileStatus::kTooLarge:
            return Usage("the key script " + keysFile + " is larger than " +
                         std::to_string(platform::kMaxFileBytes >> 20) + " MiB; no run needs that many events");
        case platform::FileStatus::kUnreadable:
            return Usage("cannot read the key script " + keysFile + "; check its permissions");
        }
        std::string error;
        if (!ParseKeyScript(std::string(bytes.begin(), bytes.end()), options.keys, error)) return Usage(keysFile + ": " + error);
    }

    if (options.headless) {
        // Nothing of SDL's video or audio is needed: surfaces and offline mixing work without them.
        if (SDL_Init(0) != 0) {
            ShowError(std::string("cannot start SDL: ") + SDL_GetError(), {}, false);
            return 1;
        }
    } else {
        const char* display = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        const char* driver = std::getenv("SDL_VIDEODRIVER");
        if ((!display || !*display) && (!wayland || !*wayland) && (!driver || !*driver)) {
            std::fputs("pelloro: no display is available (DISPLAY and WAYLAND_DISPLAY are unset); start Pelloro "
                       "from a desktop session or name the display, e.g. DISPLAY=:0 pelloro (--headless only "
                       "renders frames, for tests and screenshots)\n",
                       stderr);
            return 1;
        }
        // With only an X display named, X is the one to talk to: probing Wayland first only adds noise.
        if ((!driver || !*driver) && (!wayland || !*wayland)) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "0");
        // The window class the desktop entry names, and the renderer: accelerated where the GL driver
        // is a hardware one, our own enlarging where it runs on the CPU.
        platform::Window::PrepareVideo();
        const platform::RendererChoice& renderer = platform::ChooseRenderer();
        if (verbose) std::fprintf(stderr, "pelloro: renderer: %s\n", renderer.reason.c_str());
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK) != 0 &&
            SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
            std::fprintf(stderr, "pelloro: cannot open display %s (%s); check DISPLAY, or run 'pelloro --headless'\n",
                         DisplayName().c_str(), SDL_GetError());
            SDL_Quit();  // what a failed start did bring up (a session bus connection) goes too
            return 1;
        }
        // When no display answers, SDL falls back to drivers that show nothing; a window nobody can
        // see would run for ever. Only someone who asks for such a driver by name gets one.
        const std::string chosen = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
        if ((chosen == "offscreen" || chosen == "dummy" || chosen == "evdev") && (!driver || chosen != driver)) {
            std::fprintf(stderr,
                         "pelloro: cannot open display %s: no X server or Wayland compositor answers there; "
                         "check DISPLAY, or run 'pelloro --headless'\n",
                         DisplayName().c_str());
            SDL_Quit();
            return 1;
        }
        if (options.scale > 0 && !options.fullScreen) {
            const int largest = platform::Window::LargestScale(320, 240);
            if (options.scale > largest) {
                std::fprintf(stderr, "pelloro: --scale %d does not fit this screen; the largest that fits is %d\n",
                             options.scale, largest);
                SDL_Quit();
                return 1;
            }
        }
    }

    int status = 0;
    try {
        TMainForm form(options);
        TDemoPilot pilot;
        if (options.demo) {
            form.BeforeFrame = [&](TMainForm& f) { pilot.Steer(f.MainMode(), f.Script()); };
        }
        std::ofstream trace;
        if (!options.trace.empty()) {
            trace.open(options.trace, std::ios::binary | std::ios::trunc);
            if (!trace) {
                std::fprintf(stderr, "pelloro: cannot write the trace %s\n", options.trace.c_str());
                SDL_Quit();
                return 1;
            }
            form.AfterFrame = [&](TMainForm& f) {
                if (const TGameMainMode* g = f.MainMode()) trace << TraceLine(*g, f.FrameNumber() - 1) << '\n';
            };
        }
        status = form.Run();
        if (trace.is_open() && !trace.flush()) {
            std::fprintf(stderr, "pelloro: cannot write the trace %s\n", options.trace.c_str());
            status = 1;
        }
    } catch (const EDataError& e) {
        if (!ShowError(e.what(), e.Advice(), !options.headless) && !options.headless) {
            ShowMessageInWindow(nullptr, std::string(e.what()) + "\n\n" + e.Advice());
        }
        status = 1;
    } catch (const std::exception& e) {
        if (!ShowError(e.what(), {}, !options.headless) && !options.headless) ShowMessageInWindow(nullptr, e.what());
        status = 1;
    }
    SDL_Quit();
    return status;
}

int main(int argc, char** argv) {
    // Whatever escapes the program's own handling ends in one line and an error status, not an abort.
    try {
        return RunProgram(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("pelloro: out of memory; close other programs and try again\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pelloro: %s\n", platform::Utf8ForMessage(e.what(), 200).c_str());
    }
    SDL_Quit();
    return 1;
}
