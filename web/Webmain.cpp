// The page's entry: the desktop's main window (its devices, kernel, modes and the player's side,
// unchanged) on the page's canvas and Web Audio, with its frames run from the browser's animation
// callback instead of a timer thread: every callback runs the 20 ms game frames its frame account owes
// (web/Frameaccount.h), so the game keeps 50 frames a second whatever the display's rate, and no
// frame is skipped or doubled.
//
// Arguments are the desktop's (index.html makes them from the page's address); in the page --keys and
// --frames drive the windowed game: the keyboard is the key script, and frames stop after frame N.
#include <SDL.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "data/DataError.h"
#include "game/Gamemain.h"
#include "game/Trace.h"
#include "platform/AudioOutput.h"
#include "Frameaccount.h"
#include "shell/Controls.h"
#include "shell/Mainunit.h"
#include "shell/Options.h"
#include "Webpage.h"

namespace {

// The SoundFont that index.html's data file puts into the page's file system.
constexpr const char* kPageSoundFont = "/pelloro.sf2";

struct WebGame {
    std::unique_ptr<TMainForm> form;
    TFrameAccount account{TMainForm::kFrameInterval};
    bool stopped = false;
    bool firstPictureSaid = false;
    std::string said;
};

WebGame* game = nullptr;

// The page shows the game's state beside the canvas too: paused, muted, an error.
void Say(const std::string& text) {
    if (game) {
        if (text == game->said) return;
        game->said = text;
    }
    EM_ASM({ if (Module.pelloroStatus) Module.pelloroStatus(UTF8ToString($0)); }, text.c_str());
}

void SayState() {
    if (!game || !game->form || game->stopped) return;
    const platform::AudioOutput* audio = game->form->Audio();
    std::string text;
    if (game->form->FramesPaused()) text = "Paused: press P, Esc or click to play on";
    if (audio && audio->Muted()) text += text.empty() ? "Muted (M)" : " · muted (M)";
    Say(text);
}

void Stop(const std::string& message) {
    game->stopped = true;
    if (platform::AudioOutput* audio = game->form->Audio()) audio->SetPaused(true);
    if (!message.empty()) {
        std::fprintf(stderr, "pelloro: %s\n", message.c_str());
        Say(message);
    }
}

void SetPaused(bool paused) {
    if (!game || !game->form || !game->form->Controls()) return;
    if (paused) {
        game->form->Controls()->Pause();
    } else {
        game->form->Controls()->Resume();
    }
    SayState();
}

void BrowserFrame() {
    if (!game || game->stopped) return;
    TMainForm& form = *game->form;
    if (!form.PumpEvents()) {
        Stop(form.FrameError().empty() ? "Pelloro has ended; reload the page to play again" : form.FrameError());
        return;
    }
    SayState();
    const double now = emscripten_get_now();
    if (form.FramesPaused()) {
        game->account.Restart(now);
        return;
    }
    for (int frames = game->account.Pay(now); frames > 0; --frames) {
        form.RunFrame();
        if (!form.FrameError().empty()) {
            Stop(form.FrameError());
            return;
        }
    }
    if (!game->firstPictureSaid && form.Draw().PresentCount() > 0) {
        game->firstPictureSaid = true;
        EM_ASM({ if (Module.pelloroFirstPicture) Module.pelloroFirstPicture(); });
    }
}

EM_BOOL VisibilityChanged(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    if (event->hidden) SetPaused(true);
    return EM_FALSE;
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
EMSCRIPTEN_KEEPALIVE int pelloro_paused() { return game && game->form && game->form->FramesPaused() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE void pelloro_set_paused(int paused) { SetPaused(paused != 0); }
// The attract mode still plays (--demo until the first key or tap).
EMSCRIPTEN_KEEPALIVE int pelloro_demo_running() { return game && game->form && game->form->DemoRunning() ? 1 : 0; }
}

int main(int argc, char** argv) {
    game = new WebGame();  // lives as long as the page
    TPlatformChoices page;
    page.frameClock = false;
    page.scriptsInWindow = true;
    page.quitKey = false;
    TCommandLine line = ParseCommandLine(argc, argv, page);
    if (line.action != TCommandLine::TAction::kRun) {
        const std::string problem = line.action == TCommandLine::TAction::kBad ? line.problem : "the page takes no --help or --version";
        std::fprintf(stderr, "pelloro: %s\n", problem.c_str());
        Say(problem);
        return 1;
    }
    // The page sizes the canvas (by whole numbers of the picture); the window fills what it is given.
    line.options.player.scale = 1;
    setenv("PELLORO_SOUNDFONT", kPageSoundFont, 1);
    // The picture goes to the canvas as it is (a 2D canvas scaled by the page), and keys are the
    // canvas's own, so the page around it scrolls and types as usual.
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_KEYBOARD_ELEMENT, "#canvas");
    webpage::PrepareVideo();
    // Gamepads through the browser's Gamepad API, read as on the desktop; without them the game plays on.
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0 &&
        SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        Say(std::string("cannot start SDL: ") + SDL_GetError());
        return 1;
    }
    // Without text input every key the game uses is the game's: Space and the arrows do not scroll.
    SDL_StopTextInput();
    try {
        game->form = std::make_unique<TMainForm>(line.options);
    } catch (const EDataError& e) {
        Say(std::string(e.what()) + " " + e.Advice());
        return 1;
    } catch (const std::exception& e) {
        Say(e.what());
        return 1;
    }
    webpage::Attach(game->form->Draw());
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, &VisibilityChanged);
    game->account.Pay(emscripten_get_now());
    SayState();
    emscripten_set_main_loop(&BrowserFrame, 0, 0);
    return 0;
}
