#include "kernel/Kernel.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "devices/Vekdraw.h"
#include "devices/Vekinput.h"
#include "platform/ScriptedInputSource.h"
#include "platform/Keycodes.h"

namespace {

constexpr int kSpace = platform::kDikSpace, kLeftArrow = platform::kDikLeft, kUpArrow = platform::kDikUp,
              kB = platform::kDikB, kEnter = platform::kDikReturn;

struct KernelFixture : ::testing::Test {
    platform::ScriptedInputSource source;
    TVekInput input;
    TKernel kernel{nullptr, nullptr, &input, nullptr};
    void SetUp() override {
        ASSERT_TRUE(input.Init(&source));
        InputState map;
        ASSERT_TRUE(input.GetKeys(map));
        map[4] = kSpace;
        map[5] = kB;
        map[6] = kEnter;
        ASSERT_TRUE(input.SetKeys(map));
    }
    // Frames (counted from 0) on which a held button gives a repeat pulse: the joystick's first button,
    // or the Space key, whose "a key went down" bit makes the next frame compare unequal.
    std::vector<int> RepeatFrames(int first, int next, int frames, bool keyboard = false) {
        kernel.SetRepeat(first, next);
        if (keyboard) {
            source.SetKey(kSpace, true);
        } else {
            platform::JoystickState stick;
            stick.buttons[0] = true;
            source.SetJoystick(true, stick);
        }
        std::vector<int> pulses;
        for (int f = 0; f < frames; ++f) {
            kernel.Poll(20);
            if (kernel.Repeated() & kButtonSpace) pulses.push_back(f);
        }
        return pulses;
    }
};

TEST_F(KernelFixture, RepeatWithGameSettingsFiresOnFrames0_11_22_33) {
    EXPECT_EQ(RepeatFrames(200, 200, 40), (std::vector<int>{0, 11, 22, 33}));
}

TEST_F(KernelFixture, RepeatWithCreationSettingsFiresOnFrames0_9_12_15) {
    EXPECT_EQ(RepeatFrames(160, 40, 16), (std::vector<int>{0, 9, 12, 15}));
}

TEST_F(KernelFixture, AKeyboardKeyRestartsTheCountdownOnTheFrameAfterItWentDown) {
    EXPECT_EQ(RepeatFrames(200, 200, 40, true), (std::vector<int>{0, 12, 23, 34}));
}

TEST_F(KernelFixture, AHeldButtonIsPushedOnItsFirstFrameOnly) {
    source.SetKey(kLeftArrow, true);
    kernel.Poll(20);
    EXPECT_EQ(kernel.Buttons() & 0xFF, kButtonLeft);
    EXPECT_EQ(kernel.Pushed() & 0xFF, kButtonLeft);
    for (int f = 0; f < 5; ++f) {
        kernel.Poll(20);
        EXPECT_EQ(kernel.Buttons() & 0xFF, kButtonLeft);
        EXPECT_EQ(kernel.Pushed(), 0);
    }
    EXPECT_EQ(kernel.TotalTime(), 120);
}

TEST_F(KernelFixture, ASecondButtonRestartsTheCountdownAndPulsesAlone) {
    kernel.SetRepeat(200, 200);
    platform::JoystickState stick;
    stick.x = -100;
    source.SetJoystick(true, stick);
    for (int f = 0; f < 5; ++f) kernel.Poll(20);
    stick.y = -100;
    source.SetJoystick(true, stick);
    kernel.Poll(20);
    EXPECT_EQ(kernel.Pushed() & 0xFF, kButtonUp);
    EXPECT_EQ(kernel.Repeated(), kButtonUp);
    // The countdown restarted at the second press: the next pulse is 11 frames later.
    int pulseAt = -1;
    for (int f = 1; f <= 12 && pulseAt < 0; ++f) {
        kernel.Poll(20);
        if (kernel.Repeated()) pulseAt = f;
    }
    EXPECT_EQ(pulseAt, 11);
    EXPECT_EQ(kernel.Repeated(), kButtonLeft | kButtonUp);
}

TEST_F(KernelFixture, JoystickButtonAndItsKeyTogetherAreOneButton) {
    platform::JoystickState stick;
    stick.buttons[0] = true;
    source.SetJoystick(true, stick);
    kernel.Poll(20);
    EXPECT_EQ(kernel.Pushed() & 0xFF, kButtonSpace);
    source.SetKey(kSpace, true);
    kernel.Poll(20);
    EXPECT_EQ(kernel.Pushed() & 0xFF, 0);
    EXPECT_EQ(kernel.Buttons() & 0xFF, kButtonSpace);
}

TEST_F(KernelFixture, KeyDownBitAndLastKey) {
    kernel.Poll(20);
    EXPECT_EQ(kernel.LastKey(), -1);
    source.SetKey(30, true);  // A
    source.SetKey(kSpace, true);
    kernel.Poll(20);
    EXPECT_EQ(kernel.LastKey(), kSpace) << "the highest scan code among those that went down";
    EXPECT_TRUE(kernel.Buttons() & kButtonKeyDown);
    EXPECT_TRUE(kernel.Pushed() & kButtonKeyDown);
    EXPECT_FALSE(kernel.Repeated() & kButtonKeyDown);
    // The next key going down on the very next frame is no new edge of bit 8.
    source.SetKey(31, true);
    kernel.Poll(20);
    EXPECT_EQ(kernel.LastKey(), 31);
    EXPECT_TRUE(kernel.Buttons() & kButtonKeyDown);
    EXPECT_FALSE(kernel.Pushed() & kButtonKeyDown);
    kernel.Poll(20);
    EXPECT_EQ(kernel.LastKey(), -1);
    EXPECT_FALSE(kernel.Buttons() & kButtonKeyDown);
}

TEST_F(KernelFixture, AFailingKeyboardReadsAsNothingPressed) {
    source.SetKey(kSpace, true);
    kernel.Poll(20);
    source.SetKeyboardFails(true);
    kernel.Poll(20);
    EXPECT_EQ(kernel.Buttons(), 0);
    source.SetKeyboardFails(false);
    kernel.Poll(20);
    EXPECT_TRUE(kernel.Pushed() & kButtonSpace) << "a key seen again after a failed read is a new press";
}

TEST(KernelWithoutInput, PollReadsNothing) {
    TKernel kernel(nullptr, nullptr, nullptr, nullptr);
    kernel.Poll(20);
    EXPECT_EQ(kernel.Buttons(), 0);
    EXPECT_EQ(kernel.LastKey(), -1);
    kernel.Present();  // no draw device: nothing to present, and no crash
}

// Present's choice between clear, fade and nothing, read back from the presented picture.
struct PresentCase {
    bool clear;
    int level;
    int kind;
    std::uint32_t expected;
};

class KernelPresent : public ::testing::TestWithParam<PresentCase> {};

TEST_P(KernelPresent, ClearsOrFadesThenPresents) {
    const PresentCase& c = GetParam();
    TVekDraw draw;
    ASSERT_TRUE(draw.InitHeadless(TPixelFormat::kXrgb32, 320, 240));
    SDL_FillRect(draw.BackBuffer(), nullptr, SDL_MapRGB(draw.BackBuffer()->format, 0x80, 0x40, 0x20));
    TKernel kernel(&draw, nullptr, nullptr, nullptr);
    kernel.SetClearScreen(c.clear);
    kernel.SetFadeLevel(c.level);
    kernel.SetFadeKind(static_cast<std::uint8_t>(c.kind));
    kernel.Present();
    ASSERT_EQ(draw.PresentCount(), 1);
    ASSERT_EQ(draw.PresentedPicture().size(), 320u * 240u);
    EXPECT_EQ(draw.PresentedPicture()[0], c.expected);
    EXPECT_EQ(draw.PresentedPicture()[320 * 240 - 1], c.expected);
}

INSTANTIATE_TEST_SUITE_P(Kernel, KernelPresent,
                         ::testing::Values(PresentCase{false, 0, 0, 0x804020},   // no fade
                                           PresentCase{false, 255, 0, 0x000000}, // to black
                                           PresentCase{false, 255, 1, 0xFFFFFF}, // to white
                                           PresentCase{false, 255, 2, 0x804020}, // unknown kind: no effect
                                           PresentCase{true, 255, 1, 0x000000},  // clear wins over fade
                                           PresentCase{false, -5, 1, 0x804020}));

}  // namespace
