#include "devices/Vekdraw.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "devices/Bitmap.h"
#include "devices/Blit.h"
#include "devices/Line.h"
#include "devices/Presenter.h"
#include "platform/BmpWriter.h"
#include "platform/Resources.h"
#include "platform/TextRenderer.h"
#include "platform/Window.h"

namespace {

std::uint64_t SurfaceBytes(const SDL_Surface* surface) {
    return static_cast<std::uint64_t>(surface->pitch) * static_cast<std::uint64_t>(surface->h);
}

// The largest back buffer, and the full-screen frame it is centred in (pixels).
constexpr int kMaxWidth = 640;
constexpr int kMaxHeight = 480;
}  // namespace

// ---- life cycle -----------------------------------------------------------------------------

TVekDraw::TVekDraw() : text(std::make_unique<platform::TextRenderer>()) {}

TVekDraw::~TVekDraw() {
    const bool hadWindow = window != nullptr;
    ReleaseAll();
    if (hadWindow && SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(SDL_ENABLE);
}

bool TVekDraw::Init(platform::Window* target) {
    return Init(target, Width, Height, FullScreen, ColorDepth == TColorDepth::cd16bpp ? 16 : 24);
}

bool TVekDraw::Init(platform::Window* target, int width, int height, bool fullScreen, int bitsPerPixel) {
    std::uint32_t sdlFormat = SDL_PIXELFORMAT_RGB888;
    if (target) {
        // Windowed the desktop's format applies; full screen asks for the given depth.
        if (const TPixelFormat desktop = pixels::FormatOf(target->PixelFormat()); desktop != TPixelFormat::kNone)
            sdlFormat = pixels::SdlFormat(desktop);
        if (fullScreen) {
            if (bitsPerPixel == 16) sdlFormat = SDL_PIXELFORMAT_RGB565;
            if (bitsPerPixel == 24) sdlFormat = SDL_PIXELFORMAT_BGR24;
            if (bitsPerPixel == 32) sdlFormat = SDL_PIXELFORMAT_RGB888;
        }
    }
    return Build(target, width, height, fullScreen, sdlFormat);
}

bool TVekDraw::InitHeadless(TPixelFormat pixelFormat, int width, int height) {
    if (pixels::SdlFormat(pixelFormat) == SDL_PIXELFORMAT_UNKNOWN) {
        ReleaseAll();
        return false;
    }
    return Build(nullptr, width, height, false, pixels::SdlFormat(pixelFormat));
}

bool TVekDraw::Build(platform::Window* target, int width, int height, bool fullScreen, std::uint32_t sdlFormat) {
    ReleaseAll();
    window = target;
    if (width < 1 || width > kMaxWidth) width = kMaxWidth;
    if (height < 1 || height > kMaxHeight) height = kMaxHeight;
    surfaceWidth = width;
    surfaceHeight = height;
    screenOffsetX = (kMaxWidth - width) >> 1;
    screenOffsetY = (kMaxHeight - height) >> 1;
    SetClip(-1, -1, -1, -1);

    if (window) {
        if (fullScreen && !window->IsFullScreen()) {
            window->ToggleFullScreen();
            windowMadeFullScreen = true;
        } else if (!fullScreen && windowMadeFullScreen && window->IsFullScreen()) {
            window->ToggleFullScreen();
        }
    }

    const int bits = static_cast<int>(SDL_BITSPERPIXEL(sdlFormat));
    backBuffer = SDL_CreateRGBSurfaceWithFormat(0, width, height, bits, sdlFormat);
    tmpSurface = SDL_CreateRGBSurfaceWithFormat(0, width, height, bits, sdlFormat);
    bool presenterReady = true;
    try {
        if (window) {
            auto shown = std::make_unique<TWindowPresenter>(window, fullScreen ? kMaxWidth : 0,
                                                            fullScreen ? kMaxHeight : 0, sdlFormat);
            presenterReady = shown->IsReady();
            presenter = std::move(shown);
        } else {
            presenter = std::make_unique<THeadlessPresenter>();
        }
    } catch (const std::bad_alloc&) {
        presenterReady = false;
    }
    if (!backBuffer || !tmpSurface || !presenterReady) {
        ReleaseAll();
        return false;
    }
    SDL_FillRect(backBuffer, nullptr, 0);
    SDL_FillRect(tmpSurface, nullptr, 0);

    const SDL_PixelFormat* f = backBuffer->format;
    format = pixels::FormatOf(f->format);
    masks = {f->Rmask, f->Gmask, f->Bmask};
    bytesPerPixel = f->BytesPerPixel;
    MoveTo(0, 0);
    if (window && SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(fullScreen ? SDL_DISABLE : SDL_ENABLE);
    ready = true;
    return true;
}

bool TVekDraw::ReleaseAll() {
    for (auto& sprite : sprites) FreeSurface(sprite);
    if (tmpSurface) SDL_FreeSurface(tmpSurface);
    if (backBuffer) SDL_FreeSurface(backBuffer);
    tmpSurface = backBuffer = nullptr;
    presenter.reset();
    ready = false;
    spriteIndex.clear();
    sprites.clear();
    return true;
}

void TVekDraw::SetWidth(int value) {
    if (value <= kMaxWidth) Width = value;
}

void TVekDraw::SetHeight(int value) {
    if (value <= kMaxHeight) Height = value;
}

// ---- sprites --------------------------------------------------------------------------------

TSpriteSurf* TVekDraw::GetSpriteSurf(const std::string& name) {
    const auto found = spriteIndex.find(name);
    return found == spriteIndex.end() ? nullptr : &*found->second;
}

bool TVekDraw::CreateSprite(const std::string& name, const std::string& source, int cellWidth, int cellHeight) {
    if (!ready) return false;
    try {
        auto found = spriteIndex.find(name);
        // The same picture under the same name is already there, cells and all.
        if (found != spriteIndex.end() && found->second->source == source) return true;
        if (found == spriteIndex.end()) {
            // One record per name: a name in use is reloaded in place below, never registered twice.
            sprites.emplace_back();
            const auto record = std::prev(sprites.end());
            record->name = name;
            try {
                found = spriteIndex.emplace(name, record).first;
            } catch (...) {
                sprites.erase(record);
                throw;
            }
        }
        TSpriteSurf& sprite = *found->second;
        FreeSurface(sprite);
        sprite.source = source;
        if (LoadSprite(sprite, cellWidth, cellHeight)) return true;
        EraseSprite(found->second);
    } catch (const std::bad_alloc&) {
    }
    return false;
}

bool TVekDraw::CreateSprite(TSpriteSurf* sprite, int cellWidth, int cellHeight) {
    if (!sprite) return false;
    FreeSurface(*sprite);
    return LoadSprite(*sprite, cellWidth, cellHeight);
}

bool TVekDraw::LoadSprite(TSpriteSurf& sprite, int cellWidth, int cellHeight) {
    if (!ready) return false;
    // A picture several records name is decoded once: they share the surface.
    for (const TSpriteSurf& other : sprites) {
        if (&other == &sprite || !other.surface || other.source != sprite.source) continue;
        ++other.surface->refcount;
        SetCells(sprite, other.surface, other.opaque, cellWidth, cellHeight);
        return true;
    }
    TDecodedBitmap decoded;
    std::uint64_t promised = 0;
    try {
        platform::Medium medium;
        // The same order as every other medium: the data folder, the resources, then a file.
        const std::string dataFile = platform::FindDataFile("BITMAP", sprite.source);
        if (!dataFile.empty()) {
            if (!bitmap::ReadFile(dataFile, medium)) return false;
        } else if (auto resource = platform::FindResource("BITMAP", sprite.source)) {
            medium.bytes = *resource;
        } else if (!bitmap::ReadFile(platform::MatchFileName(sprite.source), medium)) {
            return false;
        }
        // Decoding takes the picture at its own depth and again in the screen's, so the budget is
        // asked for what the headers promise first: a picture past the total is refused undecoded.
        int width = 0, height = 0;
        if (bitmap::DeclaredSize(medium.bytes, width, height) == TBitmapRefusal::kNone) {
            promised = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) *
                       backBuffer->format->BytesPerPixel;
        }
        if (!pictureBudget.Take(promised, sprite.source)) return false;
        decoded = bitmap::Decode(medium.bytes, backBuffer->format);
    } catch (const std::bad_alloc&) {
        pictureBudget.Give(promised);
        return false;
    }
    pictureBudget.Give(promised);
    SDL_Surface* converted = decoded.surface;
    if (!converted) return false;
    if (!pictureBudget.Take(SurfaceBytes(converted), sprite.source)) {
        SDL_FreeSurface(converted);
        return false;
    }
    SDL_SetColorKey(converted, SDL_TRUE, 0);
    SDL_SetSurfaceBlendMode(converted, SDL_BLENDMODE_NONE);
    SetCells(sprite, converted, decoded.opaque, cellWidth, cellHeight);
    return true;
}

void TVekDraw::SetCells(TSpriteSurf& sprite, SDL_Surface* converted, bool opaque, int cellWidth, int cellHeight) {
    const int w = converted->w;
    const int h = converted->h;
    if (cellWidth == 0) cellWidth = w;
    if (cellHeight == 0) cellHeight = h;
    sprite.cellWidth = cellWidth;
    sprite.cellHeight = cellHeight;
    sprite.columns = w / cellWidth;
    sprite.cellCount = (w / cellWidth) * (h / cellHeight);
    sprite.surface = converted;
    sprite.opaque = opaque;
}

void TVekDraw::FreeSurface(TSpriteSurf& sprite) {
    if (!sprite.surface) return;
    if (sprite.surface->refcount == 1) pictureBudget.Give(SurfaceBytes(sprite.surface));
    SDL_FreeSurface(sprite.surface);
    sprite.surface = nullptr;
}

void TVekDraw::EraseSprite(std::list<TSpriteSurf>::iterator it) {
    FreeSurface(*it);
    spriteIndex.erase(it->name);
    sprites.erase(it);
}

bool TVekDraw::DeleteSprite(const std::string& name) {
    const auto found = spriteIndex.find(name);
    if (found == spriteIndex.end()) return false;
    EraseSprite(found->second);
    return true;
}

// ---- drawing --------------------------------------------------------------------------------

bool TVekDraw::Draw(int x, int y, const std::string& name, int cell, int, int) {
    TSpriteSurf* sprite = GetSpriteSurf(name);
    if (!sprite) return false;
    return Draw(x, y, sprite, cell);
}

bool TVekDraw::Draw(int x, int y, TSpriteSurf* sprite, int cell) {
    if (!ready || !sprite || !sprite->surface) return false;
    if (cell < 0 || cell >= sprite->cellCount || sprite->columns == 0) return false;
    const std::int64_t cw = sprite->cellWidth;
    const std::int64_t ch = sprite->cellHeight;
    const std::int64_t sx = static_cast<std::int64_t>(cell % sprite->columns) * cw;
    const std::int64_t sy = static_cast<std::int64_t>(cell / sprite->columns) * ch;
    const std::int64_t px = x, py = y;
    if (px + cw <= clipLeft || px >= clipRight || py + ch <= clipTop || py >= clipBottom) return true;

    const std::int64_t left = sx + std::max<std::int64_t>(clipLeft - px, 0);
    const std::int64_t right = sx + std::min<std::int64_t>(cw, clipRight - px);
    const std::int64_t top = sy + std::max<std::int64_t>(clipTop - py, 0);
    const std::int64_t bottom = sy + std::min<std::int64_t>(ch, clipBottom - py);
    const std::int64_t dx = std::max<std::int64_t>(px, clipLeft);
    const std::int64_t dy = std::max<std::int64_t>(py, clipTop);
    const std::int64_t w = right - left;
    const std::int64_t h = bottom - top;
    // A blit that would read outside the bitmap or write outside the back buffer is refused.
    const SDL_Surface* src = sprite->surface;
    if (w <= 0 || h <= 0 || left < 0 || top < 0 || right > src->w || bottom > src->h) return false;
    if (dx < 0 || dy < 0 || dx + w > surfaceWidth || dy + h > surfaceHeight) return false;

    const int bpp = bytesPerPixel;
    const std::size_t rowBytes = static_cast<std::size_t>(w) * bpp;
    for (std::int64_t row = 0; row < h; ++row) {
        const std::uint8_t* s = pixels::Row(src, static_cast<int>(top + row)) + left * bpp;
        std::uint8_t* d = pixels::Row(backBuffer, static_cast<int>(dy + row)) + dx * bpp;
        if (sprite->opaque) {
            std::memcpy(d, s, rowBytes);
        } else {
            pixels::BlitKeyedRow(d, s, static_cast<int>(w), bpp);
        }
    }
    return true;
}

bool TVekDraw::TextOutA(int x, int y, const std::string& textBytes) {
    if (!ready) return false;
    return text->Draw(backBuffer, x, y, textBytes, fontColor);
}

bool TVekDraw::MoveTo(int x, int y) {
    penX = x;
    penY = y;
    return true;
}

bool TVekDraw::LineTo(int x, int y) {
    if (!ready) return false;
    const std::uint32_t colour =
        SDL_MapRGB(backBuffer->format, (penColor >> 16) & 0xFF, (penColor >> 8) & 0xFF, penColor & 0xFF);
    pixels::DrawLine(backBuffer, penX, penY, x, y, colour);
    penX = x;
    penY = y;
    return true;
}

bool TVekDraw::SetClip(int left, int top, int right, int bottom) {
    clipLeft = left == -1 ? 0 : left;
    clipTop = top == -1 ? 0 : top;
    clipRight = right == -1 ? surfaceWidth : right;
    clipBottom = bottom == -1 ? surfaceHeight : bottom;
    return true;
}

bool TVekDraw::Clear() {
    if (!ready) return false;
    return SDL_FillRect(backBuffer, nullptr, 0) == 0;
}


// ---- fades ----------------------------------------------------------------------------------

bool TVekDraw::Fade_Pixel(std::uint8_t* pixels, int pitch, int width, int height, int level) const {
    pixels::FadeToBlack(pixels, pitch, width, height, level, format, masks);
    return true;
}

bool TVekDraw::White_Pixel(std::uint8_t* pixels, int pitch, int width, int height, int level) const {
    pixels::FadeToWhite(pixels, pitch, width, height, level, format, masks);
    return true;
}

bool TVekDraw::Fade(int level) {
    if (!ready) return false;
    return Fade_Pixel(static_cast<std::uint8_t*>(backBuffer->pixels), backBuffer->pitch, surfaceWidth,
                      surfaceHeight, level);
}

bool TVekDraw::WhiteFade(int level) {
    if (!ready) return false;
    return White_Pixel(static_cast<std::uint8_t*>(backBuffer->pixels), backBuffer->pitch, surfaceWidth,
                       surfaceHeight, level);
}

// ---- presentation ---------------------------------------------------------------------------

const std::vector<std::uint32_t>& TVekDraw::PresentedPicture() const {
    static const std::vector<std::uint32_t> kNothing;
    return presenter ? presenter->Picture() : kNothing;
}

bool TVekDraw::Update() {
    if (!ready) return false;
    try {
        presenter->Present(backBuffer);
    } catch (const std::bad_alloc&) {
        return false;  // the recorder could not keep the picture
    }
    ++presentCount;
    return true;
}

bool TVekDraw::UpdateTmp() {
    if (!ready) return false;
    pixels::CopySurface(tmpSurface, 0, 0, backBuffer);
    return true;
}

std::uint32_t TVekDraw::PixelAt(int x, int y) const {
    if (!backBuffer || x < 0 || y < 0 || x >= surfaceWidth || y >= surfaceHeight) return 0;
    return pixels::Load(pixels::Row(static_cast<const SDL_Surface*>(backBuffer), y) + x * bytesPerPixel,
                        bytesPerPixel);
}

std::uint32_t TVekDraw::RgbAt(int x, int y) const {
    return pixels::RgbDecoder(masks.red, masks.green, masks.blue)(PixelAt(x, y));
}

bool TVekDraw::SavePresentedBmp(const std::string& path) const {
    if (!presenter) return false;
    try {
        return platform::WriteBmp24(path, presenter->PictureWidth(), presenter->PictureHeight(), presenter->Picture());
    } catch (const std::bad_alloc&) {
        return false;
    }
}
