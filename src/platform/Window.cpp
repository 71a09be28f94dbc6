#include "platform/Window.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/Resources.h"

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

std::uint8_t* RowOf(SDL_Surface* s, int y) { return static_cast<std::uint8_t*>(s->pixels) + static_cast<std::ptrdiff_t>(y) * s->pitch; }
const std::uint8_t* RowOf(const SDL_Surface* s, int y) {
    return static_cast<const std::uint8_t*>(s->pixels) + static_cast<std::ptrdiff_t>(y) * s->pitch;
}

// One source row of `count` pixels of `Bytes` bytes each, every pixel repeated `scale` times.
template <int Bytes>
void WidenRow(std::uint8_t* out, const std::uint8_t* in, int count, int scale) {
    if (scale == 1) {
        std::memcpy(out, in, static_cast<std::size_t>(count) * Bytes);
        return;
    }
    if constexpr (Bytes == 4) {
        auto* o = reinterpret_cast<std::uint32_t*>(out);
        for (int x = 0; x < count; ++x) {
            std::uint32_t v;
            std::memcpy(&v, in + 4 * x, 4);
            for (int k = 0; k < scale; ++k) *o++ = v;
        }
    } else {
        for (int x = 0; x < count; ++x) {
            for (int k = 0; k < scale; ++k, out += Bytes) std::memcpy(out, in + Bytes * x, Bytes);
        }
    }
}

// Enlarges `src` by the whole number `scale` into `dst` at `at`: each row is widened once, in the
// destination's format, and the widened row is copied for the rows that repeat it.
void Enlarge(const SDL_Surface* src, SDL_Surface* dst, const SDL_Rect& at, int scale, int firstRow, int endRow,
             std::vector<std::uint8_t>& rowBuffer) {
    const int bytes = dst->format->BytesPerPixel;
    const bool sameFormat = src->format->format == dst->format->format;
    if (!sameFormat) rowBuffer.resize(static_cast<std::size_t>(src->w) * bytes);
    const std::size_t rowBytes = static_cast<std::size_t>(at.w) * bytes;
    for (int sy = std::max(firstRow, 0); sy < std::min(endRow, src->h); ++sy) {
        const std::uint8_t* in = RowOf(src, sy);
        if (!sameFormat) {
            if (SDL_ConvertPixels(src->w, 1, src->format->format, in, src->pitch, dst->format->format, rowBuffer.data(),
                                  src->w * bytes) != 0)
                return;
            in = rowBuffer.data();
        }
        std::uint8_t* out = RowOf(dst, at.y + sy * scale) + static_cast<std::ptrdiff_t>(at.x) * bytes;
        switch (bytes) {
            case 4: WidenRow<4>(out, in, src->w, scale); break;
            case 3: WidenRow<3>(out, in, src->w, scale); break;
            case 2: WidenRow<2>(out, in, src->w, scale); break;
            default: WidenRow<1>(out, in, src->w, scale); break;
        }
        for (int k = 1; k < scale; ++k) std::memcpy(out + static_cast<std::ptrdiff_t>(k) * dst->pitch, out, rowBytes);
    }
}

SDL_Rect Clip(const SDL_Rect& r, int width, int height) {
    const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
    const int x1 = std::min(r.x + r.w, width), y1 = std::min(r.y + r.h, height);
    return SDL_Rect{x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

void CopyRect(SDL_Surface* surface, const SDL_Rect& r, std::vector<std::uint8_t>& out) {
    const std::size_t rowBytes = static_cast<std::size_t>(r.w) * surface->format->BytesPerPixel;
    out.resize(rowBytes * r.h);
    for (int y = 0; y < r.h; ++y)
        std::memcpy(out.data() + rowBytes * y, RowOf(surface, r.y + y) + static_cast<std::ptrdiff_t>(r.x) * surface->format->BytesPerPixel, rowBytes);
}

void PasteRect(SDL_Surface* surface, const SDL_Rect& r, const std::vector<std::uint8_t>& in) {
    const std::size_t rowBytes = static_cast<std::size_t>(r.w) * surface->format->BytesPerPixel;
    if (in.size() < rowBytes * r.h) return;
    for (int y = 0; y < r.h; ++y)
        std::memcpy(RowOf(surface, r.y + y) + static_cast<std::ptrdiff_t>(r.x) * surface->format->BytesPerPixel, in.data() + rowBytes * y, rowBytes);
}

}  // namespace

void Window::PrepareVideo() {
    // SDL reads the class when its video starts; a class the user set stays.
    ::setenv("SDL_VIDEO_X11_WMCLASS", kApplicationId, 0);
    ::setenv("SDL_VIDEO_WAYLAND_WMCLASS", kApplicationId, 0);
    SDL_SetHint(SDL_HINT_APP_NAME, "Pelloro");
}

int Window::LargestScale(int width, int height) {
    SDL_Rect area{0, 0, 0, 0};
    if (!UsableArea(area)) return 1;
    return std::max(1, FitScale(area, LastBorders(), width, height));
}

std::unique_ptr<Window> Window::Create(const std::string& title, int width, int height, int scale, bool fullScreen,
                                       std::string* error) {
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
    self->window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width * initialScale,
                                    height * initialScale, flags);
    if (!self->window) return fail(std::string("SDL_CreateWindow: ") + SDL_GetError());
    SDL_SetWindowMinimumSize(self->window, width, height);

    if (auto icon = FindResource("ICON", "PELLORO")) {
        if (SDL_RWops* rw = SDL_RWFromConstMem(icon->data(), static_cast<int>(icon->size()))) {
            if (SDL_Surface* image = SDL_LoadBMP_RW(rw, 1)) {
                SDL_SetWindowIcon(self->window, image);
                SDL_FreeSurface(image);
            }
        }
    }

    if (CurrentRenderer().path == RenderPath::kAccelerated) {
        // Pixels stay square blocks when the GPU enlarges the picture.
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
        if (!CurrentRenderer().driver.empty()) SDL_SetHint(SDL_HINT_RENDER_DRIVER, CurrentRenderer().driver.c_str());
        self->renderer = SDL_CreateRenderer(self->window, -1, SDL_RENDERER_ACCELERATED);
        // Without one, the software path below serves.
    }
    if (!self->renderer) {
        // The window's own surface, not a texture of some renderer behind it.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    SDL_ShowWindow(self->window);

    Borders borders;
    if (SDL_GetWindowBordersSize(self->window, &borders.top, &borders.left, &borders.bottom, &borders.right) == 0)
        LastBorders() = borders;
    if (scale == 0 && !fullScreen && areaKnown) {
        const int fits = std::max(1, FitScale(area, LastBorders(), width, height));
        if (fits != initialScale) {
            SDL_SetWindowSize(self->window, width * fits, height * fits);
            SDL_SetWindowPosition(self->window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        }
    }
    self->Repaint();
    return self;
}

Window::~Window() {
    for (SignState& sign : signs) FreeSign(sign);
    if (picture) SDL_FreeSurface(picture);
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
}

void Window::FreeSign(SignState& sign) {
    if (sign.texture) SDL_DestroyTexture(sign.texture);
    if (sign.image) SDL_FreeSurface(sign.image);
    sign.texture = nullptr;
    sign.image = nullptr;
    sign.imageUnit = sign.imageMaxWidth = sign.imageMaxHeight = 0;
}

bool Window::OutputSize(int& width, int& height) const {
    width = height = 0;
    if (renderer) return SDL_GetRendererOutputSize(renderer, &width, &height) == 0 && width > 0 && height > 0;
    SDL_Surface* surface = SDL_GetWindowSurface(window);
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

void Window::SetSign(SignPlace place, const std::string& utf8Text) {
    SignState& sign = signs[Index(place)];
    if (sign.text == utf8Text) return;
    sign.text = utf8Text;
    FreeSign(sign);
}

void Window::PlaceSigns() {
    const SDL_Rect d = lastDestination;
    const int margin = 4 * signUnit;
    int outWidth = 0, outHeight = 0;
    OutputSize(outWidth, outHeight);
    for (std::size_t i = 0; i < signs.size(); ++i) {
        SignState& sign = signs[i];
        sign.rect = SDL_Rect{0, 0, 0, 0};
        if (sign.text.empty()) continue;
        const auto place = static_cast<SignPlace>(i);
        int maxWidth = d.w - 2 * margin, maxHeight = d.h - 2 * margin;
        if (place == SignPlace::kTopRight) maxWidth = d.w / 2, maxHeight = d.h / 4;
        if (place == SignPlace::kBottom) maxHeight = d.h / 3;
        if (!sign.image || sign.imageUnit != signUnit || sign.imageMaxWidth != maxWidth || sign.imageMaxHeight != maxHeight) {
            FreeSign(sign);
            sign.image = painter.Paint(place, sign.text, signUnit, maxWidth, maxHeight);
            sign.imageUnit = signUnit;
            sign.imageMaxWidth = maxWidth;
            sign.imageMaxHeight = maxHeight;
        }
        if (!sign.image) continue;
        const int w = sign.image->w, h = sign.image->h;
        SDL_Rect r{d.x + (d.w - w) / 2, d.y + (d.h - h) / 2, w, h};
        if (place == SignPlace::kTopRight) r.x = d.x + d.w - margin - w, r.y = d.y + margin;
        if (place == SignPlace::kBottom) r.y = d.y + d.h - margin - h;
        sign.rect = Clip(r, outWidth, outHeight);
        if (sign.rect.w < w || sign.rect.h < h) sign.rect = r;  // SDL clips the blit; keep the sign's own size
    }
}

bool Window::KeepPicture(const SDL_Surface* backBuffer) {
    const std::uint32_t format = backBuffer->format->format;
    const bool newShape = backBuffer->w != pictureWidth || backBuffer->h != pictureHeight || format != pictureFormat;
    if (renderer) {
        if (!texture || newShape) {
            if (texture) SDL_DestroyTexture(texture);
            texture = SDL_CreateTexture(renderer, format, SDL_TEXTUREACCESS_STREAMING, backBuffer->w, backBuffer->h);
            if (!texture) {
                havePicture = false;
                pictureWidth = pictureHeight = 0;
                return false;
            }
            SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
        }
        if (SDL_UpdateTexture(texture, nullptr, backBuffer->pixels, backBuffer->pitch) != 0) return false;
    } else {
        if (!picture || newShape) {
            if (picture) SDL_FreeSurface(picture);
            picture = SDL_CreateRGBSurfaceWithFormat(0, backBuffer->w, backBuffer->h, SDL_BITSPERPIXEL(format), format);
            if (!picture) {
                havePicture = false;
                pictureWidth = pictureHeight = 0;
                return false;
            }
            SDL_SetSurfaceBlendMode(picture, SDL_BLENDMODE_NONE);
            drawnSurface = nullptr;  // a picture of another size needs a new layout and new black around it
        }
        // Only the rows that changed are kept, enlarged and pushed: most of a frame is the frame before.
        const std::size_t rowBytes = static_cast<std::size_t>(backBuffer->w) * backBuffer->format->BytesPerPixel;
        changedBands.clear();
        for (int y = 0; y < backBuffer->h; ++y) {
            if (!newShape && std::memcmp(RowOf(picture, y), RowOf(backBuffer, y), rowBytes) == 0) continue;
            std::memcpy(RowOf(picture, y), RowOf(backBuffer, y), rowBytes);
            if (!changedBands.empty() && changedBands.back().second == y) {
                changedBands.back().second = y + 1;
            } else {
                changedBands.emplace_back(y, y + 1);
            }
        }
    }
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
    if (renderer) {
        DrawAccelerated(true);
        SDL_RenderPresent(renderer);
    } else {
        DrawSoftware(true);
    }
}

void Window::Repaint() {
    if (!window) return;
    if (renderer) {
        DrawAccelerated(true);
        SDL_RenderPresent(renderer);
    } else {
        DrawSoftware(false);
    }
}

void Window::DrawAccelerated(bool withSigns) {
    int w = 0, h = 0;
    if (!OutputSize(w, h)) return;
    Layout(w, h);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    if (havePicture && texture) SDL_RenderCopy(renderer, texture, nullptr, &lastDestination);
    if (!withSigns) return;
    PlaceSigns();
    for (SignState& sign : signs) {
        if (!sign.image) continue;
        if (!sign.texture) {
            sign.texture = SDL_CreateTextureFromSurface(renderer, sign.image);
            if (sign.texture) SDL_SetTextureBlendMode(sign.texture, SDL_BLENDMODE_BLEND);
        }
        if (sign.texture) SDL_RenderCopy(renderer, sign.texture, nullptr, &sign.rect);
    }
}

void Window::RestoreUnderSigns(SDL_Surface* surface, std::vector<SDL_Rect>& pushed) {
    for (SignState& sign : signs) {
        if (sign.under.empty()) continue;
        PasteRect(surface, sign.savedRect, sign.under);
        pushed.push_back(sign.savedRect);
        sign.under.clear();
    }
}

void Window::DrawSoftware(bool pictureChanged) {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
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
        for (SignState& sign : signs) sign.under.clear();
    }
    if (havePicture && picture) {
        if (!enlarged || pictureChanged) {
            if (enlarged && lastScale >= 1) {
                // Only the changed rows: the signs come off first, so that what stays is the picture.
                RestoreUnderSigns(surface, pushed);
                for (const auto& [first, end] : changedBands) {
                    Enlarge(picture, surface, lastDestination, lastScale, first, end, rowBuffer);
                    pushed.push_back(SDL_Rect{lastDestination.x, lastDestination.y + first * lastScale, lastDestination.w,
                                              (end - first) * lastScale});
                }
            } else {
                if (lastScale >= 1) {
                    Enlarge(picture, surface, lastDestination, lastScale, 0, pictureHeight, rowBuffer);
                } else {
                    if (mustLock) SDL_UnlockSurface(surface);
                    SDL_BlitScaled(picture, nullptr, surface, &lastDestination);
                    if (mustLock) SDL_LockSurface(surface);
                }
                // The enlarged picture covered whatever signs were on it.
                for (SignState& sign : signs) sign.under.clear();
                pushed.push_back(lastDestination);
            }
            enlarged = true;
        } else {
            RestoreUnderSigns(surface, pushed);
        }
        PlaceSigns();
        for (SignState& sign : signs) {
            if (!sign.image) continue;
            sign.savedRect = Clip(sign.rect, surface->w, surface->h);
            if (sign.savedRect.w <= 0 || sign.savedRect.h <= 0) continue;
            CopyRect(surface, sign.savedRect, sign.under);
            SDL_Rect at = sign.rect;
            if (mustLock) SDL_UnlockSurface(surface);
            SDL_BlitSurface(sign.image, nullptr, surface, &at);
            if (mustLock) SDL_LockSurface(surface);
            pushed.push_back(sign.savedRect);
        }
    }
    if (mustLock) SDL_UnlockSurface(surface);
    // A repaint answers an expose too: the display server may have lost any part of the window.
    if (resized || !pictureChanged) {
        SDL_UpdateWindowSurface(window);
    } else if (!pushed.empty()) {
        SDL_UpdateWindowSurfaceRects(window, pushed.data(), static_cast<int>(pushed.size()));
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
        if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_RGB888, shown.data(), outWidth * 4) != 0) return false;
    } else {
        SDL_Surface* surface = SDL_GetWindowSurface(window);
        if (!surface) return false;
        if (surface != drawnSurface || surface->pixels != drawnPixels || surface->w != drawnWidth ||
            surface->h != drawnHeight || !enlarged) {
            self->DrawSoftware(false);
            surface = SDL_GetWindowSurface(window);
            if (!surface) return false;
        }
        outWidth = surface->w;
        outHeight = surface->h;
        shown.resize(static_cast<std::size_t>(outWidth) * outHeight);
        if (SDL_ConvertPixels(outWidth, outHeight, surface->format->format, surface->pixels, surface->pitch,
                              SDL_PIXELFORMAT_RGB888, shown.data(), outWidth * 4) != 0)
            return false;
        // Where a sign covers the picture, what it covers.
        const int bytes = surface->format->BytesPerPixel;
        for (const SignState& sign : signs) {
            const SDL_Rect& r = sign.savedRect;
            if (sign.under.empty()) continue;
            std::vector<std::uint32_t> clean(static_cast<std::size_t>(r.w) * r.h);
            if (SDL_ConvertPixels(r.w, r.h, surface->format->format, sign.under.data(), r.w * bytes, SDL_PIXELFORMAT_RGB888,
                                  clean.data(), r.w * 4) != 0)
                return false;
            for (int y = 0; y < r.h; ++y)
                std::copy_n(clean.begin() + static_cast<std::ptrdiff_t>(y) * r.w, r.w,
                            shown.begin() + static_cast<std::ptrdiff_t>(r.y + y) * outWidth + r.x);
        }
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
        if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_RGB888, pixels.data(), width * 4) != 0) {
            pixels.clear();
            return false;
        }
    } else {
        SDL_Surface* surface = SDL_GetWindowSurface(window);
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
    SDL_SetWindowFullscreen(window, IsFullScreen() ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

bool Window::IsFullScreen() const {
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
}

std::uint32_t Window::Id() const { return window ? SDL_GetWindowID(window) : 0; }

std::uint32_t Window::PixelFormat() const {
    if (!window) return SDL_PIXELFORMAT_UNKNOWN;
    if (!renderer) {
        if (SDL_Surface* surface = SDL_GetWindowSurface(window)) return surface->format->format;
    }
    return SDL_GetWindowPixelFormat(window);
}

}  // namespace platform
