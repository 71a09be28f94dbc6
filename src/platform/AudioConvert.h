#pragma once
// Sample conversion for sounds loaded once and played many times: any linear PCM or IEEE float wave
// to the output's 16-bit interleaved samples at the output's rate and channel count.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

struct SampleFormat {
    enum class Encoding { kInteger, kFloat };
    Encoding encoding = Encoding::kInteger;
    int bits = 16;     // integer: 8 (unsigned), 16, 24 or 32 (signed); float: 32 or 64
    int channels = 2;  // 1 or 2
    int rate = 22050;  // Hz

    int FrameBytes() const { return channels * bits / 8; }
    bool IsSupported() const;
};

// Converts `bytes` of little-endian samples in `in` (whole frames; a partial frame at the end is
// dropped) into `out`. False, with `out` empty, for an unsupported format, no whole frame, an
// output of more than `maxFrames` frames, or memory that cannot be had. Float samples outside
// -1..1 are held at full scale; NaN becomes silence.
bool ConvertSamples(const SampleFormat& in, const std::uint8_t* bytes, std::size_t size, int outRate, int outChannels,
                    std::size_t maxFrames, std::vector<std::int16_t>& out);

}  // namespace platform
