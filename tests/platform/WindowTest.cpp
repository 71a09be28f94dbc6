// The real window on a real X server: a private Xvfb started for this test.
#include "platform/Window.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "devices/Vekdraw.h"

// SDL's X11 driver opens a D-Bus connection (input methods) whose library keeps its allocations until
// the process ends; the small blocks hanging off it show no frame but the sanitizer runtime's.
// The X and GL libraries also keep blocks allocated from code loaded at run time, which shows no
// module to suppress by name; leaks of our own window code are covered by the headless soak, so this
// suite does not check for leaks at all.
extern "C" int __lsan_is_turned_off() { return 1; }

namespace {

std::string FindXvfb() {
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        const std::string path = std::string(dir) + "/Xvfb";
        if (::access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
}

// One Xvfb, 1024 × 768 × 24, for the whole suite; it picks a free display number itself, so suites
// run side by side do not meet.
class XServer {
public:
    bool Start(std::string& why) {
        const std::string xvfb = FindXvfb();
        if (xvfb.empty()) {
            why = "Xvfb is not installed (package xvfb)";
            return false;
        }
        int fds[2];
        if (::pipe(fds) != 0) {
            why = "pipe failed";
            return false;
        }
        pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            ::execl(xvfb.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
                    "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        if (pid < 0) {
            ::close(fds[0]);
            why = "fork failed";
            return false;
        }
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        char c = 0;
        while (::poll(&wait, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number.push_back(c);
        ::close(fds[0]);
        if (number.empty()) {
            why = "Xvfb did not start";
            return false;
        }
        ::setenv("DISPLAY", (":" + number).c_str(), 1);
        return true;
    }
    void Stop() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }

private:
    pid_t pid = -1;
};

class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new XServer;
        if (!server->Start(skipReason)) return;
        ::setenv("SDL_VIDEODRIVER", "x11", 1);
        // The software renderer keeps the presented picture readable after RenderPresent.
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        if (SDL_Init(SDL_INIT_VIDEO) != 0) skipReason = std::string("SDL cannot open the X display: ") + SDL_GetError();
        else videoUp = true;
    }
    static void TearDownTestSuite() {
        if (videoUp) SDL_Quit();
        videoUp = false;
        server->Stop();
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        if (!videoUp) GTEST_SKIP() << skipReason;
    }

    static void Pump() {
        for (int i = 0; i < 20; ++i) {
            SDL_Event e;
            while (SDL_PollEvent(&e)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // What the renderer last showed, as 0xRRGGBB, with its size.
    static std::vector<std::uint32_t> ReadBack(const platform::Window& window, int& w, int& h) {
        SDL_GetRendererOutputSize(window.Renderer(), &w, &h);
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
        if (SDL_RenderReadPixels(window.Renderer(), nullptr, SDL_PIXELFORMAT_RGB888, pixels.data(), w * 4) != 0)
            pixels.clear();
        for (auto& p : pixels) p &= 0xFFFFFF;
        return pixels;
    }

    // A picture with a one-pixel checker in one corner, so a scale that is off by a pixel shows.
    static void PaintTestPicture(TVekDraw& draw) {
        SDL_Surface* s = draw.BackBuffer();
        SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0x20, 0x40, 0x80));
        SDL_Rect red{0, 0, 160, 120};
        SDL_FillRect(s, &red, SDL_MapRGB(s->format, 0xFF, 0, 0));
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                if ((x + y) % 2) {
                    SDL_Rect px{300 + x, 220 + y, 1, 1};
                    SDL_FillRect(s, &px, SDL_MapRGB(s->format, 0xFF, 0xFF, 0xFF));
                }
    }

    static XServer* server;
    static std::string skipReason;
    static bool videoUp;
};

XServer* WindowTest::server = nullptr;
std::string WindowTest::skipReason;
bool WindowTest::videoUp = false;

TEST_F(WindowTest, WindowedPictureIsScaledNearestIntoTheClientArea) {
    std::string error;
    auto window = platform::Window::Create("Pelloro", 320, 240, 2, false, &error);
    ASSERT_NE(window, nullptr) << error;
    Pump();
    EXPECT_STREQ(SDL_GetWindowTitle(window->Handle()), "Pelloro");
    int w = 0, h = 0;
    SDL_GetWindowSize(window->Handle(), &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(SDL_GetWindowFlags(window->Handle()) & SDL_WINDOW_RESIZABLE, 0u);
    EXPECT_FALSE(window->IsFullScreen());
    EXPECT_EQ(SDL_GetWindowFromID(window->Id()), window->Handle());

    TVekDraw draw;
    ASSERT_TRUE(draw.Init(window.get(), 320, 240, false, 16));
    EXPECT_EQ(draw.Format(), TPixelFormat::Xrgb32);  // the desktop's 24-bit depth is a 32-bit pixel
    PaintTestPicture(draw);
    ASSERT_TRUE(draw.Update());
    const auto& shown = draw.PresentedPicture();
    // What the window gives back is the back buffer exactly.
    ASSERT_EQ(shown.size(), 320u * 240u);
    int differ = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if (shown[y * 320 + x] != draw.RgbAt(x, y)) ++differ;
    EXPECT_EQ(differ, 0);

    int ow = 0, oh = 0;
    const auto pixels = ReadBack(*window, ow, oh);
    ASSERT_EQ(ow, 640);
    ASSERT_EQ(oh, 480);
    ASSERT_FALSE(pixels.empty()) << SDL_GetError();
    int wrong = 0;
    for (int y = 0; y < oh; ++y)
        for (int x = 0; x < ow; ++x)
            if (pixels[y * ow + x] != shown[(y / 2) * 320 + x / 2]) ++wrong;
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(pixels[0], 0xFF0000u);
    EXPECT_EQ(pixels[(221 * 2) * 640 + 300 * 2], 0xFFFFFFu);
    EXPECT_EQ(pixels[(221 * 2) * 640 + 300 * 2 + 2], 0x204080u);
}

TEST_F(WindowTest, FullScreenCentresTheFrameAtAWholeNumberScale) {
    std::string error;
    auto window = platform::Window::Create("Pelloro", 320, 240, 2, false, &error);
    ASSERT_NE(window, nullptr) << error;
    Pump();
    TVekDraw draw;
    // Full screen asks for 16 bits: the back buffer becomes 5-6-5 and is centred in a 640 × 480 frame.
    ASSERT_TRUE(draw.Init(window.get(), 320, 240, true, 16));
    EXPECT_EQ(draw.Format(), TPixelFormat::Rgb565);
    EXPECT_TRUE(window->IsFullScreen());
    Pump();
    PaintTestPicture(draw);
    ASSERT_TRUE(draw.Update());
    int ow = 0, oh = 0;
    const auto pixels = ReadBack(*window, ow, oh);
    ASSERT_FALSE(pixels.empty()) << SDL_GetError();
    if (ow < 640 || oh < 480) GTEST_SKIP() << "the X server left the window at " << ow << "x" << oh;
    const int scale = std::min(ow / 640, oh / 480);
    const SDL_Rect dst = window->LastDestination();
    EXPECT_EQ(dst.w, 640 * scale);
    EXPECT_EQ(dst.h, 480 * scale);
    EXPECT_EQ(dst.x, (ow - dst.w) / 2);
    EXPECT_EQ(dst.y, (oh - dst.h) / 2);
    const auto& shown = draw.PresentedPicture();
    ASSERT_EQ(shown.size(), 320u * 240u);
    int differ = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if ((shown[y * 320 + x] & 0xF8FCF8) != (draw.RgbAt(x, y) & 0xF8FCF8)) ++differ;
    EXPECT_EQ(differ, 0) << "the frame around the back buffer is not part of the picture";
    int wrong = 0;
    for (int y = 0; y < oh; ++y) {
        for (int x = 0; x < ow; ++x) {
            const int fx = (x - dst.x) / scale - 160, fy = (y - dst.y) / scale - 120;
            const bool inside = x >= dst.x && y >= dst.y && fx >= 0 && fy >= 0 && fx < 320 && fy < 240;
            const std::uint32_t expect = inside ? shown[fy * 320 + fx] : 0u;
            // The renderer widens 5-6-5 channels its own way: only the bits the format holds must agree.
            if ((pixels[y * ow + x] & 0xF8FCF8) != (expect & 0xF8FCF8)) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);

    // A windowed Init gives the window back as it was.
    ASSERT_TRUE(draw.Init(window.get(), 320, 240, false, 16));
    EXPECT_FALSE(window->IsFullScreen());
    window->ToggleFullScreen();
    EXPECT_TRUE(window->IsFullScreen());
    window->ToggleFullScreen();
    EXPECT_FALSE(window->IsFullScreen());
}

}  // namespace
