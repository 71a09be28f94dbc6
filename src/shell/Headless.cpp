#include "shell/Headless.h"

#include <cstdio>

#include "platform/AudioOutput.h"
#include "shell/Mainunit.h"

THeadless::THeadless(TMainForm& form, const TMainOptions& options) : form(form), options(options) {}

bool THeadless::RunFrame() {
    while (nextKeyEvent < options.keys.size() && options.keys[nextKeyEvent].frame <= form.FrameNumber()) {
        const TKeyEvent& event = options.keys[nextKeyEvent++];
        form.Script().SetKey(event.code, event.down);
    }
    form.HITimerTimer(nullptr);
    if (!form.FrameError().empty()) return false;
    if (platform::AudioOutput* audio = form.Audio()) {
        audio->RenderOffline(audio->Rate() * static_cast<int>(TMainForm::kFrameInterval) / 1000,
                             options.audioOut.empty() ? nullptr : &rendered);
    }
    if (options.screenshotEvery > 0 && form.FrameNumber() % options.screenshotEvery == 0) {
        char name[64];
        std::snprintf(name, sizeof name, "/frame%06lld.bmp", static_cast<long long>(form.FrameNumber()));
        form.Draw().SavePresentedBmp(options.screenshotDir + name);
    }
    return true;
}

int THeadless::Run() {
    int status = 0;
    while (form.FrameNumber() < options.frames && RunFrame()) {
    }
    if (!options.screenshot.empty() && !form.Draw().SavePresentedBmp(options.screenshot)) {
        std::fprintf(stderr, "pelloro: cannot write the screenshot %s\n", options.screenshot.c_str());
        status = 1;
    }
    platform::AudioOutput* audio = form.Audio();
    if (!options.audioOut.empty() && audio &&
        !platform::WriteWav16(options.audioOut, rendered, audio->Rate(), audio->Channels())) {
        std::fprintf(stderr, "pelloro: cannot write the audio %s\n", options.audioOut.c_str());
        status = 1;
    }
    return status;
}
