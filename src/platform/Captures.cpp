#include "platform/Captures.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/Screenshot.h"

namespace platform {

namespace {

void SetError(std::string* error, std::string message) {
    if (error) *error = std::move(message);
}

// SDL_image writes into memory so that every failure of the file itself (a full disk shows only when the
// last buffer is flushed at close) is caught here, where the library would let a close error pass.
struct Bytes {
    std::vector<std::uint8_t> data;
};

Sint64 SizeOf(SDL_RWops* ops) { return static_cast<Sint64>(static_cast<Bytes*>(ops->hidden.unknown.data1)->data.size()); }
Sint64 SeekIn(SDL_RWops*, Sint64, int) { return SDL_SetError("a PNG being made in memory cannot seek"); }
size_t ReadNothing(SDL_RWops*, void*, size_t, size_t) { return 0; }
size_t Append(SDL_RWops* ops, const void* from, size_t size, size_t count) {
    auto& data = static_cast<Bytes*>(ops->hidden.unknown.data1)->data;
    const auto* bytes = static_cast<const std::uint8_t*>(from);
    data.insert(data.end(), bytes, bytes + size * count);
    return count;
}
int CloseOps(SDL_RWops* ops) {
    SDL_FreeRW(ops);
    return 0;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& data, std::string* error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        SetError(error, "Cannot create " + path + " (" + std::strerror(errno) +
                            "); check that the folder exists and is writable.");
        return false;
    }
    bool ok = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    int savedErrno = errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok) return true;
    SetError(error, "Cannot write " + path + " (" + std::strerror(savedErrno) + "); free some disk space and try again.");
    std::error_code ignored;
    // A half-written PNG is of no use; a device given as the path (a test's /dev/full) is left alone.
    if (std::filesystem::is_regular_file(path, ignored)) std::filesystem::remove(path, ignored);
    return false;
}

}  // namespace

bool SavePng(const std::string& path, const std::vector<std::uint32_t>& rgb, int width, int height, int scale,
             std::string* error) {
    if (width <= 0 || height <= 0 || scale <= 0 || width > kMaxSavedSide / scale || height > kMaxSavedSide / scale) {
        SetError(error, "Cannot save a " + std::to_string(width) + " x " + std::to_string(height) + " picture at scale " +
                            std::to_string(scale) + "; sides and scale must be positive and at most " +
                            std::to_string(kMaxSavedSide) + " pixels after scaling.");
        return false;
    }
    if (rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        SetError(error, "Cannot save the picture: it holds " + std::to_string(rgb.size()) + " pixels, not " +
                            std::to_string(width) + " x " + std::to_string(height) + ".");
        return false;
    }
    const int outWidth = width * scale;
    const int outHeight = height * scale;
    std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)> surface(
        SDL_CreateRGBSurfaceWithFormat(0, outWidth, outHeight, 24, SDL_PIXELFORMAT_RGB24), SDL_FreeSurface);
    if (!surface) {
        SetError(error, std::string("Cannot make the picture to save (") + SDL_GetError() + "); close other programs and try again.");
        return false;
    }
    auto* pixels = static_cast<std::uint8_t*>(surface->pixels);
    for (int y = 0; y < outHeight; ++y) {
        std::uint8_t* out = pixels + static_cast<std::ptrdiff_t>(y) * surface->pitch;
        const std::uint32_t* in = rgb.data() + static_cast<std::size_t>(y / scale) * static_cast<std::size_t>(width);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t r = static_cast<std::uint8_t>(in[x] >> 16);
            const std::uint8_t g = static_cast<std::uint8_t>(in[x] >> 8);
            const std::uint8_t b = static_cast<std::uint8_t>(in[x]);
            for (int k = 0; k < scale; ++k) {
                *out++ = r;
                *out++ = g;
                *out++ = b;
            }
        }
    }
    Bytes png;
    SDL_RWops* ops = SDL_AllocRW();
    if (!ops) {
        SetError(error, std::string("Cannot make the PNG (") + SDL_GetError() + "); close other programs and try again.");
        return false;
    }
    ops->size = SizeOf;
    ops->seek = SeekIn;
    ops->read = ReadNothing;
    ops->write = Append;
    ops->close = CloseOps;
    ops->hidden.unknown.data1 = &png;
    if (IMG_SavePNG_RW(surface.get(), ops, 1) != 0) {
        SetError(error, std::string("Cannot make the PNG (") + IMG_GetError() + "); close other programs and try again.");
        return false;
    }
    return WriteFile(path, png.data, error);
}

std::string CapturesFolder() {
    const std::string pictures = PicturesFolder();
    const std::string own = (std::filesystem::path(pictures) / "Pelloro").string();
    std::error_code failed;
    std::filesystem::create_directories(own, failed);
    return std::filesystem::is_directory(own, failed) ? own : pictures;
}

std::string ShownPath(const std::string& path) {
    const char* home = std::getenv("HOME");
    const std::string homeFolder = home && *home ? std::string(home) : std::string();
    if (!homeFolder.empty() && homeFolder != "/" && path.size() > homeFolder.size() &&
        path.compare(0, homeFolder.size(), homeFolder) == 0 && path[homeFolder.size()] == '/') {
        return "~" + path.substr(homeFolder.size());
    }
    return path;
}

}  // namespace platform
