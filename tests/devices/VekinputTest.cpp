#include "devices/Vekinput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <SDL2/SDL_scancode.h>

#include "platform/InputSource.h"
#include "platform/Keycodes.h"
#include "platform/SdlInput.h"

namespace {

using platform::JoystickState;
using platform::ScriptedInputSource;

InputState Bytes(std::initializer_list<int> values) {
    InputState s;
    int i = 0;
    for (int v : values) s[i++] = static_cast<std::uint8_t>(v);
    return s;
}

std::vector<int> AsVector(const InputState& s) { return std::vector<int>(s.b, s.b + 7); }

// A source whose joystick refuses to be polled.
class RefusingJoystick : public ScriptedInputSource {
public:
    bool HasJoystick() override { return true; }
    bool PollJoystick(JoystickState&) override { return false; }
};

class InputTest : public ::testing::Test {
protected:
    ScriptedInputSource source;
    TVekInput input;
    void SetUp() override {
        ASSERT_TRUE(input.Init(&source));
        // The main window's map: Space, B and Return on the action buttons.
        InputState map;
        ASSERT_TRUE(input.GetKeys(map));
        map[4] = 57, map[5] = 48, map[6] = 28;
        ASSERT_TRUE(input.SetKeys(map));
    }
    std::vector<int> State() {
        InputState s = Bytes({9, 9, 9, 9, 9, 9, 9});
        EXPECT_TRUE(input.GetState(s));
        return AsVector(s);
    }
};

TEST(InputLifecycle, QueriesBeforeInitOrAfterAFailedInitChangeNothing) {
    TVekInput input;
    for (int round = 0; round < 2; ++round) {
        if (round == 1) {
            EXPECT_FALSE(input.Init(nullptr));
        }
        InputState keys = Bytes({1, 2, 3, 4, 5, 6, 7});
        EXPECT_FALSE(input.GetKeys(keys));
        EXPECT_EQ(AsVector(keys), std::vector<int>({1, 2, 3, 4, 5, 6, 7}));
        EXPECT_FALSE(input.SetKeys(Bytes({9, 9, 9, 9, 9, 9, 9})));
        InputState state = Bytes({7, 7, 7, 7, 7, 7, 7});
        EXPECT_FALSE(input.GetState(state));
        EXPECT_EQ(AsVector(state), std::vector<int>(7, 7));
        std::uint8_t buffer[256];
        std::memset(buffer, 0x5A, sizeof buffer);
        EXPECT_FALSE(input.GetKeyboardState(buffer));
        EXPECT_EQ(buffer[0], 0x5A);
        EXPECT_EQ(buffer[255], 0x5A);
    }
    // The key map refused before Init is the default one after it.
    ScriptedInputSource source;
    ASSERT_TRUE(input.Init(&source));
    InputState keys;
    ASSERT_TRUE(input.GetKeys(keys));
    EXPECT_EQ(AsVector(keys), std::vector<int>({200, 208, 203, 205, 44, 45, 46}));
    input.ReleaseAll();
    EXPECT_FALSE(input.GetKeys(keys));
}

TEST_F(InputTest, KeyboardAloneWithoutAJoystick) {
    EXPECT_EQ(State(), std::vector<int>(7, 0));
    source.SetKey(platform::kDikLeft, true);
    source.SetKey(platform::kDikSpace, true);
    source.SetKey(platform::kDikZ, true);  // no longer mapped
    EXPECT_EQ(State(), std::vector<int>({0, 0, 0x80, 0, 0x80, 0, 0}));
    source.ReleaseAllKeys();
    source.SetKey(platform::kDikB, true);
    source.SetKey(platform::kDikReturn, true);
    source.SetKey(platform::kDikUp, true);
    EXPECT_EQ(State(), std::vector<int>({0x80, 0, 0, 0, 0, 0x80, 0x80}));
}

TEST_F(InputTest, JoystickAxesHaveADeadZoneOfFiftyEitherWay) {
    struct Case {
        int x, y;
        std::vector<int> expect;
    } cases[] = {
        {-51, 0, {0, 0, 1, 0, 0, 0, 0}}, {-50, 0, {0, 0, 0, 0, 0, 0, 0}}, {51, 0, {0, 0, 0, 1, 0, 0, 0}},
        {50, 0, {0, 0, 0, 0, 0, 0, 0}},  {0, -51, {1, 0, 0, 0, 0, 0, 0}}, {0, -50, {0, 0, 0, 0, 0, 0, 0}},
        {0, 51, {0, 1, 0, 0, 0, 0, 0}},  {0, 50, {0, 0, 0, 0, 0, 0, 0}},  {-100, 100, {0, 1, 1, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        source.SetJoystick(true, JoystickState{c.x, c.y, {false, false, false}});
        EXPECT_EQ(State(), c.expect) << c.x << "," << c.y;
    }
}

TEST_F(InputTest, AHeldKeyReportsItsStateByteOverTheJoysticksOne) {
    source.SetJoystick(true, JoystickState{0, 0, {true, false, true}});
    EXPECT_EQ(State(), std::vector<int>({0, 0, 0, 0, 1, 0, 1}));
    source.SetKey(platform::kDikSpace, true);
    EXPECT_EQ(State(), std::vector<int>({0, 0, 0, 0, 0x80, 0, 1}));
    // Up arrow held and the stick pushed down: opposite directions both down.
    source.SetJoystick(true, JoystickState{0, 100, {false, false, false}});
    source.SetKey(platform::kDikUp, true);
    EXPECT_EQ(State(), std::vector<int>({0x80, 1, 0, 0, 0x80, 0, 0}));
}

TEST_F(InputTest, TwoButtonsOnOneKeyAreBothDown) {
    ASSERT_TRUE(input.SetKeys(Bytes({200, 208, 203, 205, 57, 57, 28})));
    source.SetKey(platform::kDikSpace, true);
    EXPECT_EQ(State(), std::vector<int>({0, 0, 0, 0, 0x80, 0x80, 0}));
}

TEST_F(InputTest, AJoystickPluggedInLaterIsRead) {
    source.SetKey(platform::kDikRight, true);
    EXPECT_EQ(State(), std::vector<int>({0, 0, 0, 0x80, 0, 0, 0}));
    source.SetJoystick(true, JoystickState{0, 0, {false, true, false}});
    EXPECT_EQ(State(), std::vector<int>({0, 0, 0, 0x80, 0, 1, 0}));
    source.SetJoystick(false, JoystickState{0, 0, {false, true, false}});
    EXPECT_EQ(State(), std::vector<int>({0, 0, 0, 0x80, 0, 0, 0}));
}

TEST(InputFailures, AJoystickThatCannotBePolledGivesNoStateAtAll) {
    RefusingJoystick source;
    source.SetKey(platform::kDikSpace, true);
    TVekInput input;
    ASSERT_TRUE(input.Init(&source));
    InputState state = Bytes({5, 5, 5, 5, 5, 5, 5});
    EXPECT_FALSE(input.GetState(state));
    EXPECT_EQ(AsVector(state), std::vector<int>(7, 0));  // all up, the keyboard not read
}

TEST(InputFailures, AnUnreadableKeyboardShowsNoKeyDown) {
    ScriptedInputSource source;
    source.SetKey(platform::kDikSpace, true);
    source.SetKeyboardFails(true);
    TVekInput input;
    ASSERT_TRUE(input.Init(&source));
    std::uint8_t buffer[256];
    std::memset(buffer, 0x5A, sizeof buffer);
    EXPECT_TRUE(input.GetKeyboardState(buffer));
    EXPECT_EQ(std::count(buffer, buffer + 256, 0), 256);
    InputState state;
    EXPECT_TRUE(input.GetState(state));
    EXPECT_EQ(AsVector(state), std::vector<int>(7, 0));
    source.SetKeyboardFails(false);
    EXPECT_TRUE(input.GetKeyboardState(buffer));
    EXPECT_EQ(buffer[platform::kDikSpace], 0x80);
    EXPECT_EQ(std::count(buffer, buffer + 256, 0), 255);
}

// ---- the platform side: key codes, axes, the SDL source without SDL running ---------------------

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

TEST(SdlInput, AxesScaleLinearlyOntoMinusToPlusHundred) {
    struct Case {
        int raw, scaled;
    } cases[] = {{-32768, -100}, {-16384, -50}, {-16056, -49}, {0, 0}, {16384, 50}, {16712, 51},
                 {32767, 100},   {40000, 100},  {-40000, -100}};
    for (const Case& c : cases) EXPECT_EQ(platform::ScaleAxis(c.raw), c.scaled) << c.raw;
}

TEST(SdlInput, WithoutSdlRunningNothingIsDownAndNoJoystickIsFound) {
    platform::SdlInputSource source(nullptr);
    EXPECT_FALSE(source.HasJoystick());
    JoystickState stick{5, 5, {true, true, true}};
    EXPECT_FALSE(source.PollJoystick(stick));
    TVekInput input;
    ASSERT_TRUE(input.Init(&source));
    std::uint8_t keys[256];
    std::memset(keys, 0x33, sizeof keys);
    EXPECT_TRUE(input.GetKeyboardState(keys));
    EXPECT_EQ(std::count(keys, keys + 256, 0), 256);
    InputState state = Bytes({1, 1, 1, 1, 1, 1, 1});
    EXPECT_TRUE(input.GetState(state));
    EXPECT_EQ(AsVector(state), std::vector<int>(7, 0));
}

}  // namespace
