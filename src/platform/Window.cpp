#include "platform/Window.h"

#include <algorithm>
#include <cstdlib>

#include "platform/Resources.h"
#include "platform/System.h"

namespace platform {

namespace {

constexpr int kMaxScale = 16;

struct Borders {
    int top = 0, left = 0, bottom = 0, right = 0;
};

// The decorations the window manager put around the last window of ours; none before the first.
Borders& LastBorders() {
    static Borders borders;
    return borders;
}

// The largest whole scale whose window with `borders` fits `area`; 0 when not even 1 does.
int FitScale(const SDL_Rect& area, const Borders& borders, int width, int height) {
    const int roomX = area.w - borders.left - borders.right;
    const int roomY = area.h - borders.top - borders.bottom;
    if (width <= 0 || height <= 0 || roomX < width || roomY < height) return 0;
    return std::min({roomX / width, roomY / height, kMaxScale});
}

bool UsableArea(SDL_Rect& area) {
    return SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDisplayUsableBounds(0, &area) == 0 && area.w > 0 && area.h > 0;
}

}  // namespace

void Window::PrepareVideo() {
    // SDL reads the class when its video starts; a class the user set stays.
    SetEnvironment("SDL_VIDEO_X11_WMCLASS", kApplicationId, false);
    SetEnvironment("SDL_VIDEO_WAYLAND_WMCLASS", kApplicationId, false);
    SDL_SetHint(SDL_HINT_APP_NAME, "Pelloro");
}

int Window::LargestScale(int width, int height) {
    SDL_Rect area{0, 0, 0, 0};
    if (!UsableArea(area)) return 1;
    return std::max(1, FitScale(area, LastBorders(), width, height));
}

std::unique_ptr<Window> Window::Create(const std::string& title, int width, int height, int scale, bool fullScreen,
                                       std::string* error, bool showAtFirstPicture) {
    auto fail = [&](const std::string& what) -> std::unique_ptr<Window> {
        if (error) *error = what;
        return nullptr;
    };
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return fail("SDL video is not initialised");
    width = std::clamp(width, 1, 4096);
    height = std::clamp(height, 1, 4096);
    scale = std::clamp(scale, 0, kMaxScale);

    SDL_Rect area{0, 0, 0, 0};
    const bool areaKnown = UsableArea(area);
    const int largest = areaKnown ? std::max(1, FitScale(area, LastBorders(), width, height)) : 1;
    if (scale > 0 && !fullScreen && areaKnown && scale > largest) {
        return fail("a window of scale " + std::to_string(scale) + " (" + std::to_string(width * scale) + " x " +
                    std::to_string(height * scale) + ") does not fit the display's usable " + std::to_string(area.w) +
                    " x " + std::to_string(area.h) + "; the largest scale that fits is " + std::to_string(largest));
    }
    const int initialScale = scale > 0 ? scale : largest;

    std::unique_ptr<Window> self(new Window());
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    if (fullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    self->window.reset(SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        width * initialScale, height * initialScale, flags));
    if (!self->window) return fail(std::string("SDL_CreateWindow: ") + SDL_GetError());
    SDL_SetWindowMinimumSize(self->window.get(), width, height);

    if (auto icon = FindResource("ICON", "PELLORO")) {
        if (SDL_RWops* rw = SDL_RWFromConstMem(icon->data(), static_cast<int>(icon->size()))) {
            if (SDL_Surface* image = SDL_LoadBMP_RW(rw, 1)) {
                SDL_SetWindowIcon(self->window.get(), image);
                SDL_FreeSurface(image);
            }
        }
    }

    if (CurrentRenderer().path == RenderPath::kAccelerated) {
        // Pixels stay square blocks when the GPU enlarges the picture.
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
        if (!CurrentRenderer().driver.empty()) SDL_SetHint(SDL_HINT_RENDER_DRIVER, CurrentRenderer().driver.c_str());
        self->renderer.reset(SDL_CreateRenderer(self->window.get(), -1, SDL_RENDERER_ACCELERATED));
        // Without one, the software path below serves.
    }
    if (!self->renderer) {
        // The window's own surface, not a texture of some renderer behind it.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    self->fitOnShow = scale == 0 && !fullScreen && areaKnown;
    self->fitArea = area;
    self->fitWidth = width;
    self->fitHeight = height;
    self->fitScale = initialScale;
    if (!showAtFirstPicture) {
        self->Show();
        self->Repaint();
    }
    return self;
}

void Window::Show() {
    if (shown || !window) return;
    shown = true;
    SDL_ShowWindow(window.get());
    Borders borders;
    if (SDL_GetWindowBordersSize(window.get(), &borders.top, &borders.left, &borders.bottom, &borders.right) == 0)
        LastBorders() = borders;
    if (fitOnShow) {
        const int fits = std::max(1, FitScale(fitArea, LastBorders(), fitWidth, fitHeight));
        if (fits != fitScale) {
            SDL_SetWindowSize(window.get(), fitWidth * fits, fitHeight * fits);
            SDL_SetWindowPosition(window.get(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        }
    }
}

void Window::Exposed() {
    // The software path sends only changed rows: after an expose nothing would be sent at all.
    Repaint();
}

Window::~Window() = default;

bool Window::OutputSize(int& width, int& height) const {
    width = height = 0;
    if (renderer) return SDL_GetRendererOutputSize(renderer.get(), &width, &height) == 0 && width > 0 && height > 0;
    SDL_Surface* surface = SDL_GetWindowSurface(window.get());
    if (!surface) return false;
    width = surface->w;
    height = surface->h;
    return width > 0 && height > 0;
}

void Window::Layout(int outWidth, int outHeight) {
    SDL_Rect dst{0, 0, outWidth, outHeight};
    int scale = 0;
    if (pictureWidth > 0 && pictureHeight > 0) {
        scale = std::min(outWidth / pictureWidth, outHeight / pictureHeight);
        if (scale >= 1) {
            dst.w = pictureWidth * scale;
            dst.h = pictureHeight * scale;
        } else if (static_cast<long long>(outWidth) * pictureHeight < static_cast<long long>(outHeight) * pictureWidth) {
            // Smaller than the picture: shrunk to fit, keeping its shape.
            dst.h = std::max(1, outWidth * pictureHeight / pictureWidth);
        } else {
            dst.w = std::max(1, outHeight * pictureWidth / pictureHeight);
        }
        dst.x = (outWidth - dst.w) / 2;
        dst.y = (outHeight - dst.h) / 2;
    }
    lastDestination = dst;
    lastScale = scale;
    signUnit = std::max(1, scale);
}

void Window::PlaceSigns() {
    int outWidth = 0, outHeight = 0;
    OutputSize(outWidth, outHeight);
    overlay.Place(lastDestination, signUnit, outWidth, outHeight);
}

bool Window::KeepPicture(const SDL_Surface* backBuffer) {
    const std::uint32_t format = backBuffer->format->format;
    const bool newShape = backBuffer->w != pictureWidth || backBuffer->h != pictureHeight || format != pictureFormat;
    const bool kept = renderer ? textureEnlarger.Keep(renderer.get(), backBuffer) : softwareEnlarger.Keep(backBuffer);
    if (!kept) {
        if (!(renderer ? textureEnlarger.HasPicture() : softwareEnlarger.HasPicture())) {
            havePicture = false;
            pictureWidth = pictureHeight = 0;
        }
        return false;
    }
    if (newShape) drawnSurface = nullptr;  // a picture of another size needs a new layout and new black around it
    pictureWidth = backBuffer->w;
    pictureHeight = backBuffer->h;
    pictureFormat = format;
    havePicture = true;
    ++pictureUpdates;
    return true;
}

void Window::Present(const SDL_Surface* backBuffer) {
    if (!window || !backBuffer || backBuffer->w <= 0 || backBuffer->h <= 0 || !backBuffer->pixels) return;
    if (!KeepPicture(backBuffer)) return;
    if (!shown) {
        Show();
        Repaint();  // the whole picture once the window is there; the expose that follows sends it again
        return;
    }
    if (renderer) {
        DrawAccelerated(true);
        SDL_RenderPresent(renderer.get());
    } else {
        DrawSoftware(true);
    }
}

void Window::Repaint() {
    if (!window) return;
    if (renderer) {
        DrawAccelerated(true);
        SDL_RenderPresent(renderer.get());
    } else {
        DrawSoftware(false);
    }
}

void Window::DrawAccelerated(bool withSigns) {
    int w = 0, h = 0;
    if (!OutputSize(w, h)) return;
    Layout(w, h);
    SDL_SetRenderDrawColor(renderer.get(), 0, 0, 0, 255);
    SDL_RenderClear(renderer.get());
    if (havePicture) textureEnlarger.Draw(renderer.get(), lastDestination);
    if (!withSigns) return;
    PlaceSigns();
    overlay.Draw(renderer.get());
}

void Window::DrawSoftware(bool pictureChanged) {
    SDL_Surface* surface = SDL_GetWindowSurface(window.get());
    if (!surface || surface->w <= 0 || surface->h <= 0) return;
    const bool mustLock = SDL_MUSTLOCK(surface);
    if (mustLock && SDL_LockSurface(surface) != 0) return;
    const bool resized = surface != drawnSurface || surface->pixels != drawnPixels || surface->w != drawnWidth ||
                         surface->h != drawnHeight;
    std::vector<SDL_Rect> pushed;
    if (resized) {
        // The black around the picture is drawn only here, when the size changes.
        Layout(surface->w, surface->h);
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
        drawnSurface = surface;
        drawnPixels = surface->pixels;
        drawnWidth = surface->w;
        drawnHeight = surface->h;
        enlarged = false;
        overlay.Forget();
    }
    if (havePicture && softwareEnlarger.HasPicture()) {
        if (!enlarged || pictureChanged) {
            if (enlarged && lastScale >= 1) {
                // Only the changed rows: the signs come off first, so that what stays is the picture.
                overlay.Lift(surface, pushed);
                softwareEnlarger.DrawChanged(surface, lastDestination, lastScale, pushed);
            } else {
                softwareEnlarger.DrawAll(surface, lastDestination, lastScale);
                // The enlarged picture covered whatever signs were on it.
                overlay.Forget();
                pushed.push_back(lastDestination);
            }
            enlarged = true;
        } else {
            overlay.Lift(surface, pushed);
        }
        PlaceSigns();
        overlay.Draw(surface, pushed);
    }
    if (mustLock) SDL_UnlockSurface(surface);
    // A repaint answers an expose too: the display server may have lost any part of the window.
    if (resized || !pictureChanged) {
        SDL_UpdateWindowSurface(window.get());
    } else if (!pushed.empty()) {
        SDL_UpdateWindowSurfaceRects(window.get(), pushed.data(), static_cast<int>(pushed.size()));
    }
}

bool Window::ReadBack(std::vector<std::uint32_t>& out, int& width, int& height) const {
    out.clear();
    width = height = 0;
    if (!window || !havePicture || pictureWidth <= 0 || pictureHeight <= 0) return false;
    auto* self = const_cast<Window*>(this);
    std::vector<std::uint32_t> shown;
    int outWidth = 0, outHeight = 0;

    if (renderer) {
        // Drawn again without the signs into the renderer's back buffer; the next present draws over it.
        self->DrawAccelerated(false);
        if (!OutputSize(outWidth, outHeight)) return false;
        shown.resize(static_cast<std::size_t>(outWidth) * outHeight);
        if (SDL_RenderReadPixels(renderer.get(), nullptr, SDL_PIXELFORMAT_RGB888, shown.data(), outWidth * 4) != 0) return false;
    } else {
        SDL_Surface* surface = SDL_GetWindowSurface(window.get());
        if (!surface) return false;
        if (surface != drawnSurface || surface->pixels != drawnPixels || surface->w != drawnWidth ||
            surface->h != drawnHeight || !enlarged) {
            self->DrawSoftware(false);
            surface = SDL_GetWindowSurface(window.get());
            if (!surface) return false;
        }
        outWidth = surface->w;
        outHeight = surface->h;
        shown.resize(static_cast<std::size_t>(outWidth) * outHeight);
        if (SDL_ConvertPixels(outWidth, outHeight, surface->format->format, surface->pixels, surface->pitch,
                              SDL_PIXELFORMAT_RGB888, shown.data(), outWidth * 4) != 0)
            return false;
        // Where a sign covers the picture, what it covers.
        if (!overlay.Uncover(surface->format->format, shown, outWidth)) return false;
    }
    const SDL_Rect dst = lastDestination;
    if (dst.w <= 0 || dst.h <= 0 || dst.x < 0 || dst.y < 0 || dst.x + dst.w > outWidth || dst.y + dst.h > outHeight) return false;
    out.resize(static_cast<std::size_t>(pictureWidth) * pictureHeight);
    for (int y = 0; y < pictureHeight; ++y) {
        const auto sy = dst.y + static_cast<int>((2ll * y + 1) * dst.h / (2ll * pictureHeight));
        for (int x = 0; x < pictureWidth; ++x) {
            const auto sx = dst.x + static_cast<int>((2ll * x + 1) * dst.w / (2ll * pictureWidth));
            out[static_cast<std::size_t>(y) * pictureWidth + x] = shown[static_cast<std::size_t>(sy) * outWidth + sx] & 0xFFFFFF;
        }
    }
    width = pictureWidth;
    height = pictureHeight;
    return true;
}

bool Window::ReadBackScreen(std::vector<std::uint32_t>& pixels, int& width, int& height) const {
    pixels.clear();
    width = height = 0;
    if (!window) return false;
    if (renderer) {
        const_cast<Window*>(this)->DrawAccelerated(true);
        if (!OutputSize(width, height)) return false;
        pixels.resize(static_cast<std::size_t>(width) * height);
        if (SDL_RenderReadPixels(renderer.get(), nullptr, SDL_PIXELFORMAT_RGB888, pixels.data(), width * 4) != 0) {
            pixels.clear();
            return false;
        }
    } else {
        SDL_Surface* surface = SDL_GetWindowSurface(window.get());
        if (!surface) return false;
        width = surface->w;
        height = surface->h;
        pixels.resize(static_cast<std::size_t>(width) * height);
        if (SDL_ConvertPixels(width, height, surface->format->format, surface->pixels, surface->pitch, SDL_PIXELFORMAT_RGB888,
                              pixels.data(), width * 4) != 0) {
            pixels.clear();
            return false;
        }
    }
    for (auto& p : pixels) p &= 0xFFFFFF;
    return true;
}

void Window::ToggleFullScreen() {
    if (!window) return;
    if (IsFullScreen()) {
        SDL_SetWindowFullscreen(window.get(), 0);
        // Leaving full screen restores the size from before maximising; the maximised state is ours to restore.
        if (maximisedBeforeFullScreen) SDL_MaximizeWindow(window.get());
        maximisedBeforeFullScreen = false;
    } else {
        maximisedBeforeFullScreen = (SDL_GetWindowFlags(window.get()) & SDL_WINDOW_MAXIMIZED) != 0;
        SDL_SetWindowFullscreen(window.get(), SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
}

bool Window::IsFullScreen() const {
    return window && (SDL_GetWindowFlags(window.get()) & SDL_WINDOW_FULLSCREEN) != 0;
}

std::uint32_t Window::Id() const { return window ? SDL_GetWindowID(window.get()) : 0; }

std::uint32_t Window::PixelFormat() const {
    if (!window) return SDL_PIXELFORMAT_UNKNOWN;
    if (!renderer) {
        if (SDL_Surface* surface = SDL_GetWindowSurface(window.get())) return surface->format->format;
    }
    return SDL_GetWindowPixelFormat(window.get());
}

}  // namespace platform
