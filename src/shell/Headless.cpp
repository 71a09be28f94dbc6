#include "shell/Headless.h"

#include <cstdio>

#include "platform/AudioOutput.h"
#include "shell/Mainunit.h"

THeadless::THeadless(TMainForm& form, const TTestHooks& options) : form(form), options(options) {
    platform::AudioOutput* audio = form.Audio();
    if (!options.audioOut.empty() && audio) {
        wav = std::make_unique<platform::WavWriter>(options.audioOut, audio->Rate(), audio->Channels());
    }
}

bool THeadless::RunFrame() {
    if (writeFailed) return false;
    form.HITimerTimer(nullptr);
    if (!form.FrameError().empty()) return false;
    if (platform::AudioOutput* audio = form.Audio()) {
        // Without --audio-out nobody hears the samples: the output only moves the sound on in time.
        rendered.clear();
        audio->RenderOffline(audio->Rate() * static_cast<int>(TMainForm::kFrameInterval) / 1000,
                             wav ? &rendered : nullptr);
        if (wav) wav->Append(rendered.data(), rendered.size());
    }
    // Every K-th frame, named by its number in the trace (frames count from 0), so that a trace and
    // its pictures line up.
    if (options.screenshotEvery > 0 && form.FrameNumber() % options.screenshotEvery == 0) {
        char name[64];
        std::snprintf(name, sizeof name, "/frame%06lld.bmp", static_cast<long long>(form.FrameNumber() - 1));
        const std::string path = options.screenshotDir + name;
        if (!form.Draw().SavePresentedBmp(path) && form.Draw().PresentCount() > 0) {
            std::fprintf(stderr, "pelloro: cannot write the picture %s; check the folder and free space\n", path.c_str());
            writeFailed = true;
            return false;
        }
    }
    return true;
}

int THeadless::Run() {
    while (form.FrameNumber() < options.frames && RunFrame()) {
    }
    // A failed frame is the one thing to report; the main window says what it was. The sound of the
    // frames before it is still a whole file.
    if (writeFailed || !form.FrameError().empty()) {
        if (wav) wav->Finish();
        return 1;
    }
    int status = 0;
    if (!options.screenshot.empty()) {
        if (form.Draw().PresentCount() == 0) {
            std::fprintf(stderr, "pelloro: no picture to write to %s: the first one is presented by the second frame; use --frames 2 or more\n",
                         options.screenshot.c_str());
            status = 1;
        } else if (!form.Draw().SavePresentedBmp(options.screenshot)) {
            std::fprintf(stderr, "pelloro: cannot write the screenshot %s; check the folder and free space\n",
                         options.screenshot.c_str());
            status = 1;
        }
    }
    if (wav && !wav->Finish()) {
        std::fprintf(stderr, "pelloro: cannot write the audio %s; check the folder and free space\n",
                     options.audioOut.c_str());
        status = 1;
    }
    return status;
}
