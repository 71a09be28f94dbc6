#pragma once
#include <cstdint>

namespace platform {

// Keys held at some moment read as up until they are let go: a key that resumes a paused game, or
// ends the attract mode, must not also reach the game as a press.
class KeySwallow {
public:
    // Everything down in `state` (one byte per key, non-zero when down) is swallowed from now on.
    void HoldBack(const std::uint8_t* state, int count) {
        for (int i = 0; i < count && i < kKeys; ++i) held[i] = state[i] != 0;
    }
    // Clears what `state` reports for held-back keys; a key seen up is let through again afterwards.
    void Filter(std::uint8_t* state, int count) {
        for (int i = 0; i < count && i < kKeys; ++i) {
            if (state[i] == 0) held[i] = false;
            if (held[i]) state[i] = 0;
        }
    }

private:
    static constexpr int kKeys = 512;
    bool held[kKeys] = {};
};

}  // namespace platform
