#pragma once
// The game's one window: a fixed-size SDL window with a renderer that shows the draw device's back
// buffer, scaled nearest-neighbour, in the client area or centred on a black full screen.
#include <SDL2/SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class Window {
public:
    // Client area width*scale × height*scale, not resizable, centred, no maximise; a renderer without
    // vsync; `fullScreen` starts in desktop full screen. The video subsystem must be up.
    // Null with a message in *error when SDL refuses.
    static std::unique_ptr<Window> Create(const std::string& title, int width, int height, int scale,
                                          bool fullScreen, std::string* error);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Windowed: stretched over the whole client area. Full screen: the largest whole-number scale
    // that fits, centred on black (scaled down to fit, keeping its shape, if even 1 does not fit).
    void Present(const SDL_Surface* backBuffer);
    void ToggleFullScreen();
    bool IsFullScreen() const;
    std::uint32_t Id() const;
    SDL_Window* Handle() const { return window; }
    SDL_Renderer* Renderer() const { return renderer; }
    std::uint32_t PixelFormat() const;  // SDL pixel format of the window

    // The picture Present was last handed, as 0xRRGGBB row by row in its own size, read back from the
    // renderer's output (one sample at the centre of each enlarged pixel); false before any Present.
    bool ReadBack(std::vector<std::uint32_t>& picture, int& width, int& height) const;

    // Where Present put the picture last time, in renderer output pixels.
    SDL_Rect LastDestination() const { return lastDestination; }

private:
    Window() = default;

    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    std::uint32_t textureFormat = 0;
    SDL_Rect lastDestination{0, 0, 0, 0};
};

}  // namespace platform
