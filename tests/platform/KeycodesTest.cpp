// DirectInput key codes: from SDL's scancodes, and from the names key scripts use.
#include "platform/Keycodes.h"

#include <SDL_scancode.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Keycodes, ScancodesMapToDirectInputCodes) {
    struct Case {
        SDL_Scancode scancode;
        int dik;
    } cases[] = {
        {SDL_SCANCODE_ESCAPE, 1},        {SDL_SCANCODE_1, 2},           {SDL_SCANCODE_0, 11},
        {SDL_SCANCODE_RETURN, 28},       {SDL_SCANCODE_A, 30},          {SDL_SCANCODE_Z, 44},
        {SDL_SCANCODE_B, 48},            {SDL_SCANCODE_SPACE, 57},      {SDL_SCANCODE_F1, 59},
        {SDL_SCANCODE_F11, 87},          {SDL_SCANCODE_KP_7, 71},       {SDL_SCANCODE_KP_ENTER, 156},
        {SDL_SCANCODE_RCTRL, 157},       {SDL_SCANCODE_KP_DIVIDE, 181}, {SDL_SCANCODE_PRINTSCREEN, 183},
        {SDL_SCANCODE_RALT, 184},        {SDL_SCANCODE_PAUSE, 197},     {SDL_SCANCODE_HOME, 199},
        {SDL_SCANCODE_UP, 200},          {SDL_SCANCODE_PAGEUP, 201},    {SDL_SCANCODE_LEFT, 203},
        {SDL_SCANCODE_RIGHT, 205},       {SDL_SCANCODE_END, 207},       {SDL_SCANCODE_DOWN, 208},
        {SDL_SCANCODE_PAGEDOWN, 209},    {SDL_SCANCODE_INSERT, 210},    {SDL_SCANCODE_DELETE, 211},
        {SDL_SCANCODE_LGUI, 219},        {SDL_SCANCODE_APPLICATION, 221},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::DirectInputKeyFromScancode(c.scancode), c.dik) << c.scancode;
    EXPECT_EQ(platform::DirectInputKeyFromScancode(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(platform::DirectInputKeyFromScancode(-1), 0);
    EXPECT_EQ(platform::DirectInputKeyFromScancode(SDL_NUM_SCANCODES), 0);

    // No two keys of the main block share a code, and every letter and digit has one.
    std::vector<int> seen(256, 0);
    for (int sc = SDL_SCANCODE_A; sc <= SDL_SCANCODE_0; ++sc) {
        const int code = platform::DirectInputKeyFromScancode(sc);
        ASSERT_GT(code, 0) << sc;
        EXPECT_EQ(seen[code]++, 0) << "code " << code << " given twice";
    }
}

TEST(Keycodes, KeyScriptNames) {
    struct Case {
        const char* name;
        int code;
    } cases[] = {
        {"Up", 200},    {"down", 208}, {"LEFT", 203}, {"Right", 205}, {"Space", 57}, {"B", 48},
        {"b", 48},      {"Return", 28}, {"enter", 28}, {"Z", 44},     {"57", 57},    {"0", 0},
        {"255", 255},   {"256", -1},   {"", -1},      {"Upp", -1},   {"-1", -1},    {"1000", -1},
        {"5x", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::KeyCodeFromName(c.name), c.code) << c.name;
}

}  // namespace
