#pragma once
// The hub through which the game reaches its devices, and the place where raw input becomes the
// held, pushed and repeated button words the rules read.
#include <cstdint>
#include <optional>

class TVekDraw;
class TVekSound;
class TVekInput;
class TVekMidi;

// Bits of the button words.
inline constexpr std::uint16_t kButtonUp = 0x01;
inline constexpr std::uint16_t kButtonDown = 0x02;
inline constexpr std::uint16_t kButtonLeft = 0x04;
inline constexpr std::uint16_t kButtonRight = 0x08;
inline constexpr std::uint16_t kButtonSpace = 0x10;
inline constexpr std::uint16_t kButtonB = 0x20;       // spare: mapped to B, unused by the rules
inline constexpr std::uint16_t kButtonReturn = 0x40;  // spare: mapped to Enter, unused by the rules
inline constexpr std::uint16_t kButtonKeyDown = 0x100;  // some keyboard key went down this frame

inline constexpr std::uint8_t kFadeToBlack = 0;
inline constexpr std::uint8_t kFadeToWhite = 1;

class TKernel {
public:
    // The devices are not owned; any of them may be null (that device is then simply absent).
    TKernel(TVekDraw* draw, TVekSound* sound, TVekInput* input, TVekMidi* midi);

    void Poll(std::int32_t ms);
    void ReadButtons(std::int32_t ms);
    void ReadKeyboard();
    void Present();
    void SetRepeat(std::int32_t first, std::int32_t next);
    void SetFadeLevel(std::int32_t level) { fadeLevel = level; }
    // kFadeToBlack or kFadeToWhite; any other kind presents the picture as it is.
    void SetFadeKind(std::uint8_t kind) { fadeKind = kind; }
    void SetClearScreen(bool value) { clearScreen = value; }

    TVekDraw* Draw() const { return draw; }
    TVekSound* Sound() const { return sound; }
    TVekInput* Input() const { return input; }
    TVekMidi* Midi() const { return midi; }
    std::uint16_t Buttons() const { return buttons; }
    std::uint16_t Pushed() const { return pushed; }
    std::uint16_t Repeated() const { return repeated; }
    std::int32_t LastKey() const { return lastKey; }
    const std::uint8_t* Keys() const { return keys; }
    std::int32_t TotalTime() const { return totalTime; }

    // A fixed seed for the game's random numbers (--seed); none means the calendar time.
    void SetSeed(std::optional<std::uint32_t> value) { seed = value; }
    std::optional<std::uint32_t> Seed() const { return seed; }

private:
    TVekDraw* draw;
    TVekSound* sound;
    TVekInput* input;
    TVekMidi* midi;
    std::uint8_t keys[256] = {};
    std::int32_t totalTime = 0;
    std::int32_t fadeLevel = 0;
    std::uint8_t fadeKind = 0;
    bool clearScreen = false;
    std::uint16_t buttons = 0;
    std::uint16_t previousButtons = 0;
    std::uint16_t pushed = 0;
    std::uint16_t repeated = 0;
    std::int32_t lastKey = -1;
    std::int32_t repeatCountdown = 160;
    std::int32_t repeatFirst = 160;
    std::int32_t repeatNext = 40;
    std::optional<std::uint32_t> seed;
};
