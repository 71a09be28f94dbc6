#include "platform/GifWriter.h"

#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/System.h"

namespace platform {

namespace {

constexpr std::uint32_t kNoColour = 0xFFFFFFFFu;  // never a 0xRRGGBB value

// The distinct colours of a frame while they fit a palette: an open-addressed table of 512 slots.
class ColourTable {
public:
    explicit ColourTable(int limit) : limit(limit) { std::fill(std::begin(keys), std::end(keys), kNoColour); }
    // The colour's palette index; -1 when it would be colour number limit + 1.
    int IndexOf(std::uint32_t colour) {
        std::uint32_t slot = (colour * 2654435761u) >> 23;
        for (;;) {
            if (keys[slot] == colour) return values[slot];
            if (keys[slot] == kNoColour) break;
            slot = (slot + 1) & 511u;
        }
        if (count == limit) return -1;
        keys[slot] = colour;
        values[slot] = static_cast<std::uint8_t>(count);
        colours[count] = colour;
        return count++;
    }
    int Count() const { return count; }
    std::uint32_t Colour(int i) const { return colours[i]; }

private:
    std::uint32_t keys[512];
    std::uint8_t values[512] = {};
    std::uint32_t colours[256] = {};
    int count = 0;
    int limit;
};

std::string GifError(int code) {
    const char* text = GifErrorString(code);
    return text ? text : "unknown giflib error " + std::to_string(code);
}

}  // namespace

GifWriter::GifWriter() = default;

GifWriter::~GifWriter() {
    if (gif) Close();
}

bool GifWriter::Fail(const std::string& message) {
    if (error.empty()) error = message;
    return false;
}

bool GifWriter::Open(const std::string& target) {
    if (gif) Close();
    path = target;
    error.clear();
    frames = 0;
    quantisedFrames = 0;
    width = height = 0;
    // Created as any file the user saves; giflib's own open would make it private.
    const int fd = CreateForWriting(target);
    if (fd < 0)
        return Fail("Cannot create the clip " + target + " (" + std::strerror(errno) +
                    "); check that the folder exists and is writable.");
    int code = 0;
    gif = EGifOpenFileHandle(fd, &code);
    if (!gif) {
        close(fd);
        return Fail("Cannot start the clip " + target + " (" + GifError(code) + "); close other programs and try again.");
    }
    return true;
}

bool GifWriter::WriteHeader(int w, int h) {
    width = w;
    height = h;
    current.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    previous = current;
    EGifSetGifVersion(gif, true);
    // No global palette: every frame brings the one it needs.
    if (EGifPutScreenDesc(gif, w, h, 8, 0, nullptr) == GIF_ERROR) return false;
    static const unsigned char kLoopApplication[] = "NETSCAPE2.0";
    static const unsigned char kLoopForever[] = {1, 0, 0};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) != GIF_ERROR &&
           EGifPutExtensionBlock(gif, 11, kLoopApplication) != GIF_ERROR &&
           EGifPutExtensionBlock(gif, 3, kLoopForever) != GIF_ERROR && EGifPutExtensionTrailer(gif) != GIF_ERROR;
}

bool GifWriter::Write(const std::vector<std::uint32_t>& rgb, int w, int h) {
    if (!gif) return Fail(error.empty() ? "No clip is open; start one before adding frames." : error);
    if (!error.empty()) return false;
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide ||
        rgb.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h))
        return Fail("Cannot add a " + std::to_string(w) + " x " + std::to_string(h) + " frame of " +
                    std::to_string(rgb.size()) + " pixels to the clip; give whole pictures of at most " +
                    std::to_string(kMaxSide) + " pixels a side.");
    const bool first = frames == 0;
    if (first) {
        if (!WriteHeader(w, h)) return Fail("Cannot write the clip " + path + " (" + GifError(gif->Error) + "); free some disk space and try again.");
    } else if (w != width || h != height) {
        return Fail("The picture changed size from " + std::to_string(width) + " x " + std::to_string(height) + " to " +
                    std::to_string(w) + " x " + std::to_string(h) + " during the clip; record it again.");
    }
    for (std::size_t i = 0; i < rgb.size(); ++i) current[i] = rgb[i] & 0xFFFFFFu;

    // The rectangle that changed; a frame like the one before is one transparent pixel.
    int left = 0, top = 0, right = w - 1, bottom = h - 1;
    if (!first) {
        const auto rowDiffers = [&](int y) {
            const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
            return !std::equal(current.begin() + static_cast<std::ptrdiff_t>(at),
                               current.begin() + static_cast<std::ptrdiff_t>(at + static_cast<std::size_t>(w)),
                               previous.begin() + static_cast<std::ptrdiff_t>(at));
        };
        while (top < h && !rowDiffers(top)) ++top;
        if (top == h) {
            left = top = right = bottom = 0;
        } else {
            while (!rowDiffers(bottom)) --bottom;
            left = w;
            right = -1;
            for (int y = top; y <= bottom; ++y) {
                const std::uint32_t* now = current.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
                const std::uint32_t* before = previous.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
                int x = 0;
                while (x < left && now[x] == before[x]) ++x;
                left = std::min(left, x);
                x = w - 1;
                while (x > right && now[x] == before[x]) --x;
                right = std::max(right, x);
            }
        }
    }
    if (!WriteFrame(left, top, right - left + 1, bottom - top + 1, !first))
        return Fail(error.empty() ? "Cannot write the clip " + path + " (" + GifError(gif->Error) +
                                        "); free some disk space and try again."
                                  : error);
    ++frames;
    current.swap(previous);
    return true;
}

bool GifWriter::WriteFrame(int left, int top, int w, int h, bool keepUnchanged) {
    indices.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    // Exact colours when they fit: the game's pictures are drawn from small palettes.
    bool anyUnchanged = false;
    if (keepUnchanged) {
        for (int y = 0; y < h && !anyUnchanged; ++y) {
            const std::size_t at = static_cast<std::size_t>(top + y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(left);
            for (int x = 0; x < w; ++x)
                if (current[at + static_cast<std::size_t>(x)] == previous[at + static_cast<std::size_t>(x)]) {
                    anyUnchanged = true;
                    break;
                }
        }
    }
    ColourTable table(anyUnchanged ? 255 : 256);
    bool exact = true;
    for (int y = 0; y < h && exact; ++y) {
        const std::size_t at = static_cast<std::size_t>(top + y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(left);
        std::uint8_t* out = indices.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
        std::uint32_t lastColour = kNoColour;
        int lastIndex = 0;
        for (int x = 0; x < w; ++x) {
            const std::uint32_t colour = current[at + static_cast<std::size_t>(x)];
            if (anyUnchanged && colour == previous[at + static_cast<std::size_t>(x)]) {
                out[x] = 255;  // the transparent index, renumbered below
                continue;
            }
            if (colour != lastColour) {
                lastIndex = table.IndexOf(colour);
                lastColour = colour;
                if (lastIndex < 0) {
                    exact = false;
                    break;
                }
            }
            out[x] = static_cast<std::uint8_t>(lastIndex);
        }
    }
    if (exact) {
        paletteSize = table.Count();
        for (int i = 0; i < paletteSize; ++i) palette[i] = table.Colour(i);
        transparentIndex = -1;
        if (anyUnchanged) {
            transparentIndex = paletteSize;
            palette[paletteSize++] = 0;
            if (transparentIndex != 255)
                for (std::uint8_t& index : indices)
                    if (index == 255) index = static_cast<std::uint8_t>(transparentIndex);
        }
    } else {
        ++quantisedFrames;
        // Transparency could not be kept beside the quantised colours: every pixel of the rectangle then.
        if (!Quantise(left, top, w, h, anyUnchanged) && (!error.empty() || !Quantise(left, top, w, h, false))) return false;
    }

    int mapSize = 2;
    while (mapSize < paletteSize) mapSize *= 2;
    GifColorType colours[256] = {};
    for (int i = 0; i < paletteSize; ++i) {
        colours[i].Red = static_cast<GifByteType>(palette[i] >> 16);
        colours[i].Green = static_cast<GifByteType>(palette[i] >> 8);
        colours[i].Blue = static_cast<GifByteType>(palette[i]);
    }
    ColorMapObject* map = GifMakeMapObject(mapSize, colours);
    if (!map) {
        error = "Cannot make a palette for the clip (out of memory); close other programs and try again.";
        return false;
    }
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = kFrameDelay;
    control.TransparentColor = transparentIndex < 0 ? NO_TRANSPARENT_COLOR : transparentIndex;
    GifByteType extension[4];
    const std::size_t extensionSize = EGifGCBToExtension(&control, extension);
    bool ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(extensionSize), extension) != GIF_ERROR &&
              EGifPutImageDesc(gif, left, top, w, h, false, map) != GIF_ERROR;
    GifFreeMapObject(map);
    for (int y = 0; ok && y < h; ++y)
        ok = EGifPutLine(gif, indices.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w), w) != GIF_ERROR;
    return ok;
}

bool GifWriter::Quantise(int left, int top, int w, int h, bool keepUnchanged) {
    rgba.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    std::uint8_t* out = rgba.data();
    for (int y = 0; y < h; ++y) {
        const std::size_t at = static_cast<std::size_t>(top + y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(left);
        for (int x = 0; x < w; ++x, out += 4) {
            const std::uint32_t colour = current[at + static_cast<std::size_t>(x)];
            const bool unchanged = keepUnchanged && colour == previous[at + static_cast<std::size_t>(x)];
            out[0] = unchanged ? 0 : static_cast<std::uint8_t>(colour >> 16);
            out[1] = unchanged ? 0 : static_cast<std::uint8_t>(colour >> 8);
            out[2] = unchanged ? 0 : static_cast<std::uint8_t>(colour);
            out[3] = unchanged ? 0 : 255;
        }
    }
    if (!quantiser.Remap(rgba.data(), w, h, indices.data(), quantised)) {
        error = quantiser.Error();
        return false;
    }
    paletteSize = static_cast<int>(std::min<std::size_t>(quantised.size(), 256));
    transparentIndex = -1;
    for (int i = 0; i < paletteSize; ++i) {
        palette[i] = quantised[static_cast<std::size_t>(i)] & 0xFFFFFFu;
        if (keepUnchanged && (quantised[static_cast<std::size_t>(i)] >> 24) < 128 && transparentIndex < 0) transparentIndex = i;
    }
    if (!keepUnchanged) return true;
    if (transparentIndex < 0) return false;
    // Unchanged pixels must show through whatever the remap chose; a changed one must never vanish.
    const std::uint8_t* in = rgba.data();
    for (std::uint8_t& index : indices) {
        const bool unchanged = in[3] == 0;
        in += 4;
        if (unchanged)
            index = static_cast<std::uint8_t>(transparentIndex);
        else if (index == transparentIndex)
            return false;
    }
    return true;
}

bool GifWriter::Close() {
    if (!gif) return false;
    int code = 0;
    const bool closed = EGifCloseFile(gif, &code) != GIF_ERROR;
    gif = nullptr;
    if (!closed) Fail("Cannot finish the clip " + path + " (" + GifError(code) + "); free some disk space and try again.");
    if (frames == 0) Fail("The clip " + path + " got no frames and was not kept; record while the game runs.");
    const bool whole = closed && frames > 0 && error.empty();
    if (!whole) {
        std::error_code ignored;
        // A device given as the path (a test's /dev/full) is left alone.
        if (std::filesystem::is_regular_file(path, ignored)) std::filesystem::remove(path, ignored);
    }
    return whole;
}

}  // namespace platform
