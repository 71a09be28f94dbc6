#include "shell/Controls.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "platform/AudioOutput.h"
#include "platform/ClipRecorder.h"
#include "platform/Screenshot.h"
#include "platform/SdlInput.h"
#include "platform/Window.h"
#include "shell/Hotkeys.h"
#include "shell/Mainunit.h"

namespace {

constexpr int kScreenshotScale = 3;  // the enlarged copy written beside the picture

int PlaceIndex(platform::SignPlace place) { return static_cast<int>(place); }

// The back buffer as 0xRRGGBB, row by row: after a frame it holds exactly what was presented.
bool PictureOf(const SDL_Surface* surface, std::vector<std::uint32_t>& rgb) {
    if (!surface) return false;
    rgb.resize(static_cast<std::size_t>(surface->w) * static_cast<std::size_t>(surface->h));
    return SDL_ConvertPixels(surface->w, surface->h, surface->format->format, surface->pixels, surface->pitch,
                             SDL_PIXELFORMAT_RGB888, rgb.data(), surface->w * 4) == 0;
}

}  // namespace

std::string TControls::CaptureFolder() {
    std::string fallback;
    const std::string folder = platform::CaptureFolder(&fallback);
    // Said once a run: the player learns where the captures went, not again at every key.
    if (!fallback.empty() && !fallbackSaid) std::fprintf(stderr, "pelloro: %s\n", fallback.c_str());
    fallbackSaid = fallbackSaid || !fallback.empty();
    return folder;
}

TControls::TControls(TMainForm& form) : form(form), demo(form.options.demo) {}

TControls::~TControls() {
    if (clip && clip->IsRecording()) clip->Stop();
}

bool TControls::HandleEvent(const SDL_Event& event) {
    if (event.type == SDL_WINDOWEVENT) {
        switch (event.window.event) {
        case SDL_WINDOWEVENT_FOCUS_LOST:
        case SDL_WINDOWEVENT_MINIMIZED:
            // The keyboard reaches the game only with the focus, so frames without it could not be played.
            if (form.options.autoPause && !paused) Pause();
            return false;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            form.window->Repaint();
            return true;
        default:
            return false;
        }
    }
    if (event.type == SDL_KEYDOWN) {
        if (!event.key.repeat) HandleKey(event.key);
        return true;
    }
    return false;
}

void TControls::HandleKey(const SDL_KeyboardEvent& key) {
    platform::AudioOutput* audio = form.audio.get();
    switch (HotkeyOf(key.keysym.sym, key.keysym.mod)) {
    case THotkey::kQuit:
        quit = true;
        break;
    case THotkey::kFullScreen:
        form.window->ToggleFullScreen();
        form.window->Repaint();
        break;
    case THotkey::kMute:
        if (!audio) {
            ShowSign(platform::SignPlace::kTopRight, "No sound device", kSignMs);
            break;
        }
        audio->SetMuted(!audio->Muted());
        ShowSign(platform::SignPlace::kTopRight, audio->Muted() ? "Muted" : "Sound on", kSignMs);
        break;
    case THotkey::kVolumeUp:
    case THotkey::kVolumeDown: {
        if (!audio) {
            ShowSign(platform::SignPlace::kTopRight, "No sound device", kSignMs);
            break;
        }
        // Steps land on whole tens, also from a --volume in between.
        const int volume = audio->Volume();
        const int level = HotkeyOf(key.keysym.sym, key.keysym.mod) == THotkey::kVolumeUp
                              ? std::min(100, (volume / kVolumeStep + 1) * kVolumeStep)
                              : std::max(0, ((volume + kVolumeStep - 1) / kVolumeStep - 1) * kVolumeStep);
        audio->SetVolume(level);
        ShowSign(platform::SignPlace::kTopRight,
                 "Volume " + std::to_string(level) + " %" + (audio->Muted() ? " (muted)" : ""), kSignMs);
        break;
    }
    case THotkey::kScreenshot:
        SaveScreenshot();
        break;
    case THotkey::kClip:
        ToggleClip();
        break;
    case THotkey::kPause:
        if (paused) {
            Resume();
        } else {
            Pause();
        }
        break;
    case THotkey::kNone:
        if (paused) {
            Resume();
        } else if (demo) {
            EndDemo();
        }
        break;
    }
}

void TControls::Pause() {
    if (paused) return;
    paused = true;
    // No frame runs while paused: the clock stops, and a tick already queued is dropped.
    form.HITimer.SetEnabled(false);
    SDL_FlushEvent(form.tickEventType);
    form.tickPending = false;
    if (form.audio) form.audio->SetPaused(true);
    ShowSign(platform::SignPlace::kCentre, "PAUSE\nPress a key to play on", 0);
}

void TControls::Resume() {
    if (!paused) return;
    paused = false;
    // The key that resumed, and any other held now, must not reach the game as a press.
    if (form.sdlInput) form.sdlInput->SwallowHeldKeys();
    if (form.audio) form.audio->SetPaused(false);
    ShowSign(platform::SignPlace::kCentre, "", 0);
    form.HITimer.SetEnabled(true);
}

void TControls::EndDemo() {
    demo = false;
    // The player takes over at the title, as an arcade's attract mode hands over: a fresh main mode.
    form.BeforeFrame = nullptr;
    if (form.sdlInput) {
        form.sdlInput->SwallowHeldKeys();
        form.inputSwitch.Use(form.sdlInput.get());
    }
    form.scripted.ReleaseAllKeys();
    if (form.root) form.root->DeleteChild();
}

void TControls::ShowSign(platform::SignPlace place, const std::string& text, std::uint32_t ms) {
    signUntil[PlaceIndex(place)] = text.empty() || ms == 0 ? 0 : std::max<std::uint32_t>(1, SDL_GetTicks() + ms);
    form.window->SetSign(place, text);
    form.window->Repaint();
}

int TControls::WaitTimeout() const {
    const std::uint32_t now = SDL_GetTicks();
    int timeout = -1;
    for (const std::uint32_t until : signUntil) {
        if (until == 0) continue;
        const int left = until > now ? static_cast<int>(until - now) : 0;
        timeout = timeout < 0 ? left : std::min(timeout, left);
    }
    return timeout;
}

void TControls::ExpireSigns() {
    const std::uint32_t now = SDL_GetTicks();
    for (int i = 0; i < 3; ++i) {
        if (signUntil[i] != 0 && signUntil[i] <= now) ShowSign(static_cast<platform::SignPlace>(i), "", 0);
    }
}

void TControls::SaveScreenshot() {
    const std::vector<std::uint32_t>& picture = form.VekDraw.PresentedPicture();
    if (picture.empty()) {
        ShowSign(platform::SignPlace::kTopRight, "No picture yet", kSignMs);
        return;
    }
    const std::string folder = CaptureFolder();
    const std::string name =
        platform::UnusedPath(folder, platform::TimestampedName("pelloro", std::time(nullptr), ".png"));
    std::string error;
    const int width = form.VekDraw.SurfaceWidth(), height = form.VekDraw.SurfaceHeight();
    bool ok = platform::SavePng(name, picture, width, height, 1, &error);
    if (ok) {
        const std::string big = name.substr(0, name.size() - 4) + "-x3.png";
        ok = platform::SavePng(big, picture, width, height, kScreenshotScale, &error);
    }
    if (!ok) {
        std::fprintf(stderr, "pelloro: the screenshot was not saved: %s\n", error.c_str());
        ShowSign(platform::SignPlace::kTopRight, "Screenshot not saved", kSignMs);
        return;
    }
    std::fprintf(stderr, "pelloro: saved %s\n", name.c_str());
    ShowSign(platform::SignPlace::kTopRight, "Saved " + name.substr(name.rfind('/') + 1), kSignMs);
}

void TControls::ToggleClip() {
    if (clip && clip->IsRecording()) {
        StopClip("Clip saved");
        return;
    }
    if (!clip) clip = std::make_unique<platform::ClipRecorder>();
    clipPath = platform::UnusedPath(CaptureFolder(),
                                    platform::TimestampedName("pelloro", std::time(nullptr), ".gif"));
    if (!clip->Start(clipPath)) {
        std::fprintf(stderr, "pelloro: cannot record the clip %s: %s\n", clipPath.c_str(), clip->Error().c_str());
        ShowSign(platform::SignPlace::kTopRight, "Cannot record", kSignMs);
        return;
    }
    ShowSign(platform::SignPlace::kTopRight, "\u25CF REC", 0);
}

void TControls::StopClip(const std::string& how) {
    if (!clip->Stop()) {
        std::fprintf(stderr, "pelloro: the clip %s was not written: %s\n", clipPath.c_str(), clip->Error().c_str());
        ShowSign(platform::SignPlace::kTopRight, "Clip not saved", kSignMs);
        return;
    }
    std::fprintf(stderr, "pelloro: saved %s (%d frames)%s%s\n", clipPath.c_str(), clip->FrameCount(),
                 clip->Error().empty() ? "" : "; ", clip->Error().c_str());
    ShowSign(platform::SignPlace::kTopRight, how, kSignMs);
}

void TControls::AfterFrame() {
    if (!clip || !clip->IsRecording()) return;
    std::vector<std::uint32_t> picture;
    if (!PictureOf(form.VekDraw.BackBuffer(), picture)) return;
    if (!clip->AddFrame(picture, form.VekDraw.SurfaceWidth(), form.VekDraw.SurfaceHeight())) {
        // Full after 30 s, or ended early (the encoder fell behind): either way the clip is whole.
        StopClip(clip->FrameCount() >= platform::ClipRecorder::kMaxFrames ? "Clip saved (30 s)" : "Clip saved (ended early)");
    }
}
