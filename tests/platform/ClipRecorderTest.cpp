#include "platform/ClipRecorder.h"

#include <SDL.h>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "game/Demo.h"
#include "shell/Mainunit.h"
#include "support/TestMedia.h"

namespace {

struct TempFolder : testmedia::TempFolder {
    TempFolder() : testmedia::TempFolder("pelloro-clip") {}
};

namespace fs = std::filesystem;
using Picture = std::vector<std::uint32_t>;
using platform::ClipRecorder;
using platform::GifWriter;

#if defined(__SANITIZE_THREAD__)
constexpr bool kThreadSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
constexpr bool kThreadSanitizer = true;
#else
constexpr bool kThreadSanitizer = false;
#endif
#else
constexpr bool kThreadSanitizer = false;
#endif

constexpr int kWidth = 320;
constexpr int kHeight = 240;

struct Rect {
    int left, top, width, height;
    bool operator==(const Rect&) const = default;
};

// What a viewer shows of a GIF: every frame composited over the ones before.
struct DecodedClip {
    bool ok = false;
    std::string error;
    int width = 0;
    int height = 0;
    bool loops = false;
    std::vector<Picture> frames;
    std::vector<int> delays;
    std::vector<int> disposals;
    std::vector<Rect> rects;
};

DecodedClip Decode(const std::string& path) {
    DecodedClip clip;
    int code = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &code);
    if (!gif) {
        clip.error = GifErrorString(code);
        return clip;
    }
    if (DGifSlurp(gif) == GIF_ERROR) {
        clip.error = GifErrorString(gif->Error);
        DGifCloseFile(gif, &code);
        return clip;
    }
    clip.width = gif->SWidth;
    clip.height = gif->SHeight;
    Picture canvas(static_cast<std::size_t>(clip.width * clip.height), 0);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        for (int e = 0; e < image.ExtensionBlockCount; ++e) {
            const ExtensionBlock& block = image.ExtensionBlocks[e];
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                std::string(reinterpret_cast<const char*>(block.Bytes), 11) == "NETSCAPE2.0")
                clip.loops = true;
        }
        GraphicsControlBlock control{};
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(gif, i, &control);
        const GifImageDesc& desc = image.ImageDesc;
        const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        if (!map || desc.Left < 0 || desc.Top < 0 || desc.Left + desc.Width > clip.width ||
            desc.Top + desc.Height > clip.height) {
            clip.error = "frame " + std::to_string(i) + " has no palette or lies outside the screen";
            break;
        }
        for (int y = 0; y < desc.Height; ++y)
            for (int x = 0; x < desc.Width; ++x) {
                const int index = image.RasterBits[y * desc.Width + x];
                if (index == control.TransparentColor) continue;
                const GifColorType c = index < map->ColorCount ? map->Colors[index] : GifColorType{0, 0, 0};
                canvas[static_cast<std::size_t>((desc.Top + y) * clip.width + desc.Left + x)] =
                    (std::uint32_t{c.Red} << 16) | (std::uint32_t{c.Green} << 8) | c.Blue;
            }
        clip.frames.push_back(canvas);
        clip.delays.push_back(control.DelayTime);
        clip.disposals.push_back(control.DisposalMode);
        clip.rects.push_back({desc.Left, desc.Top, desc.Width, desc.Height});
    }
    DGifCloseFile(gif, &code);
    clip.ok = clip.error.empty();
    return clip;
}

// Mean and largest difference of one colour channel between two pictures.
struct Difference {
    double mean = 0;
    int largest = 0;
};
Difference Compare(const Picture& a, const Picture& b) {
    Difference d;
    if (a.size() != b.size()) return {1e9, 1 << 30};
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int shift : {16, 8, 0}) {
            const int delta = std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF));
            sum += delta;
            d.largest = std::max(d.largest, delta);
        }
    d.mean = a.empty() ? 0 : sum / (3.0 * static_cast<double>(a.size()));
    return d;
}

void FillRect(Picture& picture, int left, int top, int width, int height, std::uint32_t colour) {
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x) picture[static_cast<std::size_t>(y * kWidth + x)] = colour;
}

// Flat colours as the game draws them: a sky, a ground, and a block that walks across.
std::vector<Picture> FlatFrames() {
    std::vector<Picture> frames;
    Picture base(static_cast<std::size_t>(kWidth * kHeight), 0x4080FF);
    FillRect(base, 0, 180, kWidth, 60, 0x30A040);
    for (int i = 0; i < 6; ++i) {
        Picture frame = base;
        FillRect(frame, 20 + 10 * i, 150, 16, 30, 0xC06020);
        FillRect(frame, 24 + 10 * i, 154, 4, 4, 0x000000);
        frames.push_back(frame);
    }
    frames.push_back(frames.back());                       // nothing moved
    Picture flash(static_cast<std::size_t>(kWidth * kHeight), 0xFFFFFF);  // the whole screen changes
    frames.push_back(flash);
    frames.push_back(base);
    return frames;
}

// A photo-like picture: smooth gradients with noise, thousands of colours.
Picture PhotoFrame(std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-2, 2);
    Picture picture(static_cast<std::size_t>(kWidth * kHeight));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const auto channel = [&](double value) {
                return static_cast<std::uint32_t>(std::clamp(static_cast<int>(value) + noise(random), 0, 255));
            };
            const std::uint32_t r = channel(255.0 * x / kWidth);
            const std::uint32_t g = channel(127.5 + 120 * std::sin((x + y + static_cast<int>(seed)) / 25.0));
            const std::uint32_t b = channel(255.0 * y / kHeight);
            picture[static_cast<std::size_t>(y * kWidth + x)] = (r << 16) | (g << 8) | b;
        }
    return picture;
}

TEST(GifWriter, FlatColoursComeBackExactlyFromChangedRectanglesOnly) {
    TempFolder folder;
    const std::string path = folder / "flat.gif";
    const auto frames = FlatFrames();
    GifWriter writer;
    ASSERT_TRUE(writer.Open(path)) << writer.Error();
    for (const auto& frame : frames) ASSERT_TRUE(writer.Write(frame, kWidth, kHeight)) << writer.Error();
    ASSERT_TRUE(writer.Close()) << writer.Error();

    const DecodedClip clip = Decode(path);
    ASSERT_TRUE(clip.ok) << clip.error;
    EXPECT_EQ(clip.width, kWidth);
    EXPECT_EQ(clip.height, kHeight);
    EXPECT_TRUE(clip.loops);
    ASSERT_EQ(clip.frames.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        EXPECT_EQ(clip.delays[i], GifWriter::kFrameDelay);
        EXPECT_EQ(clip.disposals[i], DISPOSE_DO_NOT);
        EXPECT_EQ(Compare(clip.frames[i], frames[i]).largest, 0);
    }
    // The block moves 10 pixels right: the old and new block together, 26 x 30.
    EXPECT_EQ(clip.rects[0], (Rect{0, 0, kWidth, kHeight}));
    EXPECT_EQ(clip.rects[1], (Rect{20, 150, 26, 30}));
    EXPECT_EQ(clip.rects[6], (Rect{0, 0, 1, 1}));
    EXPECT_EQ(clip.rects[7], (Rect{0, 0, kWidth, kHeight}));
    // Nine frames of flat colour, most of them small: far less than one frame's raw bytes.
    EXPECT_LT(fs::file_size(path), 8000u);
}

TEST(GifWriter, ManyColoursAreQuantisedCloselyAndUnchangedPixelsKept) {
    TempFolder folder;
    const std::string path = folder / "photo.gif";
    const Picture first = PhotoFrame(1);
    Picture second = first;  // a photo-like patch changes; the rest stays
    const Picture other = PhotoFrame(2);
    for (int y = 60; y < 160; ++y)
        for (int x = 100; x < 260; x += 2)  // every other pixel: the rectangle holds unchanged ones
            second[static_cast<std::size_t>(y * kWidth + x)] = other[static_cast<std::size_t>(y * kWidth + x)] ^ 0x404040;
    const Picture third = PhotoFrame(3);

    GifWriter writer;
    ASSERT_TRUE(writer.Open(path)) << writer.Error();
    for (const Picture* frame : {&first, static_cast<const Picture*>(&second), &third}) ASSERT_TRUE(writer.Write(*frame, kWidth, kHeight)) << writer.Error();
    ASSERT_TRUE(writer.Close()) << writer.Error();

    const DecodedClip clip = Decode(path);
    ASSERT_TRUE(clip.ok) << clip.error;
    ASSERT_EQ(clip.frames.size(), 3u);
    const Picture* inputs[] = {&first, &second, &third};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        // 256 colours spread over the whole colour cube, undithered: cells some 40 levels wide.
        const Difference d = Compare(clip.frames[i], *inputs[i]);
        EXPECT_LT(d.mean, 8.0);
        EXPECT_LT(d.largest, 64);
        EXPECT_EQ(clip.delays[i], GifWriter::kFrameDelay);
    }
    EXPECT_EQ(clip.rects[1], (Rect{100, 60, 159, 100}));
    // Outside the changed pixels the second frame shows exactly what the first did.
    int moved = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const auto at = static_cast<std::size_t>(y * kWidth + x);
            if (first[at] == second[at] && clip.frames[1][at] != clip.frames[0][at]) ++moved;
        }
    EXPECT_EQ(moved, 0);
}

TEST(GifWriter, PaletteEdgeBesideTransparency) {
    // 255 new colours and a transparent index fill a palette exactly; 256 need the quantiser.
    for (const int colours : {255, 256}) {
        SCOPED_TRACE(std::to_string(colours) + " colours");
        TempFolder folder;
        const std::string path = folder / "edge.gif";
        const Picture first(static_cast<std::size_t>(kWidth * kHeight), 0x000000);
        Picture second = first;
        for (int i = 0; i < colours; ++i)  // on every other pixel of the first rows, so the rectangle has holes
            second[static_cast<std::size_t>(2 * i)] = 0x010101u * static_cast<std::uint32_t>(i % 255 + 1) ^ (i >= 255 ? 0x800000u : 0u);
        GifWriter writer;
        ASSERT_TRUE(writer.Open(path));
        ASSERT_TRUE(writer.Write(first, kWidth, kHeight));
        ASSERT_TRUE(writer.Write(second, kWidth, kHeight)) << writer.Error();
        ASSERT_TRUE(writer.Close()) << writer.Error();
        const DecodedClip clip = Decode(path);
        ASSERT_TRUE(clip.ok) << clip.error;
        ASSERT_EQ(clip.frames.size(), 2u);
        const Difference d = Compare(clip.frames[1], second);
        if (colours == 255)
            EXPECT_EQ(d.largest, 0);
        else
            EXPECT_LT(d.largest, 24);
    }
}

TEST(GifWriter, RefusesWhatItCannotWrite) {
    TempFolder folder;
    const Picture picture(static_cast<std::size_t>(kWidth * kHeight), 0x102030);
    {
        GifWriter writer;
        EXPECT_FALSE(writer.Open(folder / "missing/clip.gif"));
        EXPECT_NE(writer.Error().find("missing/clip.gif"), std::string::npos) << writer.Error();
        EXPECT_FALSE(writer.Write(picture, kWidth, kHeight));
    }
    struct Case {
        const char* what;
        std::size_t pixels;
        int width, height;
    };
    for (const Case c : {Case{"pixels short", picture.size() - 1, kWidth, kHeight}, Case{"no width", 0, 0, kHeight},
                         Case{"too wide", 5000u * 2, 5000, 2}}) {
        SCOPED_TRACE(c.what);
        const std::string path = folder / "bad.gif";
        GifWriter writer;
        ASSERT_TRUE(writer.Open(path));
        EXPECT_FALSE(writer.Write(Picture(c.pixels, 0), c.width, c.height));
        EXPECT_FALSE(writer.Error().empty());
        EXPECT_FALSE(writer.Close());
        EXPECT_FALSE(fs::exists(path)) << "a broken clip was left behind";
    }
    {
        const std::string path = folder / "resized.gif";
        GifWriter writer;
        ASSERT_TRUE(writer.Open(path));
        ASSERT_TRUE(writer.Write(picture, kWidth, kHeight));
        EXPECT_FALSE(writer.Write(Picture(100, 0), 10, 10));
        EXPECT_NE(writer.Error().find("changed size"), std::string::npos) << writer.Error();
    }
    {
        const std::string path = folder / "empty.gif";
        GifWriter writer;
        ASSERT_TRUE(writer.Open(path));
        EXPECT_FALSE(writer.Close());
        EXPECT_FALSE(writer.Error().empty());
        EXPECT_FALSE(fs::exists(path));
    }
}

TEST(GifWriter, ReportsAFullDisk) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    GifWriter writer;
    ASSERT_TRUE(writer.Open("/dev/full"));
    bool failed = false;
    for (std::uint32_t i = 0; i < 4 && !failed; ++i) failed = !writer.Write(PhotoFrame(i), kWidth, kHeight);
    EXPECT_FALSE(writer.Close());
    EXPECT_NE(writer.Error().find("/dev/full"), std::string::npos) << writer.Error();
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST(ClipRecorder, RecordsEveryFrameOnItsWorker) {
    TempFolder folder;
    const std::string path = folder / "clip.gif";
    const auto frames = FlatFrames();
    ClipRecorder recorder;
    EXPECT_FALSE(recorder.Stop()) << "nothing was recording";
    EXPECT_FALSE(recorder.AddFrame(frames[0], kWidth, kHeight));
    ASSERT_TRUE(recorder.Start(path)) << recorder.Error();
    EXPECT_TRUE(recorder.IsRecording());
    for (const auto& frame : frames) EXPECT_TRUE(recorder.AddFrame(frame, kWidth, kHeight));
    EXPECT_EQ(recorder.FrameCount(), static_cast<int>(frames.size()));
    ASSERT_TRUE(recorder.Stop()) << recorder.Error();
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_FALSE(recorder.IsFinishing());
    EXPECT_TRUE(recorder.Error().empty());
    const DecodedClip clip = Decode(path);
    ASSERT_TRUE(clip.ok) << clip.error;
    ASSERT_EQ(clip.frames.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(clip.frames[i], frames[i]) << "frame " << i;

    // A second clip from the same recorder, and one finished by the recorder going away.
    const std::string second = folder / "second.gif";
    {
        ClipRecorder scoped;
        ASSERT_TRUE(scoped.Start(second));
        for (int i = 0; i < 3; ++i) scoped.AddFrame(frames[static_cast<std::size_t>(i)], kWidth, kHeight);
    }
    EXPECT_EQ(Decode(second).frames.size(), 3u);
    ASSERT_TRUE(recorder.Start(second)) << recorder.Error();
    recorder.AddFrame(frames[0], kWidth, kHeight);
    ASSERT_TRUE(recorder.Stop());
    EXPECT_EQ(Decode(second).frames.size(), 1u);

    // Starting again while recording finishes the clip in progress first.
    const std::string third = folder / "third.gif";
    ASSERT_TRUE(recorder.Start(second));
    recorder.AddFrame(frames[0], kWidth, kHeight);
    recorder.AddFrame(frames[1], kWidth, kHeight);
    ASSERT_TRUE(recorder.Start(third)) << recorder.Error();
    EXPECT_EQ(recorder.FrameCount(), 0);
    EXPECT_EQ(Decode(second).frames.size(), 2u);
    recorder.AddFrame(frames[2], kWidth, kHeight);
    ASSERT_TRUE(recorder.Stop());
    EXPECT_EQ(Decode(third).frames.size(), 1u);
}

TEST(ClipRecorder, EndsByItselfAfterThirtySeconds) {
    TempFolder folder;
    const std::string path = folder / "long.gif";
    // The test feeds frames faster than the game would; the worker may lag as far as it likes.
    // Small pictures: the count is the point, and the ThreadSanitizer build runs this too.
    constexpr int kSide = 48;
    ClipRecorder recorder(ClipRecorder::kMaxFrames);
    ASSERT_TRUE(recorder.Start(path));
    Picture frame(static_cast<std::size_t>(kSide * kSide), 0x202020);
    int accepted = 0;
    for (int i = 0; i < ClipRecorder::kMaxFrames + 10; ++i) {
        frame[static_cast<std::size_t>((i * 7) % (kSide * kSide))] = (static_cast<std::uint32_t>(i) * 0x010203u) & 0xFFFFFFu;
        if (!recorder.AddFrame(frame, kSide, kSide)) break;
        ++accepted;
    }
    EXPECT_EQ(accepted, ClipRecorder::kMaxFrames - 1) << "the 1500th frame is the last and ends the clip";
    EXPECT_EQ(recorder.FrameCount(), ClipRecorder::kMaxFrames);
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_FALSE(recorder.AddFrame(frame, kSide, kSide));
    EXPECT_EQ(recorder.FrameCount(), ClipRecorder::kMaxFrames);
    ASSERT_TRUE(recorder.Stop()) << recorder.Error();
    EXPECT_TRUE(recorder.Error().empty()) << recorder.Error();
    const DecodedClip clip = Decode(path);
    ASSERT_TRUE(clip.ok) << clip.error;
    EXPECT_EQ(clip.frames.size(), static_cast<std::size_t>(ClipRecorder::kMaxFrames));
    EXPECT_EQ(clip.frames.back(), frame);
}

TEST(ClipRecorder, EndsEarlyWithAWholeClip) {
    TempFolder folder;
    const Picture small(16u * 12u, 0x808080);
    const Picture large(static_cast<std::size_t>(kWidth * kHeight), 0x808080);
    {
        SCOPED_TRACE("the picture changes size");
        ClipRecorder recorder;
        ASSERT_TRUE(recorder.Start(folder / "resized.gif"));
        EXPECT_TRUE(recorder.AddFrame(large, kWidth, kHeight));
        EXPECT_TRUE(recorder.AddFrame(large, kWidth, kHeight));
        EXPECT_FALSE(recorder.AddFrame(small, 16, 12));
        EXPECT_FALSE(recorder.IsRecording());
        EXPECT_TRUE(recorder.Stop()) << recorder.Error();
        EXPECT_NE(recorder.Error().find("size"), std::string::npos) << recorder.Error();
        EXPECT_EQ(Decode(folder / "resized.gif").frames.size(), 2u);
    }
    {
        SCOPED_TRACE("the encoder falls behind");
        ClipRecorder recorder(2);
        ASSERT_TRUE(recorder.Start(folder / "lagging.gif"));
        std::vector<Picture> photos;
        for (std::uint32_t i = 0; i < 4; ++i) photos.push_back(PhotoFrame(i));
        int added = 0;
        while (added < ClipRecorder::kMaxFrames && recorder.AddFrame(photos[static_cast<std::size_t>(added) % 4], kWidth, kHeight))
            ++added;
        EXPECT_LT(added, ClipRecorder::kMaxFrames - 1);
        EXPECT_TRUE(recorder.Stop()) << recorder.Error();
        EXPECT_NE(recorder.Error().find("could not encode"), std::string::npos) << recorder.Error();
        EXPECT_EQ(Decode(folder / "lagging.gif").frames.size(), static_cast<std::size_t>(recorder.FrameCount()));
    }
}

TEST(ClipRecorder, ReportsFilesItCannotWrite) {
    TempFolder folder;
    ClipRecorder recorder;
    EXPECT_FALSE(recorder.Start(folder / "missing/clip.gif"));
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_NE(recorder.Error().find("missing/clip.gif"), std::string::npos) << recorder.Error();
    EXPECT_FALSE(recorder.AddFrame(PhotoFrame(0), kWidth, kHeight));

    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    ASSERT_TRUE(recorder.Start("/dev/full"));
    EXPECT_TRUE(recorder.Error().empty());
    for (std::uint32_t i = 0; i < 8 && recorder.AddFrame(PhotoFrame(i), kWidth, kHeight); ++i) {
    }
    EXPECT_FALSE(recorder.Stop());
    EXPECT_NE(recorder.Error().find("/dev/full"), std::string::npos) << recorder.Error();
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST(ClipRecorder, ThirtySecondsOfTheGameStayUnderTenMegabytes) {
    TempFolder folder;
    const std::string path = folder / "demo.gif";
    SDL_Init(0);
    TMainOptions options;
    options.headless = true;
    options.seed = 1;
    options.demo = true;
    TMainForm form(options);
    TDemoPilot pilot;
    form.BeforeFrame = [&](TMainForm& f) { pilot.Steer(f.MainMode(), f.Script()); };

    // The first frame makes the game; the picture comes with the first present after it.
    for (int i = 0; i < 10 && form.Draw().PresentedPicture().empty(); ++i) ASSERT_TRUE(form.RunHeadlessFrame());
    // Under ThreadSanitizer the game runs some twenty times slower: 5 s of it show the threads at work.
    const int frames = kThreadSanitizer ? 250 : ClipRecorder::kMaxFrames;
    ClipRecorder recorder(ClipRecorder::kMaxFrames);
    ASSERT_TRUE(recorder.Start(path));
    std::vector<Picture> shown;
    for (int i = 0; i < frames; ++i) {
        ASSERT_TRUE(form.RunHeadlessFrame()) << form.FrameError();
        const Picture& picture = form.Draw().PresentedPicture();
        ASSERT_EQ(picture.size(), static_cast<std::size_t>(kWidth * kHeight));
        EXPECT_EQ(recorder.AddFrame(picture, kWidth, kHeight), i + 1 < ClipRecorder::kMaxFrames);
        if (i % 50 == 49) shown.push_back(picture);
    }
    ASSERT_TRUE(recorder.Stop()) << recorder.Error();
    const auto size = fs::file_size(path);
    std::cout << frames / 50 << " s clip of the demo: " << size << " bytes\n";
    RecordProperty("clipBytes", std::to_string(size));
    EXPECT_LT(size, 10u * 1000u * 1000u);

    const DecodedClip clip = Decode(path);
    ASSERT_TRUE(clip.ok) << clip.error;
    ASSERT_EQ(clip.frames.size(), static_cast<std::size_t>(frames));
    for (std::size_t s = 0; s < shown.size(); ++s) {
        const Difference d = Compare(clip.frames[s * 50 + 49], shown[s]);
        EXPECT_LT(d.mean, 1.0) << "second " << s + 1;
    }
}

}  // namespace
