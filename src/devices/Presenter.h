#pragma once
// Where the draw device's finished frames go: a window that shows them, or a recorder that keeps them
// for tests and screenshots. Either one gives back the last picture it was handed.
#include <cstdint>
#include <memory>
#include <vector>

struct SDL_Surface;

namespace platform {
class Window;
}

class TPresenter {
public:
    virtual ~TPresenter() = default;
    // Shows the back buffer; it is not kept, so the caller may draw on at once.
    virtual void Present(const SDL_Surface* backBuffer) = 0;
    // The picture of the last Present as 0xRRGGBB, row by row, in the back buffer's size; empty before
    // the first Present or when it cannot be read back.
    virtual const std::vector<std::uint32_t>& Picture() const = 0;
    int PictureWidth() const { return pictureWidth; }
    int PictureHeight() const { return pictureHeight; }

protected:
    int pictureWidth = 0;
    int pictureHeight = 0;
};

// Keeps the raw pixels it is handed; they become 0xRRGGBB only when someone asks for them.
class THeadlessPresenter : public TPresenter {
public:
    void Present(const SDL_Surface* backBuffer) override;
    const std::vector<std::uint32_t>& Picture() const override;

private:
    std::vector<std::uint8_t> raw;
    int bytesPerPixel = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    mutable std::vector<std::uint32_t> decoded;
    mutable bool stale = false;
};

// Uploads to the window. Full screen, the back buffer is centred in a black 640 × 480 frame first.
// The picture is read back from what the window shows, only when asked for.
class TWindowPresenter : public TPresenter {
public:
    // `frameWidth` × `frameHeight` > 0: the full-screen frame, in the back buffer's SDL format, that the
    // back buffer is centred in; 0 × 0 shows the back buffer as it is.
    TWindowPresenter(platform::Window* window, int frameWidth, int frameHeight, std::uint32_t sdlFormat);
    ~TWindowPresenter() override;
    TWindowPresenter(const TWindowPresenter&) = delete;
    TWindowPresenter& operator=(const TWindowPresenter&) = delete;

    void Present(const SDL_Surface* backBuffer) override;
    const std::vector<std::uint32_t>& Picture() const override;
    bool IsReady() const { return window && (frameWidth <= 0 || frame); }

private:
    platform::Window* window;
    int frameWidth, frameHeight;
    SDL_Surface* frame = nullptr;
    int offsetX = 0, offsetY = 0;
    int framedWidth = 0, framedHeight = 0;  // the back buffer size the frame was last cleared for
    mutable std::vector<std::uint32_t> readBack;
    mutable bool stale = false;
};
