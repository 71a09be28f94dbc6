#include "kernel/Kernel.h"

#include <cstring>

#include "devices/Vekdraw.h"
#include "devices/Vekinput.h"

TKernel::TKernel(TVekDraw* draw, TVekSound* sound, TVekInput* input, TVekMidi* midi)
    : draw(draw), sound(sound), input(input), midi(midi) {}

void TKernel::Poll(std::int32_t ms) {
    ReadButtons(ms);
    ReadKeyboard();
    totalTime += ms;
}

void TKernel::ReadButtons(std::int32_t ms) {
    previousButtons = buttons;
    repeated = 0;
    pushed = 0;
    buttons = 0;

    InputState state;
    if (input) input->GetState(state);
    for (int i = 0; i < 7; ++i) {
        if (state[i] != 0) buttons |= static_cast<std::uint16_t>(1u << i);
    }
    for (std::uint16_t bit = kButtonUp; bit <= kButtonReturn; bit <<= 1) {
        if ((buttons & bit) && !(previousButtons & bit)) pushed |= bit;
    }

    if (pushed != 0) {
        repeated = pushed;
        repeatCountdown = repeatFirst;
    } else if (buttons != 0 && buttons == previousButtons) {
        repeatCountdown -= ms;
        // The countdown must go below zero, so exactly repeatFirst ms of held frames is not yet a repeat.
        if (repeatCountdown < 0) {
            repeated = buttons;
            repeatCountdown = repeatNext;
        }
    } else {
        repeatCountdown = repeatFirst;
    }
}

void TKernel::ReadKeyboard() {
    std::uint8_t fresh[256] = {};
    if (input) input->GetKeyboardState(fresh);
    lastKey = -1;
    bool someKeyWentDown = false;
    for (int i = 0; i < 256; ++i) {
        if (keys[i] == 0 && fresh[i] != 0) {
            lastKey = i;
            someKeyWentDown = true;
        }
        keys[i] = fresh[i];
    }
    if (someKeyWentDown) buttons |= kButtonKeyDown;
    if ((buttons & kButtonKeyDown) && !(previousButtons & kButtonKeyDown)) pushed |= kButtonKeyDown;
}

void TKernel::Present() {
    if (!draw) return;
    if (clearScreen) {
        draw->Clear();
    } else if (fadeLevel > 0) {
        if (fadeKind == kFadeToBlack) {
            draw->Fade(fadeLevel);
        } else if (fadeKind == kFadeToWhite) {
            draw->WhiteFade(fadeLevel);
        }
    }
    draw->Update();
}

void TKernel::SetRepeat(std::int32_t first, std::int32_t next) {
    repeatFirst = first;
    repeatNext = next;
}
