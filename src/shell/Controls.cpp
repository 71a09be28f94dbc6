#include "shell/Controls.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "platform/AudioOutput.h"
#include "platform/Captures.h"
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

TControls::TControls(TMainForm& form) : form(form) {}

TControls::~TControls() {
    if (clip && clip->IsRecording()) clip->Stop();
}

bool TControls::HandleEvent(const SDL_Event& event) {
    if (event.type == SDL_WINDOWEVENT) {
        switch (event.window.event) {
        case SDL_WINDOWEVENT_FOCUS_LOST:
        case SDL_WINDOWEVENT_MINIMIZED:
            // The keyboard reaches the game only with the focus, so frames without it could not be played.
            if (form.Options().player.autoPause && !paused) Pause();
            return false;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            form.Window()->Repaint();
            return true;
        default:
            return false;
        }
    }
    if (event.type == SDL_KEYDOWN) {
        if (!event.key.repeat) HandleKey(event.key);
        return true;
    }
    // A click or a tap plays on, and hands the attract mode over, as any key does.
    if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_FINGERDOWN) {
        if (paused) {
            Resume();
        } else if (form.DemoRunning()) {
            form.EndDemo();
        }
    }
    return false;
}

void TControls::HandleKey(const SDL_KeyboardEvent& key) {
    platform::AudioOutput* audio = form.Audio();
    switch (HotkeyOf(key.keysym.sym, key.keysym.mod)) {
    case THotkey::kQuit:
        quit = form.Options().platform.quitKey;
        break;
    case THotkey::kFullScreen:
        form.Window()->ToggleFullScreen();
        form.Window()->Repaint();
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
        } else if (form.DemoRunning()) {
            form.EndDemo();
        }
        break;
    }
}

void TControls::Pause() {
    if (paused) return;
    paused = true;
    form.PauseFrames();
    ShowSign(platform::SignPlace::kCentre, "PAUSE\nPress a key to play on", 0);
}

void TControls::Resume() {
    if (!paused) return;
    paused = false;
    ShowSign(platform::SignPlace::kCentre, "", 0);
    form.ResumeFrames();
}

void TControls::ShowSign(platform::SignPlace place, const std::string& text, std::uint32_t ms) {
    signUntil[PlaceIndex(place)] = text.empty() || ms == 0 ? 0 : std::max<std::uint32_t>(1, SDL_GetTicks() + ms);
    form.Window()->SetSign(place, text);
    form.Window()->Repaint();
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
    const std::vector<std::uint32_t>& picture = form.Draw().PresentedPicture();
    if (picture.empty()) {
        ShowSign(platform::SignPlace::kTopRight, "No picture yet", kSignMs);
        return;
    }
    const std::string folder = platform::CapturesFolder();
    const std::string name =
        platform::UnusedPath(folder, platform::TimestampedName("pelloro", std::time(nullptr), ".png"));
    std::string error;
    const int width = form.Draw().SurfaceWidth(), height = form.Draw().SurfaceHeight();
    bool ok = platform::SavePng(name, picture, width, height, 1, &error);
    if (ok) {
        const std::string big = name.substr(0, name.size() - 4) + "-x3.png";
        ok = platform::SavePng(big, picture, width, height, kScreenshotScale, &error);
    }
    if (!ok) {
        std::fprintf(stderr, "pelloro: the screenshot was not saved: %s\n", error.c_str());
        ShowSign(platform::SignPlace::kBottom, "Screenshot not saved: " + error, kBannerMs);
        return;
    }
    std::fprintf(stderr, "pelloro: saved %s\n", name.c_str());
    ShowSign(platform::SignPlace::kTopRight, "Saved to " + platform::ShownPath(name), kSavedSignMs);
}

void TControls::ToggleClip() {
    if (clip && clip->IsRecording()) {
        StopClip("");
        return;
    }
    if (!clip) clip = std::make_unique<platform::ClipRecorder>();
    clipPath = platform::UnusedPath(platform::CapturesFolder(),
                                    platform::TimestampedName("pelloro", std::time(nullptr), ".gif"));
    if (!clip->Start(clipPath)) {
        std::fprintf(stderr, "pelloro: cannot record the clip %s: %s\n", clipPath.c_str(), clip->Error().c_str());
        ShowSign(platform::SignPlace::kBottom, "Cannot record a clip: " + clip->Error(), kBannerMs);
        return;
    }
    ShowSign(platform::SignPlace::kTopRight, "\u25CF REC", 0);
}

void TControls::StopClip(const std::string& how) {
    if (!clip->Stop()) {
        std::fprintf(stderr, "pelloro: the clip %s was not written: %s\n", clipPath.c_str(), clip->Error().c_str());
        ShowSign(platform::SignPlace::kBottom, "Clip not saved: " + clip->Error(), kBannerMs);
        return;
    }
    std::fprintf(stderr, "pelloro: saved %s (%d frames)%s%s\n", clipPath.c_str(), clip->FrameCount(),
                 clip->Error().empty() ? "" : "; ", clip->Error().c_str());
    ShowSign(platform::SignPlace::kTopRight, "Clip" + how + " saved to " + platform::ShownPath(clipPath), kSavedSignMs);
}

void TControls::AfterFrame() {
    if (!clip || !clip->IsRecording()) return;
    std::vector<std::uint32_t> picture;
    if (!PictureOf(form.Draw().BackBuffer(), picture)) return;
    if (!clip->AddFrame(picture, form.Draw().SurfaceWidth(), form.Draw().SurfaceHeight())) {
        // Full after 30 s, or ended early (the encoder fell behind): either way the clip is whole.
        StopClip(clip->FrameCount() >= platform::ClipRecorder::kMaxFrames ? " of 30 s" : " (ended early)");
    }
}
