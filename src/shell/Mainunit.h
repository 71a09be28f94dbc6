#pragma once
// The main window: owns the frame clock and the four devices, brings them up in their fixed order,
// and runs one frame per tick on the window's thread (or back to back, headless).
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <atomic>

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

namespace platform {
class Window;
class AudioOutput;
class SdlInputSource;
class TimerService;
}  // namespace platform

struct TMainOptions {
    int scale = 0;  // 0: the largest whole scale the screen holds
    bool fullScreen = false;
    int volume = 100;
    std::optional<std::uint32_t> seed;
    bool demo = false;
    bool headless = false;
    std::int64_t frames = 0;
    std::vector<TKeyEvent> keys;
    std::string screenshot;
    int screenshotEvery = 0;
    std::string screenshotDir;
    std::string audioOut;
    std::string trace;
    bool autoPause = true;  // pause when the window loses the focus (--no-auto-pause: keep playing)
    platform::TimerService* timerService = nullptr;  // tests: a timer that can refuse
    // False where there are no threads (the browser): no frame clock; the caller's own loop runs
    // HITimerTimer every kFrameInterval ms.
    bool frameClock = true;
    // With a window, keys still come from Script() (the browser's key script), not the keyboard.
    bool scriptedKeys = false;
};

class TGameMainMode;
class TControls;

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
    // Called before every frame's poll: the demo pilot steers the scripted input here.
    std::function<void(TMainForm&)> BeforeFrame;
    // Called after every frame: the trace writer.
    std::function<void(TMainForm&)> AfterFrame;

private:
    friend class TControls;

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
    std::int64_t frameNumber = 0;
    std::string frameError;
    std::string frameAdvice;  // an English line of what to do, beside a data error's own message
};

// Standard error always (the message, then the advice on a line of its own), and a message box where
// a display exists; false when the box could not be shown.
bool ShowError(const std::string& message, const std::string& advice, bool displayAvailable);
// The English line beside the MIDI message when no audio output opened: what it means, the sound
// systems tried, and what to do.
std::string NoAudioAdvice();
// The message drawn in the game's window (a window of its own when there is none) until the player
// presses a key or closes it: for when SDL's message box cannot open.
void ShowMessageInWindow(platform::Window* window, const std::string& text);
