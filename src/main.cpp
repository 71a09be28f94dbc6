// Program entry: options, start-up, and the message box for what goes wrong.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>

#include "data/DataError.h"
#include "game/Datacheck.h"
#include "game/Gamemain.h"
#include "game/Trace.h"
#include "platform/Display.h"
#include "platform/MessageText.h"
#include "platform/RendererChoice.h"
#include "platform/Resources.h"
#include "platform/System.h"
#include "platform/Window.h"
#include "shell/Mainunit.h"
#include "shell/Options.h"

namespace {

int Usage(const std::string& problem) {
    std::fprintf(stderr, "pelloro: %s\nTry 'pelloro --help' for more information.\n", problem.c_str());
    return 2;
}

}  // namespace

static int RunProgram(int argc, char** argv) {
    const TCommandLine line = ParseCommandLine(argc, argv);
    switch (line.action) {
    case TCommandLine::TAction::kHelp:
        std::fputs(UsageText(), stdout);
        return 0;
    case TCommandLine::TAction::kVersion:
        std::printf("pelloro %s\n", PELLORO_VERSION);
        return 0;
    case TCommandLine::TAction::kBad:
        if (line.problemIsOutside) {
            std::fprintf(stderr, "pelloro: %s\n", line.problem.c_str());
            return 1;
        }
        return Usage(line.problem);
    case TCommandLine::TAction::kRun:
        break;
    }
    const TMainOptions& options = line.options;
    const bool verbose = options.player.verbose;
    if (!options.mod.dataFolder.empty()) platform::SetDataFolder(options.mod.dataFolder);
    if (options.mod.check) {
        const TProblems problems = TDataCheck().Run();
        int warnings = 0;
        for (const TProblem& problem : problems.Items()) {
            std::printf("%s\n", problem.Format().c_str());
            warnings += problem.error ? 0 : 1;
        }
        const std::string& folder = options.mod.dataFolder;
        std::printf("pelloro: %s: %d error%s, %d warning%s\n", folder.empty() ? "built-in data" : folder.c_str(),
                    problems.Errors(), problems.Errors() == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s");
        return problems.Errors() > 0 ? 1 : 0;
    }

    if (options.test.headless) {
        // Nothing of SDL's video or audio is needed: surfaces and offline mixing work without them.
        if (SDL_Init(0) != 0) {
            ShowError(std::string("cannot start SDL: ") + SDL_GetError(), {}, false);
            return 1;
        }
    } else {
        const char* driver = std::getenv("SDL_VIDEODRIVER");
        if (const std::string problem = platform::NoDisplayMessage(); !problem.empty()) {
            std::fprintf(stderr, "pelloro: %s\n", problem.c_str());
            return 1;
        }
        platform::PrepareVideoDriver();
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "0");
        // The window class the desktop entry names, and the renderer: accelerated where the GL driver
        // is a hardware one, our own enlarging where it runs on the CPU.
        platform::Window::PrepareVideo();
        const platform::RendererChoice& renderer = platform::ChooseRenderer();
        if (verbose) std::fprintf(stderr, "pelloro: renderer: %s\n", renderer.reason.c_str());
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK) != 0 &&
            SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
            std::fprintf(stderr, "pelloro: %s\n", platform::DisplayFailedMessage(SDL_GetError()).c_str());
            SDL_Quit();  // what a failed start did bring up (a session bus connection) goes too
            return 1;
        }
        // When no display answers, SDL falls back to drivers that show nothing; a window nobody can
        // see would run for ever. Only someone who asks for such a driver by name gets one.
        const std::string chosen = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
        if ((chosen == "offscreen" || chosen == "dummy" || chosen == "evdev") && (!driver || chosen != driver)) {
            std::fprintf(stderr, "pelloro: %s\n", platform::DisplayInvisibleMessage().c_str());
            SDL_Quit();
            return 1;
        }
        if (options.player.scale > 0 && !options.player.fullScreen) {
            const int largest = platform::Window::LargestScale(320, 240);
            if (options.player.scale > largest) {
                std::fprintf(stderr, "pelloro: --scale %d does not fit this screen; the largest that fits is %d\n",
                             options.player.scale, largest);
                SDL_Quit();
                return 1;
            }
        }
    }

    int status = 0;
    try {
        TMainForm form(options);
        std::ofstream trace;
        if (!options.test.trace.empty()) {
            trace.open(options.test.trace, std::ios::binary | std::ios::trunc);
            if (!trace) {
                std::fprintf(stderr, "pelloro: cannot write the trace %s\n", options.test.trace.c_str());
                SDL_Quit();
                return 1;
            }
            form.AfterFrame = [&](TMainForm& f) {
                if (const TGameMainMode* g = f.MainMode()) trace << TraceLine(*g, f.FrameNumber() - 1) << '\n';
            };
        }
        status = form.Run();
        if (trace.is_open() && !trace.flush()) {
            std::fprintf(stderr, "pelloro: cannot write the trace %s\n", options.test.trace.c_str());
            status = 1;
        }
    } catch (const EDataError& e) {
        if (!ShowError(e.what(), e.Advice(), !options.test.headless) && !options.test.headless) {
            ShowMessageInWindow(nullptr, std::string(e.what()) + "\n\n" + e.Advice());
        }
        status = 1;
    } catch (const std::exception& e) {
        if (!ShowError(e.what(), {}, !options.test.headless) && !options.test.headless) ShowMessageInWindow(nullptr, e.what());
        status = 1;
    }
    SDL_Quit();
    return status;
}

int main(int argc, char** argv) {
    platform::AttachTerminal();
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
