// Arbitrary bytes as a wave: the parser must stay inside them, and a wave it accepts must load,
// play and mix without reading outside its samples.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "devices/Veksound.h"
#include "platform/AudioOutput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TVekSound::WaveInfo info;
    if (TVekSound::ParseWave(data, size, &info) == TWaveRefusal::None) {
        if (info.dataOffset > size || info.dataSize > size - info.dataOffset || info.Frames() == 0) std::abort();
    }
    static auto output = platform::AudioOutput::OpenOffline(platform::AudioOutput::kOfflineRate, 16, true);
    static auto mono = platform::AudioOutput::OpenOffline(11025, 8, false);
    for (platform::AudioOutput* out : {output.get(), mono.get()}) {
        TVekSound sound;
        if (!sound.Init(out)) std::abort();
        if (sound.LoadFile(data, size)) {
            std::vector<std::int16_t> heard;  // a sink, so the voices are mixed and not only moved on
            sound.Play(0);
            out->RenderOffline(300, &heard);
            sound.Play(0);
            sound.Play(0);
            out->RenderOffline(300, &heard);
            sound.Stop(0);
        }
    }
    return 0;
}
