#include "shell/Mainunit.h"

#include <SDL.h>

#include <cstdio>

#include "data/DataError.h"
#include "game/Demo.h"
#include "game/Gamemain.h"
#include "platform/AudioOutput.h"
#include "platform/FluidSynthOutput.h"
#include "platform/Keycodes.h"
#include "platform/SdlInput.h"
#include "platform/Window.h"
#include "shell/Controls.h"

namespace {

constexpr int kClientWidth = 320;   // pixels
constexpr int kClientHeight = 240;  // pixels

}  // namespace

bool ShowError(const std::string& message, const std::string& advice, bool displayAvailable) {
    std::fprintf(stderr, "pelloro: %s\n", message.c_str());
    if (!advice.empty()) std::fprintf(stderr, "pelloro: %s\n", advice.c_str());
    const std::string shown = advice.empty() ? message : message + "\n\n" + advice;
    return displayAvailable && SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Pelloro", shown.c_str(), nullptr) == 0;
}

TMainForm::TMainForm(const TMainOptions& opts) : options(opts), HITimer(opts.test.timerService) {
    // 1. The form itself from its design values: the window, its client area and the disabled frame clock.
    HITimer.SetEnabled(false);
    HITimer.SetInterval(kFrameInterval);
    HITimer.SetOnTimer([this](THITimer* sender) {
        if (options.test.headless) {
            HITimerTimer(sender);
            return;
        }
        if (tickPending.exchange(true)) return;
        SDL_Event tick{};
        tick.type = tickEventType;
        if (SDL_PushEvent(&tick) != 1) tickPending = false;
    });
    HITimer.Loaded();
    VekDraw.SetWidth(kClientWidth);
    VekDraw.SetHeight(kClientHeight);
    if (!options.test.headless) {
        tickEventType = SDL_RegisterEvents(1);
        std::string error;
        window = platform::Window::Create("Pelloro", kClientWidth, kClientHeight, options.player.scale, options.player.fullScreen, &error);
        if (!window) throw std::runtime_error("cannot open the window: " + error);
        std::string audioError;
        // The mix runs at the device's own rate; the sound device converts its waves to it at load.
        audio = platform::AudioOutput::OpenDevice(platform::AudioOutput::kNativeRate, VekSound.Bits, VekSound.Stereo, &audioError);
        sdlInput = std::make_unique<platform::SdlInputSource>(window->Handle());
        controls = std::make_unique<TControls>(*this);
    } else {
        audio = platform::AudioOutput::OpenOffline(platform::AudioOutput::kOfflineRate, VekSound.Bits, VekSound.Stereo);
    }
    if (audio) audio->SetVolume(options.player.volume);

    // The MIDI device's one message reaches the player the way every error of the program does, with
    // an English line of what to do beside it.
    if (const std::string rejected = platform::FluidSynthOutput::RejectedChoice(); !rejected.empty()) {
        std::fprintf(stderr, "pelloro: PELLORO_SOUNDFONT names %s, which is not a SoundFont file; trying the default\n",
                     rejected.c_str());
    }
    const TVekMidi::MessageHandler showMidiMessage = [this](const std::string& message) {
        const std::string advice = audio ? platform::FluidSynthOutput::Advice()
                                         : "the music plays through the audio output, and none could be opened";
        std::fprintf(stderr, "%s\npelloro: %s\n", message.c_str(), advice.c_str());
        if (options.test.headless) return;
        const std::string shown = message + "\n\n" + advice;
        // Without a box, the message goes over the game for a few seconds: it is not fatal.
        if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", shown.c_str(), nullptr) != 0) {
            if (controls) controls->ShowSign(platform::SignPlace::kBottom, shown, TControls::kBannerMs);
        } else {
            // The box took the focus for a while; that is no reason to pause the game.
            SDL_PumpEvents();
            SDL_FlushEvent(SDL_WINDOWEVENT);
        }
    };

    // 2.–5. The devices, in this order; a device that fails stays not ready and the game runs without it.
    VekDraw.Init(window.get());
    if (sdlInput && !options.player.demo && !options.platform.scriptedKeys) inputSwitch.Use(sdlInput.get());
    VekInput.Init(&inputSwitch);
    VekSound.Init(audio.get());
    VekMidi.Init(audio ? platform::FluidSynthOutput::For(*audio) : nullptr, false, audio.get(), showMidiMessage);

    // 6. Space, B and Enter on the three action buttons; a failed input device keeps no map.
    InputState keyMap;
    if (VekInput.GetKeys(keyMap)) {
        keyMap[4] = platform::kDikSpace;
        keyMap[5] = platform::kDikB;
        keyMap[6] = platform::kDikReturn;
        VekInput.SetKeys(keyMap);
    }

    // 7.–8. The kernel over the devices, then the root mode over the kernel.
    kernel = std::make_unique<TKernel>(&VekDraw, &VekSound, &VekInput, &VekMidi);
    kernel->SetSeed(options.player.seed);
    root = std::make_unique<TGameMgrMode>(nullptr, kernel.get(), 0);
    root->SetMainModeFactory([this](TGameMode* parent, TKernel* k, std::int32_t param) {
        auto mode = std::make_unique<TGameMainMode>(parent, k, param);
        mainMode = mode.get();
        return mode;
    });

    if (options.player.demo) pilot = std::make_unique<TDemoPilot>();

    // 9. Only now can the first tick arrive. Headless runs are driven frame by frame instead.
    if (options.test.headless) {
        headless = std::make_unique<THeadless>(*this, options.test);
    } else if (options.platform.frameClock) {
        HITimer.SetEnabled(true);
        HITimer.Start();
    }
}

TMainForm::~TMainForm() {
    FormDestroy();
    VekMidi.CleanUp();
    VekSound.ReleaseAll();
    VekInput.ReleaseAll();
    VekDraw.ReleaseAll();
    audio.reset();
    sdlInput.reset();
    window.reset();
}

void TMainForm::HITimerTimer(THITimer*) {
    if (destroyed || !frameError.empty()) return;
    try {
        const std::vector<TKeyEvent>& keys = options.test.keys;
        while (nextKeyEvent < keys.size() && keys[nextKeyEvent].frame <= frameNumber) {
            const TKeyEvent& event = keys[nextKeyEvent++];
            scripted.SetKey(event.code, event.down);
        }
        if (pilot) pilot->Steer(MainMode(), scripted);
        if (BeforeFrame) BeforeFrame(*this);
        kernel->Poll(static_cast<std::int32_t>(kFrameInterval));
        root->Tick(static_cast<std::int32_t>(kFrameInterval));
        ++frameNumber;
        if (AfterFrame) AfterFrame(*this);
    } catch (const EDataError& e) {
        HandleFrameError(e.what(), e.Advice());
    } catch (const std::exception& e) {
        HandleFrameError(e.what(), {});
    }
}

void TMainForm::HandleFrameError(const std::string& message, const std::string& advice) {
    frameError = message.empty() ? std::string("unknown error") : message;
    frameAdvice = advice;
    HITimer.SetEnabled(false);
}

void TMainForm::FormPaint() {
    if (destroyed || !frameError.empty()) return;
    try {
        root->Paint();
    } catch (const EDataError& e) {
        HandleFrameError(e.what(), e.Advice());
    } catch (const std::exception& e) {
        HandleFrameError(e.what(), {});
    }
}

void TMainForm::FormDestroy() {
    if (destroyed) return;
    destroyed = true;
    // The clock first, so no frame runs after the modes and the kernel are gone.
    HITimer.SetEnabled(false);
    if (tickEventType != 0) SDL_FlushEvent(tickEventType);
    tickPending = false;
    mainMode = nullptr;
    root.reset();
    kernel.reset();
    if (VekMidi.IsPlay()) VekMidi.Stop();
}

TGameMainMode* TMainForm::MainMode() const {
    // A finished child is replaced by a new one; only the mode the factory handed out last is ours.
    return root && mainMode && root->Child() == mainMode ? mainMode : nullptr;
}

bool TMainForm::RunHeadlessFrame() { return headless && headless->RunFrame(); }

void TMainForm::PauseFrames() {
    if (framesPaused) return;
    framesPaused = true;
    HITimer.SetEnabled(false);
    if (tickEventType != 0) SDL_FlushEvent(tickEventType);
    tickPending = false;
    if (audio) audio->SetPaused(true);
}

void TMainForm::ResumeFrames() {
    if (!framesPaused) return;
    framesPaused = false;
    // The key that resumed, and any other held now, must not reach the game as a press.
    if (sdlInput) sdlInput->SwallowHeldKeys();
    if (audio) audio->SetPaused(false);
    if (options.platform.frameClock && !options.test.headless) HITimer.SetEnabled(true);
}

void TMainForm::EndDemo() {
    if (!pilot) return;
    pilot.reset();
    if (sdlInput && !options.platform.scriptedKeys) {
        sdlInput->SwallowHeldKeys();
        inputSwitch.Use(sdlInput.get());
    }
    scripted.ReleaseAllKeys();
    // A fresh main mode: the title, as when the program starts.
    if (root) root->DeleteChild();
}

void TMainForm::RunFrame() {
    if (framesPaused || destroyed) return;
    if (options.test.lastFrame >= 0 && frameNumber >= options.test.lastFrame) return;
    HITimerTimer(&HITimer);
    if (controls) controls->AfterFrame();
}

bool TMainForm::HandleEvent(const SDL_Event& event) {
    if (event.type == tickEventType) {
        tickPending = false;
        RunFrame();
    } else if (event.type == SDL_QUIT) {
        quit = true;
    } else if (!controls->HandleEvent(event) && event.type == SDL_WINDOWEVENT) {
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) FormPaint();
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) quit = true;
    }
    if (sdlInput) sdlInput->HandleEvent(event);
    if (controls->QuitAsked()) quit = true;
    return frameError.empty() && !quit;
}

bool TMainForm::PumpEvents() {
    if (!controls) return frameError.empty();
    SDL_Event event;
    while (SDL_PollEvent(&event) == 1) HandleEvent(event);
    controls->ExpireSigns();
    return frameError.empty() && !quit;
}

int TMainForm::Run() {
    int status = 0;
    if (options.test.headless) {
        status = headless->Run();
    } else {
        SDL_Event event;
        bool running = true;
        while (running) {
            const int timeout = controls->WaitTimeout();
            const bool got = timeout < 0 ? SDL_WaitEvent(&event) == 1 : SDL_WaitEventTimeout(&event, timeout) == 1;
            controls->ExpireSigns();
            if (got) running = HandleEvent(event);
        }
        controls.reset();  // a clip being recorded is finished now
    }
    FormDestroy();
    if (!frameError.empty()) {
        if (!ShowError(frameError, frameAdvice, !options.test.headless) && window) {
            ShowInWindow(frameAdvice.empty() ? frameError : frameError + "\n\n" + frameAdvice);
        }
        status = 1;
    }
    return status;
}

void TMainForm::ShowInWindow(const std::string& text) { ShowMessageInWindow(window.get(), text); }

void ShowMessageInWindow(platform::Window* window, const std::string& text) {
    std::unique_ptr<platform::Window> own;
    if (!window) {
        std::string error;
        own = platform::Window::Create("Pelloro", kClientWidth, kClientHeight, 0, false, &error);
        if (!own) return;
        window = own.get();
    }
    // The game is over: its picture gives way to black, which also gives a window that never showed
    // a frame something to draw the message over.
    if (SDL_Surface* black = SDL_CreateRGBSurfaceWithFormat(0, kClientWidth, kClientHeight, 32, SDL_PIXELFORMAT_RGB888)) {
        SDL_FillRect(black, nullptr, 0);
        window->Present(black);
        SDL_FreeSurface(black);
    }
    window->SetSign(platform::SignPlace::kTopRight, "");
    window->SetSign(platform::SignPlace::kBottom, "");
    window->SetSign(platform::SignPlace::kCentre, text + "\n\nPress a key or close the window.");
    window->Repaint();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_Event event;
    while (SDL_WaitEvent(&event) == 1) {
        if (event.type == SDL_QUIT || event.type == SDL_KEYDOWN) break;
        if (event.type == SDL_WINDOWEVENT) {
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) break;
            window->Repaint();
        }
    }
}
