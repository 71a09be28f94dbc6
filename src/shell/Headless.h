#pragma once
// The headless run: frames back to back (the main window applies the key script's events before
// each frame's poll), the audio rendered 20 ms a frame, and the pictures and sound written where the options say.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/WavWriter.h"

class TMainForm;
struct TTestHooks;

class THeadless {
public:
    // Opens --audio-out's file at once, so that its samples go out as they are rendered.
    THeadless(TMainForm& form, const TTestHooks& options);

    // One frame; false once a frame has failed or its picture could not be written.
    bool RunFrame();
    // The frames the options ask for, then the screenshot and the audio file; the exit status.
    int Run();

private:
    TMainForm& form;
    const TTestHooks& options;
    bool writeFailed = false;  // a picture of --screenshot-every could not be written: the run stops
    std::unique_ptr<platform::WavWriter> wav;  // --audio-out, written frame by frame
    std::vector<std::int16_t> rendered;        // this frame's samples
};
