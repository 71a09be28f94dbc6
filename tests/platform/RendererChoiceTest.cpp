// The renderer is chosen from the GL driver's name; here the names are given, as drivers report them.
#include "platform/RendererChoice.h"
#include "platform/System.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

struct Case {
    const char* variable;    // SDL_RENDER_DRIVER, "" when unset
    const char* glRenderer;  // GL_RENDERER, "" when no context could be made
    platform::RenderPath path;
    const char* driver;
};

constexpr auto kSoft = platform::RenderPath::kSoftware;
constexpr auto kFast = platform::RenderPath::kAccelerated;

TEST(RendererChoiceTest, HardwareDriversGetTheAcceleratedRendererAndCpuOnesOurOwnEnlarging) {
    const Case cases[] = {
        {"", "llvmpipe (LLVM 15.0.6, 256 bits)", kSoft, ""},
        {"", "softpipe", kSoft, ""},
        {"", "Software Rasterizer", kSoft, ""},
        {"", "Mesa X11 (swrast)", kSoft, ""},
        {"", "Google SwiftShader", kSoft, ""},
        {"", "", kSoft, ""},
        {"", "   ", kSoft, ""},
        {"", "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", kFast, ""},
        // A hardware driver built with LLVM names it too; only the CPU rasteriser is software.
        {"", "AMD Radeon RX 6800 (navi21, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)", kFast, ""},
        {"", "NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2", kFast, ""},
        {"", "Mali-G52 (Panfrost)", kFast, ""},
        // The environment wins over what the driver is.
        {"software", "NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2", kSoft, ""},
        {"SOFTWARE", "", kSoft, ""},
        {"opengl", "llvmpipe (LLVM 15.0.6, 256 bits)", kFast, "opengl"},
        {"opengles2", "", kFast, "opengles2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.variable) + " / " + c.glRenderer);
        const platform::RendererChoice choice = platform::DecideRenderer(c.variable, c.glRenderer);
        EXPECT_EQ(choice.path, c.path);
        EXPECT_EQ(choice.driver, c.driver);
        EXPECT_EQ(choice.reason.find('\n'), std::string::npos);
        EXPECT_EQ(choice.reason.rfind(c.path == kSoft ? "software" : "accelerated", 0), 0u) << choice.reason;
        if (*c.glRenderer && !*c.variable && c.glRenderer[0] != ' ') {
            EXPECT_NE(choice.reason.find(c.glRenderer), std::string::npos) << "the --verbose line names the driver";
        }
    }
}

TEST(RendererChoiceTest, WindowsUseTheLastChoiceAndTheSoftwarePathBeforeAny) {
    EXPECT_EQ(platform::CurrentRenderer().path, kSoft);
    platform::UseRenderer(platform::DecideRenderer("", "Mesa Intel(R) Xe Graphics (TGL GT2)"));
    EXPECT_EQ(platform::CurrentRenderer().path, kFast);
    platform::UseRenderer({});
    EXPECT_EQ(platform::CurrentRenderer().path, kSoft);
}

TEST(RendererChoiceTest, AGpuDeviceNodeIsWhatMakesAHardwareDriverWorthAsking) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("pelloro-dri-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    EXPECT_FALSE(platform::HasGpuDevice(dir.string()));
    std::ofstream(dir / "by-path");
    EXPECT_FALSE(platform::HasGpuDevice(dir.string()));
    std::ofstream(dir / "renderD128");
    EXPECT_TRUE(platform::HasGpuDevice(dir.string()));
    fs::remove(dir / "renderD128");
    std::ofstream(dir / "card0");
    EXPECT_TRUE(platform::HasGpuDevice(dir.string()));
    fs::remove_all(dir);
    EXPECT_FALSE(platform::HasGpuDevice(dir.string()));
}

TEST(RendererChoiceTest, WithNoDisplayTheProbeAnswersNothingPromptly) {
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    platform::UnsetEnvironment("DISPLAY");
    platform::SetEnvironment("SDL_VIDEODRIVER", "x11", true);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(platform::ProbeGlRendererApart(3000), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    platform::UnsetEnvironment("SDL_VIDEODRIVER");
    if (!saved.empty()) platform::SetEnvironment("DISPLAY", saved.c_str(), true);
}

}  // namespace
