#pragma once
// What the window adds for the player around the game, none of it part of a frame: pause (by key
// and when the window loses the focus), quit, mute and volume with a brief sign, full screen, F12
// screenshots, F9 clips, and the end of the attract mode at the player's first key.
#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>

namespace platform {
class ClipRecorder;
enum class SignPlace;
}  // namespace platform

class TMainForm;

class TControls {
public:
    static constexpr std::uint32_t kSignMs = 1200;     // a status sign stays this long
    static constexpr std::uint32_t kSavedSignMs = 4000;  // long enough to read where a capture went
    static constexpr std::uint32_t kBannerMs = 6000;   // a non-fatal message stays this long
    static constexpr int kVolumeStep = 10;             // percent

    explicit TControls(TMainForm& form);
    ~TControls();
    TControls(const TControls&) = delete;
    TControls& operator=(const TControls&) = delete;

    // Takes the events that are the player's, not the game's; false for the ones left to the form.
    bool HandleEvent(const SDL_Event& event);
    // After every frame: the clip takes the picture.
    void AfterFrame();
    // How long the event loop may sleep before a sign must go: -1 for as long as it likes.
    int WaitTimeout() const;
    // Takes down the signs whose time is up.
    void ExpireSigns();
    // A sign for `ms` milliseconds (0: until replaced).
    void ShowSign(platform::SignPlace place, const std::string& text, std::uint32_t ms);

    bool Paused() const { return paused; }
    void Pause();
    void Resume();
    bool QuitAsked() const { return quit; }

private:
    void HandleKey(const SDL_KeyboardEvent& key);
    void SaveScreenshot();
    void ToggleClip();
    // `how`: what the sign adds about the clip's end (" of 30 s"), "" when the player stopped it.
    void StopClip(const std::string& how);

    TMainForm& form;
    bool paused = false;
    bool quit = false;
    std::unique_ptr<platform::ClipRecorder> clip;
    std::string clipPath;
    std::uint32_t signUntil[3] = {0, 0, 0};  // SDL ticks; 0 = no timed sign at that place
};
