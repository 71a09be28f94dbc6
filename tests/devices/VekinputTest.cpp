#include "devices/Vekinput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>


#include "platform/ScriptedInputSource.h"
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

// ---- the platform side: axes, the SDL source without SDL running --------------------------------

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
