// The page's entry: the desktop's main window (its devices, kernel and modes, unchanged) on the page's
// canvas and Web Audio, with its frames run from the browser's animation callback instead of a timer
// thread: every callback runs the 20 ms game frames its frame account owes (web/Frameaccount.h), so
// the game keeps 50 frames a second whatever the display's rate, and no frame is skipped or doubled.
//
// Arguments (index.html makes them from the page's address):
//   --seed S      fixed random seed
//   --keys FILE   the keyboard is this key script (FRAME KEY down|up), not the player's keys
//   --frames N    stop running frames after frame N (the picture then stays), for the browser check
//   --demo        the squirrel plays by itself
//   --volume N    0-100
#include <SDL.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "data/DataError.h"
#include "game/Demo.h"
#include "game/Gamemain.h"
#include "game/Trace.h"
#include "platform/AudioOutput.h"
#include "Frameaccount.h"
#include "platform/Resources.h"
#include "shell/Keyscript.h"
#include "shell/Mainunit.h"

namespace {

// The SoundFont that index.html's data file puts into the page's file system.
constexpr const char* kPageSoundFont = "/pelloro.sf2";

struct WebGame {
    TMainOptions options;
    std::unique_ptr<TMainForm> form;
    TDemoPilot pilot;
    std::int64_t stopAfter = -1;  // --frames
    std::size_t nextKeyEvent = 0;
    TFrameAccount account{TMainForm::kFrameInterval};
    bool paused = false;
    bool stopped = false;
    bool firstPictureSaid = false;
};

WebGame* game = nullptr;

// The page shows the game's state beside the canvas: paused, muted, an error.
void Say(const std::string& text) {
    EM_ASM({ if (Module.pelloroStatus) Module.pelloroStatus(UTF8ToString($0)); }, text.c_str());
}

void SayState() {
    if (!game || !game->form) return;
    const platform::AudioOutput* audio = game->form->Audio();
    std::string text;
    if (game->paused) text = "Paused: press P, Esc or click to play on";
    if (audio && audio->Muted()) text += text.empty() ? "Muted (M)" : " · muted (M)";
    Say(text);
}

void SetPaused(bool paused) {
    if (!game || game->paused == paused) return;
    game->paused = paused;
    if (platform::AudioOutput* audio = game->form->Audio()) audio->SetPaused(paused);
    SayState();
}

void Stop(const std::string& message) {
    game->stopped = true;
    if (platform::AudioOutput* audio = game->form->Audio()) audio->SetPaused(true);
    if (!message.empty()) {
        std::fprintf(stderr, "pelloro: %s\n", message.c_str());
        Say(message);
    }
}

void HandleEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type != SDL_KEYDOWN || event.key.repeat) continue;
        const SDL_Keycode key = event.key.keysym.sym;
        if (key == SDLK_p || key == SDLK_ESCAPE || key == SDLK_PAUSE) {
            SetPaused(!game->paused);
        } else if (key == SDLK_m) {
            if (platform::AudioOutput* audio = game->form->Audio()) audio->SetMuted(!audio->Muted());
            SayState();
        }
    }
}

void RunFrame() {
    TMainForm& form = *game->form;
    const std::vector<TKeyEvent>& keys = game->options.keys;
    while (game->nextKeyEvent < keys.size() && keys[game->nextKeyEvent].frame <= form.FrameNumber()) {
        const TKeyEvent& event = keys[game->nextKeyEvent++];
        form.Script().SetKey(event.code, event.down);
    }
    form.HITimerTimer(nullptr);
    if (!game->firstPictureSaid && form.Draw().PresentCount() > 0) {
        game->firstPictureSaid = true;
        EM_ASM({ if (Module.pelloroFirstPicture) Module.pelloroFirstPicture(); });
    }
}

void BrowserFrame() {
    if (!game || game->stopped) return;
    HandleEvents();
    const double now = emscripten_get_now();
    if (game->paused) {
        game->account.Restart(now);
        return;
    }
    TMainForm& form = *game->form;
    for (int frames = game->account.Pay(now); frames > 0 && !game->stopped; --frames) {
        RunFrame();
        if (!form.FrameError().empty()) {
            Stop(form.FrameError());
        } else if (game->stopAfter >= 0 && form.FrameNumber() >= game->stopAfter) {
            Stop("");
        }
    }
}

EM_BOOL VisibilityChanged(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    if (event->hidden) SetPaused(true);
    return EM_FALSE;
}

bool ParseNumber(const char* text, long long low, long long high, long long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

// False with a message for the page when an argument is wrong.
bool ParseArguments(int argc, char** argv, WebGame& g, std::string& problem) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        long long number = 0;
        if (arg == "--demo") {
            g.options.demo = true;
        } else if (arg == "--seed") {
            if (!ParseNumber(value, 0, 4294967295LL, number)) return problem = "seed= needs a number from 0 to 4294967295", false;
            g.options.seed = static_cast<std::uint32_t>(number);
            ++i;
        } else if (arg == "--frames") {
            if (!ParseNumber(value, 1, kMaxFrame, number)) return problem = "frames= needs a number of at least 1", false;
            g.stopAfter = number;
            ++i;
        } else if (arg == "--volume") {
            if (!ParseNumber(value, 0, 100, number)) return problem = "volume= needs a number from 0 to 100", false;
            g.options.volume = static_cast<int>(number);
            ++i;
        } else if (arg == "--keys") {
            std::vector<std::uint8_t> bytes;
            if (!platform::ReadWholeFile(value, bytes)) return problem = std::string("cannot read the key script ") + value, false;
            std::string error;
            if (!ParseKeyScript(std::string(bytes.begin(), bytes.end()), g.options.keys, error)) {
                return problem = "keys=: " + error, false;
            }
            g.options.scriptedKeys = true;
            ++i;
        } else {
            return problem = "unknown argument '" + arg + "'", false;
        }
    }
    return true;
}

}  // namespace

// The browser check's hooks, called from the page.
extern "C" {
EMSCRIPTEN_KEEPALIVE double pelloro_frame() { return game && game->form ? static_cast<double>(game->form->FrameNumber()) : -1; }
EMSCRIPTEN_KEEPALIVE int pelloro_save_picture(const char* path) {
    return game && game->form && game->form->Draw().SavePresentedBmp(path) ? 1 : 0;
}
// The sequencer's passes so far: they run in Web Audio's render step, so they grow only while the
// page's sound is really playing; -1 when the music device is not ready.
EMSCRIPTEN_KEEPALIVE double pelloro_music_passes() {
    if (!game || !game->form || !game->form->Midi().IsOpened()) return -1;
    return static_cast<double>(game->form->Midi().PassCount());
}
// The game's state after the last frame, as a line of the desktop's --trace; "" before the game.
EMSCRIPTEN_KEEPALIVE const char* pelloro_trace() {
    static std::string line;
    line.clear();
    if (game && game->form) {
        if (const TGameMainMode* g = game->form->MainMode()) line = TraceLine(*g, game->form->FrameNumber() - 1);
    }
    return line.c_str();
}
EMSCRIPTEN_KEEPALIVE int pelloro_paused() { return game && game->paused ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE void pelloro_set_paused(int paused) { SetPaused(paused != 0); }
}

int main(int argc, char** argv) {
    game = new WebGame();  // lives as long as the page
    std::string problem;
    if (!ParseArguments(argc, argv, *game, problem)) {
        std::fprintf(stderr, "pelloro: %s\n", problem.c_str());
        Say(problem);
        return 1;
    }
    game->options.frameClock = false;
    // The page sizes the canvas (by whole numbers of the picture); the window fills what it is given.
    game->options.scale = 1;
    setenv("PELLORO_SOUNDFONT", kPageSoundFont, 1);
    // The picture goes to the canvas as it is (a 2D canvas scaled by the page), and keys are the
    // canvas's own, so the page around it scrolls and types as usual.
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_KEYBOARD_ELEMENT, "#canvas");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        Say(std::string("cannot start SDL: ") + SDL_GetError());
        return 1;
    }
    // Without text input every key the game uses is the game's: Space and the arrows do not scroll.
    SDL_StopTextInput();
    try {
        game->form = std::make_unique<TMainForm>(game->options);
    } catch (const EDataError& e) {
        Say(std::string(e.what()) + " " + e.Advice());
        return 1;
    } catch (const std::exception& e) {
        Say(e.what());
        return 1;
    }
    if (game->options.demo) {
        game->form->BeforeFrame = [](TMainForm& f) { game->pilot.Steer(f.MainMode(), f.Script()); };
    }
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, &VisibilityChanged);
    game->account.Pay(emscripten_get_now());
    SayState();
    emscripten_set_main_loop(&BrowserFrame, 0, 0);
    return 0;
}
