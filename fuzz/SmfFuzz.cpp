// Arbitrary bytes as a standard MIDI file: loading must stay inside them, and a song that loads must
// play a few hundred passes, looping, without reading outside its tracks or holding a pass for ever.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "devices/Vekmidi.h"
#include "platform/MidiOutput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto log = std::make_shared<platform::MidiLog>(256);
    TVekMidi midi;
    if (!midi.Init(std::make_unique<platform::MidiRecorder>(log), false, nullptr)) std::abort();
    if (midi.LoadFile(data, size)) {
        if (midi.TrackCount() > TVekMidi::kMaxTracks) std::abort();
        midi.Play(true);
        for (int i = 0; i < 300; ++i) midi.MyTimeProc();
        midi.Stop();
        midi.Reset(false);
        midi.Play(false);
        for (int i = 0; i < 100; ++i) midi.MyTimeProc();
    }
    midi.CleanUp();
    return 0;
}
