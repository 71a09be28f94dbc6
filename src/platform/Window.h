#pragma once
// The game's one window. It shows the draw device's back buffer at the largest whole-number scale
// that fits its client area, centred on black and never blurred, and draws the shell's signs (pause,
// volume, messages) over that picture without touching the back buffer.
//
// Two ways to the screen, chosen by platform::ChooseRenderer before the window is made:
//  - software (SoftwareEnlarger): the picture is enlarged by whole numbers straight into the window's
//    surface and only the rows that changed are pushed; the black around it is drawn only when the
//    window's size changes;
//  - accelerated (TextureEnlarger): one texture upload a frame, the GPU enlarges it.
// The signs are the SignOverlay's; the window lays the picture out and reads it back.
// Either way a repaint reuses the last picture; it is enlarged again only when the size changed.
#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/RendererChoice.h"
#include "platform/SignOverlay.h"
#include "platform/SoftwareEnlarger.h"
#include "platform/TextureEnlarger.h"

namespace platform {

class Window {
public:
    // The desktop entry's id: X11 WM_CLASS and the Wayland app id.
    static constexpr const char* kApplicationId = "io.github.pelloro.Pelloro";

    // Before SDL_Init(SDL_INIT_VIDEO): the window class and application name SDL reads at start-up
    // (values already in the environment are kept).
    static void PrepareVideo();

    // Opens the window, resizable and maximisable, with the game's icon, allowing high DPI.
    // `scale` 0: the largest whole scale whose window, decorations included, fits the display's
    // usable area (at least 1). A windowed `scale` larger than what fits that area is refused: null,
    // with *error one line naming the largest scale that fits. In full screen any scale is taken (it
    // only sets the size the window returns to). Null with *error also when SDL refuses. Video must be up.
    static std::unique_ptr<Window> Create(const std::string& title, int width, int height, int scale,
                                          bool fullScreen, std::string* error);
    // The largest whole scale of a width × height picture whose window fits the usable area of the
    // first display, counting the decorations last seen on a window of ours (none before the first);
    // at least 1. Video must be up.
    static int LargestScale(int width, int height);

    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Shows the back buffer (not kept: the caller may draw on at once) with the current signs.
    void Present(const SDL_Surface* backBuffer);
    // Shows the last picture again with the current signs: after a sign changes while no frames run,
    // and on expose or resize. Black before the first Present.
    void Repaint();
    // Sets the sign at that place; "" removes it. Shown from the next Present or Repaint.
    void SetSign(SignPlace place, const std::string& utf8Text) { overlay.Set(place, utf8Text); }
    const std::string& Sign(SignPlace place) const { return overlay.Text(place); }

    void ToggleFullScreen();
    bool IsFullScreen() const;
    std::uint32_t Id() const;
    SDL_Window* Handle() const { return window.get(); }
    std::uint32_t PixelFormat() const;  // SDL pixel format of the window
    RenderPath Path() const { return renderer ? RenderPath::kAccelerated : RenderPath::kSoftware; }

    // The picture Present was last handed, as 0xRRGGBB row by row in its own size, read back from
    // what the window draws (one sample at the centre of each enlarged pixel), without the signs;
    // false before any Present.
    bool ReadBack(std::vector<std::uint32_t>& picture, int& width, int& height) const;
    // The whole client area as shown, signs included, as 0xRRGGBB in output pixels.
    bool ReadBackScreen(std::vector<std::uint32_t>& pixels, int& width, int& height) const;

    // Where the picture went last time, in output pixels, and its whole-number scale.
    SDL_Rect LastDestination() const { return lastDestination; }
    int LastScale() const { return lastScale; }
    // Where each sign went last time (empty when none), in output pixels.
    SDL_Rect SignRect(SignPlace place) const { return overlay.Rect(place); }
    // Pictures enlarged so far (software) or uploaded (accelerated): repaints must not add to it.
    std::int64_t PictureUpdates() const { return pictureUpdates; }

private:
    Window() = default;
    bool KeepPicture(const SDL_Surface* backBuffer);
    bool OutputSize(int& width, int& height) const;
    void Layout(int outWidth, int outHeight);
    void PlaceSigns();
    void DrawSoftware(bool pictureChanged);
    void DrawAccelerated(bool withSigns);

    struct DestroyWindow {
        void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
    };
    struct DestroyRenderer {
        void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
    };
    // Declared first so that they go last: the enlarger's and the signs' textures belong to the renderer.
    std::unique_ptr<SDL_Window, DestroyWindow> window;
    std::unique_ptr<SDL_Renderer, DestroyRenderer> renderer;  // null on the software path
    TextureEnlarger textureEnlarger;   // accelerated path
    SoftwareEnlarger softwareEnlarger;  // software path
    int pictureWidth = 0, pictureHeight = 0;
    std::uint32_t pictureFormat = 0;
    bool havePicture = false;

    // The software path's surface as last drawn, to tell a new size from an unchanged one.
    const SDL_Surface* drawnSurface = nullptr;
    const void* drawnPixels = nullptr;
    int drawnWidth = 0, drawnHeight = 0;
    bool enlarged = false;  // the window surface holds the enlarged picture for the current layout

    SDL_Rect lastDestination{0, 0, 0, 0};
    int lastScale = 0;
    int signUnit = 1;
    SignOverlay overlay;
    std::int64_t pictureUpdates = 0;
};

}  // namespace platform
