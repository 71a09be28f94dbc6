// The real window on a real X server: a private Xvfb started for this test.
#include "platform/Window.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "devices/Vekdraw.h"
#include "support/Command.h"

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

// One Xvfb, 1920 × 1080 × 24 (a common desktop with no window manager), for the whole suite; it picks a free display number itself, so suites
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
            ::execl(xvfb.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24", "-nolisten",
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
        platform::Window::PrepareVideo();
        // As the program does it, before its own video starts: the X server's GL, asked in a child.
        glRenderer = platform::ProbeGlRendererApart(10000);
        // A loaded machine may keep a new server from answering for a moment: try a few times.
        for (int attempt = 0; attempt < 10 && !videoUp; ++attempt) {
            if (SDL_Init(SDL_INIT_VIDEO) == 0) {
                videoUp = true;
            } else {
                skipReason = std::string("SDL cannot open the X display: ") + SDL_GetError();
                SDL_Delay(300);
            }
        }
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

    void TearDown() override { platform::UseRenderer({}); }

    // What the window last showed, as 0xRRGGBB, with its size.
    static std::vector<std::uint32_t> ReadBack(const platform::Window& window, int& w, int& h) {
        std::vector<std::uint32_t> pixels;
        window.ReadBackScreen(pixels, w, h);
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
    static std::string glRenderer;
    static std::string skipReason;
    static bool videoUp;
};

XServer* WindowTest::server = nullptr;
std::string WindowTest::glRenderer;
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
    EXPECT_NE(SDL_GetWindowFlags(window->Handle()) & SDL_WINDOW_RESIZABLE, 0u);
    EXPECT_FALSE(window->IsFullScreen());
    EXPECT_EQ(SDL_GetWindowFromID(window->Id()), window->Handle());

    TVekDraw draw;
    ASSERT_TRUE(draw.Init(window.get(), 320, 240, false, 16));
    EXPECT_EQ(draw.Format(), TPixelFormat::kXrgb32);  // the desktop's 24-bit depth is a 32-bit pixel
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
    EXPECT_EQ(draw.Format(), TPixelFormat::kRgb565);
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

// A 320 × 240 XRGB picture with a different colour at nearly every pixel, so that a scale or an
// offset that is off by one pixel anywhere shows.
SDL_Surface* Pattern(int width = 320, int height = 240) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGB888);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < width; ++x) row[x] = 0x010101u + static_cast<std::uint32_t>(((x * 7) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | ((x ^ y) & 0xFF));
    }
    return s;
}

std::uint32_t PatternAt(const SDL_Surface* s, int x, int y) {
    return reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(s->pixels) + y * s->pitch)[x] & 0xFFFFFF;
}

// Output pixels that are not the picture enlarged by `scale` at `dst` (and black around it), outside `skip`.
int WrongPixels(const std::vector<std::uint32_t>& screen, int w, int h, const SDL_Surface* picture, const SDL_Rect& dst,
                int scale, const SDL_Rect& skip = {0, 0, 0, 0}) {
    int wrong = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (x >= skip.x && y >= skip.y && x < skip.x + skip.w && y < skip.y + skip.h) continue;
            const bool inside = x >= dst.x && y >= dst.y && x < dst.x + dst.w && y < dst.y + dst.h;
            const std::uint32_t expect = inside ? PatternAt(picture, (x - dst.x) / scale, (y - dst.y) / scale) : 0u;
            if (screen[static_cast<std::size_t>(y) * w + x] != expect) ++wrong;
        }
    }
    return wrong;
}

int PictureDifferences(const std::vector<std::uint32_t>& picture, const SDL_Surface* expect) {
    if (picture.size() != static_cast<std::size_t>(expect->w) * expect->h) return -1;
    int differ = 0;
    for (int y = 0; y < expect->h; ++y)
        for (int x = 0; x < expect->w; ++x)
            if (picture[static_cast<std::size_t>(y) * expect->w + x] != PatternAt(expect, x, y)) ++differ;
    return differ;
}

std::string Output(const std::string& command) { return testmedia::RunCommand(command).output; }

TEST_F(WindowTest, DefaultScaleIsTheLargestThatFitsAndALargerOneIsRefused) {
    // No window manager: the usable area is the whole 1920 × 1080 screen.
    EXPECT_EQ(platform::Window::LargestScale(320, 240), 4);
    EXPECT_EQ(platform::Window::LargestScale(640, 480), 2);
    std::string error;
    auto window = platform::Window::Create("Pelloro", 320, 240, 0, false, &error);
    ASSERT_NE(window, nullptr) << error;
    Pump();
    int w = 0, h = 0;
    SDL_GetWindowSize(window->Handle(), &w, &h);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 960);
    window.reset();

    error.clear();
    EXPECT_EQ(platform::Window::Create("Pelloro", 320, 240, 5, false, &error), nullptr);
    EXPECT_NE(error.find("largest scale that fits is 4"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
    // Full screen takes any scale: it only names the size the window comes back to.
    error.clear();
    window = platform::Window::Create("Pelloro", 320, 240, 5, true, &error);
    EXPECT_NE(window, nullptr) << error;
}

TEST_F(WindowTest, PicturesThroughTheWindowAreTheBackBufferEnlargedByWholeNumbers) {
    SDL_Surface* picture = Pattern();
    for (int scale : {1, 3, 4}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        std::string error;
        auto window = platform::Window::Create("Pelloro", 320, 240, scale, false, &error);
        ASSERT_NE(window, nullptr) << error;
        Pump();
        window->Present(picture);
        std::vector<std::uint32_t> screen;
        int w = 0, h = 0;
        ASSERT_TRUE(window->ReadBackScreen(screen, w, h));
        ASSERT_EQ(w, 320 * scale);
        ASSERT_EQ(h, 240 * scale);
        EXPECT_EQ(window->LastScale(), scale);
        EXPECT_EQ(WrongPixels(screen, w, h, picture, SDL_Rect{0, 0, w, h}, scale), 0);
        std::vector<std::uint32_t> shown;
        ASSERT_TRUE(window->ReadBack(shown, w, h));
        EXPECT_EQ(PictureDifferences(shown, picture), 0);
    }
    SDL_FreeSurface(picture);
}

TEST_F(WindowTest, AResizedWindowShowsTheLargestWholeScaleCentredOnBlack) {
    SDL_Surface* picture = Pattern();
    std::string error;
    auto window = platform::Window::Create("Pelloro", 320, 240, 2, false, &error);
    ASSERT_NE(window, nullptr) << error;
    Pump();
    window->Present(picture);
    const auto enlargedOnce = window->PictureUpdates();
    SDL_SetWindowSize(window->Handle(), 1000, 800);
    Pump();
    // The shell repaints on resize: the last picture at the new size, without a new frame.
    window->Repaint();
    const SDL_Rect dst = window->LastDestination();
    EXPECT_EQ(dst.w, 960);
    EXPECT_EQ(dst.h, 720);
    EXPECT_EQ(dst.x, 20);
    EXPECT_EQ(dst.y, 40);
    EXPECT_EQ(window->PictureUpdates(), enlargedOnce);
    std::vector<std::uint32_t> screen;
    int w = 0, h = 0;
    ASSERT_TRUE(window->ReadBackScreen(screen, w, h));
    ASSERT_EQ(w, 1000);
    ASSERT_EQ(h, 800);
    EXPECT_EQ(WrongPixels(screen, w, h, picture, dst, 3), 0);
    // The next frame lands in the same place; the black around it stays.
    window->Present(picture);
    ASSERT_TRUE(window->ReadBackScreen(screen, w, h));
    EXPECT_EQ(WrongPixels(screen, w, h, picture, dst, 3), 0);
    // A window smaller than one picture is not allowed.
    SDL_SetWindowSize(window->Handle(), 100, 100);
    Pump();
    SDL_GetWindowSize(window->Handle(), &w, &h);
    EXPECT_GE(w, 320);
    EXPECT_GE(h, 240);
    SDL_FreeSurface(picture);
}

TEST_F(WindowTest, TheWindowCarriesTheDesktopEntrysClassAndTheIcon) {
    if (Output("command -v xprop").empty()) GTEST_SKIP() << "xprop is not installed (package x11-utils)";
    std::string error;
    auto window = platform::Window::Create("Pelloro class check", 320, 240, 1, false, &error);
    ASSERT_NE(window, nullptr) << error;
    Pump();
    const std::string id = "-name 'Pelloro class check'";
    const std::string wmClass = Output("xprop " + id + " WM_CLASS 2>&1");
    EXPECT_NE(wmClass.find("\"io.github.pelloro.Pelloro\", \"io.github.pelloro.Pelloro\""), std::string::npos) << wmClass;
    const std::string icon = Output("xprop " + id + " _NET_WM_ICON 2>&1");
    EXPECT_NE(icon.find("Icon (64 x 64)"), std::string::npos) << icon.substr(0, 200);
}

TEST_F(WindowTest, SignsAreDrawnOverThePictureAndNeverBecomePartOfIt) {
    SDL_Surface* picture = Pattern();
    std::string error;
    auto window = platform::Window::Create("Pelloro", 320, 240, 3, false, &error);
    ASSERT_NE(window, nullptr) << error;
    Pump();
    window->SetSign(platform::SignPlace::kCentre, "PAUSE");
    window->SetSign(platform::SignPlace::kTopRight, "Volume 70 %");
    window->SetSign(platform::SignPlace::kBottom, "The music could not start; check PELLORO_SOUNDFONT");
    window->Present(picture);
    const SDL_Rect dst = window->LastDestination();
    const SDL_Rect centre = window->SignRect(platform::SignPlace::kCentre);
    const SDL_Rect corner = window->SignRect(platform::SignPlace::kTopRight);
    const SDL_Rect bottom = window->SignRect(platform::SignPlace::kBottom);
    for (const SDL_Rect& r : {centre, corner, bottom}) {
        EXPECT_GT(r.w, 0);
        EXPECT_GE(r.x, dst.x);
        EXPECT_GE(r.y, dst.y);
        EXPECT_LE(r.x + r.w, dst.x + dst.w);
        EXPECT_LE(r.y + r.h, dst.y + dst.h);
    }
    EXPECT_NEAR(centre.x + centre.w / 2, dst.x + dst.w / 2, 3);
    EXPECT_GT(corner.x, dst.x + dst.w / 2);
    EXPECT_LT(corner.y + corner.h, centre.y);
    EXPECT_GT(bottom.y, centre.y + centre.h);
    // None of them on the score, time, level or lives: the signs sit on whole picture pixels.
    for (const SDL_Rect& r : {centre, corner, bottom}) {
        EXPECT_EQ((r.x - dst.x) % 3, 0);
        EXPECT_EQ((r.y - dst.y) % 3, 0);
        const SDL_Rect inPicture{(r.x - dst.x) / 3, (r.y - dst.y) / 3, r.w / 3, r.h / 3};
        for (const SDL_Rect& kept : platform::KeptClear()) EXPECT_FALSE(SDL_HasIntersection(&inPicture, &kept));
    }

    // The picture read back is the game's, whatever covers it.
    std::vector<std::uint32_t> shown;
    int w = 0, h = 0;
    ASSERT_TRUE(window->ReadBack(shown, w, h));
    EXPECT_EQ(PictureDifferences(shown, picture), 0);
    // On the screen the sign darkens its box: most of it differs from the picture below.
    std::vector<std::uint32_t> screen;
    ASSERT_TRUE(window->ReadBackScreen(screen, w, h));
    int covered = 0;
    for (int y = centre.y; y < centre.y + centre.h; ++y)
        for (int x = centre.x; x < centre.x + centre.w; ++x)
            if (screen[static_cast<std::size_t>(y) * w + x] != PatternAt(picture, x / 3, y / 3)) ++covered;
    EXPECT_GT(covered, centre.w * centre.h / 2);

    // A next frame that changes some rows, some of them under the centre sign: those rows are redrawn,
    // the sign stays on top, and the picture below it is the new one.
    window->SetSign(platform::SignPlace::kTopRight, "");
    window->SetSign(platform::SignPlace::kBottom, "");
    SDL_Surface* next = Pattern();
    for (int y : {0, 1, 60, 119, 120, 121, 200, 239}) {
        SDL_Rect row{0, y, 320, 1};
        SDL_FillRect(next, &row, 0x00A0B0C0u + static_cast<Uint32>(y));
    }
    window->Present(next);
    ASSERT_TRUE(window->ReadBack(shown, w, h));
    EXPECT_EQ(PictureDifferences(shown, next), 0);
    ASSERT_TRUE(window->ReadBackScreen(screen, w, h));
    EXPECT_EQ(WrongPixels(screen, w, h, next, dst, 3, centre), 0);
    window->SetSign(platform::SignPlace::kTopRight, "Volume 70 %");
    window->SetSign(platform::SignPlace::kBottom, "The music could not start; check PELLORO_SOUNDFONT");
    window->Present(picture);

    // Taking the signs away while no frame runs brings back the picture exactly, without enlarging it again.
    const auto updates = window->PictureUpdates();
    window->SetSign(platform::SignPlace::kCentre, "");
    window->SetSign(platform::SignPlace::kTopRight, "");
    window->SetSign(platform::SignPlace::kBottom, "");
    window->Repaint();
    EXPECT_EQ(window->PictureUpdates(), updates);
    ASSERT_TRUE(window->ReadBackScreen(screen, w, h));
    EXPECT_EQ(WrongPixels(screen, w, h, picture, dst, 3), 0);

    // A long message, as a fatal error is shown, wraps inside the picture and keeps every line.
    std::string message;
    for (int i = 0; i < 6; ++i) message += "The line number " + std::to_string(i) + " of a message of about fifty letters. ";
    window->SetSign(platform::SignPlace::kCentre, message);
    window->Repaint();
    const SDL_Rect box = window->SignRect(platform::SignPlace::kCentre);
    EXPECT_LE(box.w, dst.w);
    EXPECT_GE(box.h, 5 * platform::SignPainter::LineHeight() * 3) << "fewer lines than the text needs";
    ASSERT_TRUE(window->ReadBackScreen(screen, w, h));
    EXPECT_EQ(WrongPixels(screen, w, h, picture, dst, 3, box), 0) << "the picture outside the sign changed";
    SDL_FreeSurface(next);
    SDL_FreeSurface(picture);
}

TEST_F(WindowTest, XvfbsGlDriverIsFoundToDrawOnTheCpu) {
    if (glRenderer.empty()) GTEST_SKIP() << "the X server offers no GL";
    EXPECT_TRUE(platform::IsSoftwareGlRenderer(glRenderer)) << glRenderer;
    EXPECT_EQ(platform::DecideRenderer("", glRenderer).path, platform::RenderPath::kSoftware);
    // The probe ran in a child: this process has no GL context of its own.
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
}

TEST_F(WindowTest, TheAcceleratedPathDrawsTheSamePicture) {
    // Forced onto Mesa's llvmpipe, which Xvfb offers: what a GPU driver would do, on the CPU.
    platform::UseRenderer({platform::RenderPath::kAccelerated, "opengl", "test"});
    SDL_Surface* picture = Pattern();
    std::string error;
    auto window = platform::Window::Create("Pelloro", 320, 240, 3, false, &error);
    ASSERT_NE(window, nullptr) << error;
    if (window->Path() != platform::RenderPath::kAccelerated) GTEST_SKIP() << "no GL renderer on this X server";
    Pump();
    window->SetSign(platform::SignPlace::kCentre, "PAUSE");
    window->Present(picture);
    std::vector<std::uint32_t> shown;
    int w = 0, h = 0;
    ASSERT_TRUE(window->ReadBack(shown, w, h));
    EXPECT_EQ(PictureDifferences(shown, picture), 0);
    window->SetSign(platform::SignPlace::kCentre, "");
    const auto updates = window->PictureUpdates();
    window->Repaint();
    EXPECT_EQ(window->PictureUpdates(), updates);
    std::vector<std::uint32_t> screen;
    ASSERT_TRUE(window->ReadBackScreen(screen, w, h));
    ASSERT_EQ(w, 960);
    EXPECT_EQ(WrongPixels(screen, w, h, picture, SDL_Rect{0, 0, w, h}, 3), 0);
    SDL_FreeSurface(picture);
}

}  // namespace

TEST_F(WindowTest, AWindowShownAtItsFirstPictureIsNeverSeenBlack) {
    SDL_Surface* picture = Pattern();
    std::string error;
    auto window = platform::Window::Create("Pelloro", 320, 240, 0, false, &error, true);
    ASSERT_NE(window, nullptr) << error;
    Pump();
    window->Repaint();  // a repaint before the first picture shows nothing either
    EXPECT_NE(SDL_GetWindowFlags(window->Handle()) & SDL_WINDOW_HIDDEN, 0u);
    window->Present(picture);
    Pump();
    EXPECT_EQ(SDL_GetWindowFlags(window->Handle()) & SDL_WINDOW_HIDDEN, 0u);
    // Shown, it still takes the largest scale that fits, and holds the picture.
    int w = 0, h = 0;
    SDL_GetWindowSize(window->Handle(), &w, &h);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 960);
    std::vector<std::uint32_t> shown;
    ASSERT_TRUE(window->ReadBack(shown, w, h));
    EXPECT_EQ(PictureDifferences(shown, picture), 0);
    SDL_FreeSurface(picture);
}
