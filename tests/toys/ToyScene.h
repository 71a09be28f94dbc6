#pragma once
// A headless 320 x 240 draw device and a kernel over it, with bitmap sheets whose cells can be told
// apart by colour, for the toy and toy box tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "data/Texdb.h"
#include "data/Toybox.h"
#include "toys/Toyclasses.h"
#include "devices/Vekdraw.h"
#include "kernel/Kernel.h"
#include "support/TestMedia.h"

namespace toytest {

// Never black (black is transparent), different for every cell up to 255.
inline std::uint32_t CellColour(int cell) {
    const auto n = static_cast<std::uint32_t>(cell + 1);
    return ((n * 37u) & 0xFFu) << 16 | ((n * 91u) & 0xFFu) << 8 | 0x40u;
}

inline std::vector<std::uint32_t> SheetPalette(int cells) {
    std::vector<std::uint32_t> palette{0x000000};
    for (int c = 0; c < cells; ++c) palette.push_back(CellColour(c));
    return palette;
}

// Every cell transparent except its top left pixel, in CellColour(cell): a drawn cell shows as one
// marker at exactly its top left corner.
inline std::vector<std::uint8_t> MarkerSheet(int columns, int rows, int cellWidth, int cellHeight) {
    const int width = columns * cellWidth;
    const int height = rows * cellHeight;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height), 0);
    for (int c = 0; c < columns * rows; ++c) {
        const int left = (c % columns) * cellWidth;
        const int top = (c / columns) * cellHeight;
        pixels[static_cast<std::size_t>(top * width + left)] = static_cast<std::uint8_t>(c + 1);
    }
    return testmedia::MakeBmp8(width, height, SheetPalette(columns * rows), pixels);
}

// Every cell filled with its colour.
inline std::vector<std::uint8_t> SolidSheet(int columns, int rows, int cellWidth, int cellHeight) {
    const int width = columns * cellWidth;
    const int height = rows * cellHeight;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height), 0);
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            const int c = (py / cellHeight) * columns + px / cellWidth;
            pixels[static_cast<std::size_t>(py * width + px)] = static_cast<std::uint8_t>(c + 1);
        }
    }
    return testmedia::MakeBmp8(width, height, SheetPalette(columns * rows), pixels);
}

struct Marker {
    int x;
    int y;
    std::uint32_t rgb;
    bool operator==(const Marker&) const = default;
    bool operator<(const Marker& other) const {
        return std::tie(x, y, rgb) < std::tie(other.x, other.y, other.rgb);
    }
};

inline void PrintTo(const Marker& m, std::ostream* os) {
    *os << "(" << m.x << "," << m.y << " #" << std::hex << m.rgb << std::dec << ")";
}

// Every pixel of the back buffer that is not black, sorted.
inline std::vector<Marker> Markers(const TVekDraw& draw) {
    std::vector<Marker> found;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const std::uint32_t rgb = draw.RgbAt(x, y);
            if (rgb != 0) found.push_back({x, y, rgb});
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

inline std::vector<Marker> Sorted(std::vector<Marker> markers) {
    std::sort(markers.begin(), markers.end());
    return markers;
}

// The markers of these cells of a marker sheet drawn with their top left at these points.
inline std::vector<Marker> CellsAt(std::initializer_list<std::tuple<int, int, int>> cells) {
    std::vector<Marker> markers;
    for (const auto& [x, y, cell] : cells) markers.push_back({x, y, CellColour(cell)});
    return Sorted(markers);
}

inline testmedia::Resource Bitmap(const std::string& name, std::vector<std::uint8_t> bytes) {
    return {"BITMAP", name, std::move(bytes)};
}

class ToyScene : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ready); }

    std::unique_ptr<TToyBox> Load(std::string_view text) { return TToyBox::FromText(&kernel, text, GameToyClasses()); }

    // A toy made from the first record of `text` outside the box's list, the way the box makes it.
    template <class T>
    std::unique_ptr<T> Make(TToyBox& box, std::string_view text) {
        TTexDb db = TTexDb::FromText(text);
        db.SelectBlock(0);
        db.ReadValue("class");
        return std::make_unique<T>(&box, db);
    }

    TVekDraw draw;
    // Ready before any member of a derived fixture loads a box.
    bool ready = draw.InitHeadless(TPixelFormat::kXrgb32, 320, 240);
    TKernel kernel{&draw, nullptr, nullptr, nullptr};
};

inline const std::string kRisu = "\x83\x8a\x83\x58";                 // リス
inline const std::string kHidariAruki = "\x8d\xb6\x95\xe0\x82\xab";  // 左歩き

// A scene with two images (a 4 × 4 sheet of 64-pixel cells and a strip of four 16-pixel ones) for frames
// and animes to draw from.
class FrameScene : public ToyScene {
protected:
    std::unique_ptr<TToyBox> LoadWith(const std::string& records) {
        return Load("{\nclass Command\nchdir Resource\n}\n"
                    "{\nclass Image\nname " + kRisu + "\nfileName risu\nsize 64 64\n}\n"
                    "{\nclass Image\nname small\nfileName small\nsize 16,16\n}\n" + records);
    }
    static std::string Frame(const std::string& name, const std::string& body) {
        return "{\nclass Frame\nname " + name + "\n" + body + "}\n";
    }

    testmedia::ScopedResources resources{{Bitmap("risu", toytest::MarkerSheet(4, 4, 64, 64)),
                                          Bitmap("small", toytest::MarkerSheet(4, 1, 16, 16))}};
};

}  // namespace toytest
