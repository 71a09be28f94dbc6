#pragma once
// The main window: owns the frame clock and the four devices, brings them up in their fixed order,
// and runs one frame per tick on the window's thread (or back to back, headless).
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devices/Vekdraw.h"
#include "devices/Vekinput.h"
#include "devices/Vekmidi.h"
#include "devices/Veksound.h"
#include "kernel/Gamemgr.h"
#include "kernel/Kernel.h"
#include "platform/ScriptedInputSource.h"
#include "platform/SwitchedInputSource.h"
#include "shell/Headless.h"
#include "shell/Htimer.h"
#include "shell/Keyscript.h"
#include "shell/Options.h"

union SDL_Event;

namespace platform {
class Window;
class AudioOutput;
class SdlInputSource;
}  // namespace platform

class TGameMainMode;
class TControls;
class TDemoPilot;

class TMainForm {
public:
    static constexpr std::uint32_t kFrameInterval = 20;  // ms

    // Start-up in the fixed order; throws EHITimerError when the frame clock is refused.
    explicit TMainForm(const TMainOptions& options);
    ~TMainForm();
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    // The message loop (window) or the frames back to back (headless); the program's exit status.
    int Run();
    // Headless: runs one frame with the key script's events for it applied first.
    bool RunHeadlessFrame();

    // --- the loop of a platform without a frame clock (the browser), which runs the same steps ---
    // Handles every event waiting and takes down the signs whose time is up; false once the game
    // must end (the player quit, or a frame failed).
    bool PumpEvents();
    // One game frame and what the player's side does after it (a clip takes its picture). Nothing
    // while the frames are paused.
    void RunFrame();

    // --- the player's side: what the controls ask of the window ---
    // No frame runs until ResumeFrames: the clock stops and a tick already waiting is dropped; the
    // sound holds where it is.
    void PauseFrames();
    // Frames run again; a key held at this moment reaches the game only once let go and pressed anew.
    void ResumeFrames();
    bool FramesPaused() const { return framesPaused; }
    // The attract mode is playing (--demo, until the player takes over).
    bool DemoRunning() const { return pilot != nullptr; }
    // The player takes over at a fresh title, as an arcade's attract mode hands over.
    void EndDemo();
    const TMainOptions& Options() const { return options; }
    platform::Window* Window() const { return window.get(); }
    // The player's side: null headless.
    TControls* Controls() const { return controls.get(); }

    void HITimerTimer(THITimer* sender);
    void FormPaint();
    void FormDestroy();

    TKernel* Kernel() const { return kernel.get(); }
    TGameMgrMode* Root() const { return root.get(); }
    // The main game mode while the root holds the one the first frame made; null before and after.
    TGameMainMode* MainMode() const;
    TVekDraw& Draw() { return VekDraw; }
    TVekSound& Sound() { return VekSound; }
    TVekMidi& Midi() { return VekMidi; }
    TVekInput& Input() { return VekInput; }
    platform::ScriptedInputSource& Script() { return scripted; }
    platform::AudioOutput* Audio() const { return audio.get(); }
    std::int64_t FrameNumber() const { return frameNumber; }
    const std::string& FrameError() const { return frameError; }
    // Called before every frame's poll, after the key script and the demo pilot.
    std::function<void(TMainForm&)> BeforeFrame;
    // Called after every frame: the trace writer.
    std::function<void(TMainForm&)> AfterFrame;

private:
    // One event of the window's loop; false once the loop must end.
    bool HandleEvent(const SDL_Event& event);
    void HandleFrameError(const std::string& message, const std::string& advice);
    // A message for the player when SDL's message box cannot open: in the window, until a key or
    // the close box.
    void ShowInWindow(const std::string& text);

    TMainOptions options;
    std::unique_ptr<platform::Window> window;
    std::unique_ptr<platform::AudioOutput> audio;
    std::unique_ptr<platform::SdlInputSource> sdlInput;
    platform::ScriptedInputSource scripted;
    platform::SwitchedInputSource inputSwitch{&scripted};
    std::unique_ptr<TControls> controls;
    std::unique_ptr<TDemoPilot> pilot;  // while the attract mode plays
    std::size_t nextKeyEvent = 0;       // of options.test.keys
    bool framesPaused = false;

    THITimer HITimer;
    TVekDraw VekDraw;
    TVekInput VekInput;
    TVekSound VekSound;
    TVekMidi VekMidi;
    std::unique_ptr<TKernel> kernel;
    std::unique_ptr<TGameMgrMode> root;
    TGameMainMode* mainMode = nullptr;  // owned by the root
    std::unique_ptr<THeadless> headless;

    std::uint32_t tickEventType = 0;
    // Only one tick may wait in the event queue: a slow frame is not followed by a burst.
    std::atomic<bool> tickPending{false};
    bool destroyed = false;
    bool quit = false;
    std::int64_t frameNumber = 0;
    std::string frameError;
    std::string frameAdvice;  // an English line of what to do, beside a data error's own message
};

// Standard error always (the message, then the advice on a line of its own), and a message box where
// a display exists; false when the box could not be shown.
bool ShowError(const std::string& message, const std::string& advice, bool displayAvailable);
// The message drawn in the game's window (a window of its own when there is none) until the player
// presses a key or closes it: for when SDL's message box cannot open.
void ShowMessageInWindow(platform::Window* window, const std::string& text);
