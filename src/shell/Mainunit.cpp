#include "shell/Mainunit.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "platform/AudioOutput.h"
#include "platform/Keycodes.h"
#include "platform/SdlInput.h"
#include "platform/Window.h"

namespace {

constexpr int kClientWidth = 320;   // pixels
constexpr int kClientHeight = 240;  // pixels
constexpr std::uint32_t kFrameInterval = 20;  // ms

// Only one tick may wait in the event queue: a slow frame is not followed by a burst.
std::atomic<bool> gTickPending{false};

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

bool ParseKeyScript(const std::string& text, std::vector<TKeyEvent>& events, std::string& error) {
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream fields(line);
        std::string frameText, key, action, extra;
        if (!(fields >> frameText)) continue;
        char* end = nullptr;
        const long long frame = std::strtoll(frameText.c_str(), &end, 10);
        if (!(fields >> key >> action) || (fields >> extra) || *end != '\0' || frame < 0) {
            error = "line " + std::to_string(lineNo) + ": expected FRAME KEY down|up";
            return false;
        }
        const int code = platform::KeyCodeFromName(key);
        if (code < 0) {
            error = "line " + std::to_string(lineNo) + ": unknown key '" + key + "'";
            return false;
        }
        action = Lower(action);
        if (action != "down" && action != "up") {
            error = "line " + std::to_string(lineNo) + ": expected down or up, not '" + action + "'";
            return false;
        }
        events.push_back({frame, code, action == "down"});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const TKeyEvent& a, const TKeyEvent& b) { return a.frame < b.frame; });
    return true;
}

void ShowError(const std::string& message, bool displayAvailable) {
    std::fprintf(stderr, "pelloro: %s\n", message.c_str());
    if (displayAvailable) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Pelloro", message.c_str(), nullptr);
}

TMainForm::TMainForm(const TMainOptions& opts) : options(opts), HITimer(opts.timerService) {
    // 1. The form itself from its design values: the window, its client area and the disabled frame clock.
    HITimer.SetEnabled(false);
    HITimer.SetInterval(kFrameInterval);
    HITimer.SetOnTimer([this](THITimer* sender) {
        if (options.headless) {
            HITimerTimer(sender);
            return;
        }
        if (gTickPending.exchange(true)) return;
        SDL_Event tick{};
        tick.type = tickEventType;
        if (SDL_PushEvent(&tick) != 1) gTickPending = false;
    });
    HITimer.Loaded();
    VekDraw.SetWidth(kClientWidth);
    VekDraw.SetHeight(kClientHeight);
    if (!options.headless) {
        tickEventType = SDL_RegisterEvents(1);
        std::string error;
        window = platform::Window::Create("Pelloro", kClientWidth, kClientHeight, options.scale, options.fullScreen, &error);
        if (!window) throw std::runtime_error("cannot open the window: " + error);
        std::string audioError;
        // The mix runs at the device's own rate; the sound device converts its waves to it at load.
        audio = platform::AudioOutput::OpenDevice(platform::AudioOutput::kNativeRate, VekSound.Bits, VekSound.Stereo, &audioError);
        sdlInput = std::make_unique<platform::SdlInputSource>(window->Handle());
    } else {
        audio = platform::AudioOutput::OpenOffline(platform::AudioOutput::kOfflineRate, VekSound.Bits, VekSound.Stereo);
    }
    if (audio) audio->SetVolume(options.volume);

    // 2.–5. The devices, in this order; a device that fails stays not ready and the game runs without it.
    startupLog.push_back(VekDraw.Init(window.get()) ? "draw" : "draw (not ready)");
    platform::InputSource* source = &scripted;
    if (sdlInput && !options.demo) source = sdlInput.get();
    startupLog.push_back(VekInput.Init(source) ? "input" : "input (not ready)");
    startupLog.push_back(VekSound.Init(audio.get()) ? "sound" : "sound (not ready)");
    startupLog.push_back(VekMidi.Init(audio.get()) ? "midi" : "midi (not ready)");

    // 6. Space, B and Enter on the three action buttons; a failed input device keeps no map.
    InputState keyMap;
    if (VekInput.GetKeys(keyMap)) {
        keyMap[4] = 57;
        keyMap[5] = 48;
        keyMap[6] = 28;
        VekInput.SetKeys(keyMap);
    }
    startupLog.push_back("keys");

    // 7.–8. The kernel over the devices, then the root mode over the kernel.
    kernel = std::make_unique<TKernel>(&VekDraw, &VekSound, &VekInput, &VekMidi);
    kernel->SetSeed(options.seed);
    startupLog.push_back("kernel");
    root = std::make_unique<TGameMgrMode>(nullptr, kernel.get(), 0);
    startupLog.push_back("root");

    // 9. Only now can the first tick arrive. Headless runs are driven frame by frame instead.
    if (!options.headless) {
        HITimer.SetEnabled(true);
        HITimer.Start();
        startupLog.push_back("timer");
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
        if (BeforeFrame) BeforeFrame(*this);
        kernel->Poll(static_cast<std::int32_t>(kFrameInterval));
        root->Tick(static_cast<std::int32_t>(kFrameInterval));
        ++frameNumber;
        if (AfterFrame) AfterFrame(*this);
    } catch (const std::exception& e) {
        HandleFrameError(e.what());
    }
}

void TMainForm::HandleFrameError(const std::string& message) {
    frameError = message.empty() ? std::string("unknown error") : message;
    HITimer.SetEnabled(false);
}

void TMainForm::FormPaint() {
    if (destroyed || !frameError.empty()) return;
    try {
        root->Paint();
    } catch (const std::exception& e) {
        HandleFrameError(e.what());
    }
}

void TMainForm::FormDestroy() {
    if (destroyed) return;
    destroyed = true;
    // The clock first, so no frame runs after the modes and the kernel are gone.
    HITimer.SetEnabled(false);
    if (tickEventType != 0) SDL_FlushEvent(tickEventType);
    gTickPending = false;
    root.reset();
    kernel.reset();
    if (VekMidi.IsPlay()) VekMidi.Stop();
}

bool TMainForm::RunHeadlessFrame() {
    while (nextKeyEvent < options.keys.size() && options.keys[nextKeyEvent].frame <= frameNumber) {
        const TKeyEvent& event = options.keys[nextKeyEvent++];
        scripted.SetKey(event.code, event.down);
    }
    HITimerTimer(nullptr);
    if (!frameError.empty()) return false;
    if (audio) audio->RenderOffline(audio->Rate() * static_cast<int>(kFrameInterval) / 1000,
                                    options.audioOut.empty() ? nullptr : &rendered);
    if (options.screenshotEvery > 0 && frameNumber % options.screenshotEvery == 0) {
        char name[64];
        std::snprintf(name, sizeof name, "/frame%06lld.bmp", static_cast<long long>(frameNumber));
        VekDraw.SavePresentedBmp(options.screenshotDir + name);
    }
    return true;
}

int TMainForm::Run() {
    int status = 0;
    if (options.headless) {
        while (frameNumber < options.frames && RunHeadlessFrame()) {
        }
        if (!options.screenshot.empty() && !VekDraw.SavePresentedBmp(options.screenshot)) {
            std::fprintf(stderr, "pelloro: cannot write the screenshot %s\n", options.screenshot.c_str());
            status = 1;
        }
        if (!options.audioOut.empty() && audio &&
            !platform::WriteWav16(options.audioOut, rendered, audio->Rate(), audio->Channels())) {
            std::fprintf(stderr, "pelloro: cannot write the audio %s\n", options.audioOut.c_str());
            status = 1;
        }
    } else {
        SDL_Event event;
        bool running = true;
        while (running && SDL_WaitEvent(&event)) {
            if (event.type == tickEventType) {
                gTickPending = false;
                HITimerTimer(&HITimer);
            } else if (event.type == SDL_QUIT) {
                running = false;
            } else if (event.type == SDL_WINDOWEVENT) {
                if (event.window.event == SDL_WINDOWEVENT_EXPOSED) FormPaint();
                if (event.window.event == SDL_WINDOWEVENT_CLOSE) running = false;
            } else if (event.type == SDL_KEYDOWN && !event.key.repeat) {
                const SDL_Keycode key = event.key.keysym.sym;
                if (key == SDLK_F11 || (key == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT))) {
                    window->ToggleFullScreen();
                    FormPaint();
                } else if (key == SDLK_m && audio) {
                    audio->SetMuted(!audio->Muted());
                }
            }
            if (sdlInput) sdlInput->HandleEvent(event);
            if (!frameError.empty()) running = false;
        }
    }
    FormDestroy();
    if (!frameError.empty()) {
        ShowError(frameError, !options.headless);
        status = 1;
    }
    return status;
}
