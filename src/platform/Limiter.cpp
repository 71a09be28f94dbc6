#include "platform/Limiter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace platform {

namespace {
// Closer to full gain than this the remaining reduction is below half a step of the 16-bit scale.
constexpr double kUnity = 1.0 - 1.0 / 65536.0;
}  // namespace

Limiter::Limiter(int rate, int channels)
    : channels(channels),
      holdFrames(static_cast<int>(kHoldSeconds * rate)),
      release(std::exp(-1.0 / (kReleaseSeconds * std::max(rate, 1)))) {}

double Limiter::NextGain(const std::int64_t* frame) {
    std::int64_t peak = 0;
    for (int c = 0; c < channels; ++c) peak = std::max<std::int64_t>(peak, std::llabs(frame[c]));
    const double needed = peak > kCeiling ? static_cast<double>(kCeiling) / static_cast<double>(peak) : 1.0;
    if (needed < 1.0) {
        // Over the ceiling: at least as far down as this frame needs, and held while peaks keep coming.
        gain = std::min(gain, needed);
        hold = holdFrames;
    } else if (hold > 0) {
        --hold;
    } else if (gain < 1.0) {
        gain = 1.0 - (1.0 - gain) * release;
        if (gain >= kUnity) gain = 1.0;
        gain = std::min(gain, needed);
    }
    return gain;
}

void Limiter::Process(const std::int64_t* in, std::int16_t* out, int frames) { ProcessShare(in, in, out, frames); }

void Limiter::ProcessShare(const std::int64_t* in, const std::int64_t* part, std::int16_t* out, int frames) {
    for (int f = 0; f < frames; ++f) {
        const double g = NextGain(in);
        // At full gain the sample is under the ceiling already and goes out exactly as it came.
        for (int c = 0; c < channels; ++c) {
            std::int64_t v = part[c];
            if (g != 1.0) {
                // Rounded half away from zero by truncation (llround is a library call per sample).
                const double scaled = static_cast<double>(v) * g;
                v = static_cast<std::int64_t>(std::clamp(scaled + (scaled >= 0 ? 0.5 : -0.5), -32768.0, 32767.0));
            }
            out[c] = static_cast<std::int16_t>(std::clamp<std::int64_t>(v, -32768, 32767));
        }
        in += channels;
        part += channels;
        out += channels;
    }
}

}  // namespace platform
