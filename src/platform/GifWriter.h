#pragma once
// Animated GIFs of the game's pictures, frames in and a file out: one GIF frame per game frame,
// 2/100 s each (50 frames a second), looping. Each frame carries only the rectangle that changed since
// the one before, unchanged pixels transparent over it, with its own palette: exact when the changed
// pixels have few enough colours, else quantised (platform::Quantiser).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Quantiser.h"

struct GifFileType;

namespace platform {

// Writes the frames it is given into one GIF file, on the calling thread. Every call after a failure
// does nothing and returns false; Error() says what went wrong.
class GifWriter {
public:
    static constexpr int kFrameDelay = 2;  // 1/100 s: one game frame of 20 ms
    static constexpr int kMaxSide = 4096;  // pixels; more is refused

    GifWriter();
    ~GifWriter();  // closes an open file as Close would, dropping the result
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    // Creates (or truncates) the file.
    bool Open(const std::string& path);
    // Adds one frame, 0xRRGGBB row by row; every frame of a clip has the size of the first.
    bool Write(const std::vector<std::uint32_t>& rgb, int width, int height);
    // Ends the file. A clip without frames or with a failed write is removed, never left half-made.
    bool Close();

    bool IsOpen() const { return gif != nullptr; }
    int Frames() const { return frames; }
    // Frames whose colours went through the quantiser (the others kept their colours exactly).
    int QuantisedFrames() const { return quantisedFrames; }
    const std::string& Error() const { return error; }

private:
    bool Fail(const std::string& message);
    bool WriteHeader(int width, int height);
    bool WriteFrame(int left, int top, int width, int height, bool keepUnchanged);
    bool Quantise(int left, int top, int width, int height, bool keepUnchanged);

    GifFileType* gif = nullptr;
    Quantiser quantiser;
    std::string path;
    std::string error;
    int frames = 0;
    int quantisedFrames = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> current;
    std::vector<std::uint32_t> previous;
    // Scratch of the frame being written, kept to spare an allocation per frame.
    std::vector<std::uint8_t> indices;
    std::vector<std::uint8_t> rgba;
    std::vector<std::uint32_t> quantised;  // 0xAARRGGBB
    std::uint32_t palette[256] = {};
    int paletteSize = 0;
    int transparentIndex = -1;
};

}  // namespace platform
