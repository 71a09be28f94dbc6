#pragma once
// The drawing device: a back buffer every frame is composed in, a tmp surface of the same size, and
// named sprite surfaces cut into cells, drawn colour-keyed (pixel value 0 is transparent) and clipped.
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "devices/Fade.h"
#include "devices/MediaBudget.h"
#include "devices/Pixels.h"

struct SDL_Surface;
class TPresenter;

namespace platform {
class Window;
class TextRenderer;
}

enum class TColorDepth { cd16bpp, cd24bpp };

struct TSpriteSurf {
    std::string name;    // compared byte for byte; the device's index key, so never changed after creation
    std::string source;  // bitmap resource name or file path
    int cellWidth = 0;
    int cellHeight = 0;
    int columns = 0;
    int cellCount = 0;
    SDL_Surface* surface = nullptr;  // owned by the device; shared (SDL's refcount) by records of one source
    bool opaque = false;             // no pixel is 0, so cells are copied without testing each pixel
};

class TVekDraw {
public:
    // The decoded pictures one device holds at once (bytes). A 320 x 240 game's art fills a few MB; this
    // is far above that, and as large as the largest picture the decoder takes, so any one picture still
    // loads alone. A picture several records name is decoded once and counted once.
    static constexpr std::uint64_t kPictureBudgetBytes = 256u << 20;

    TVekDraw();
    ~TVekDraw();
    TVekDraw(const TVekDraw&) = delete;
    TVekDraw& operator=(const TVekDraw&) = delete;

    // The form the main window uses: Width, Height, FullScreen and ColorDepth as set.
    // A null window gives a device with no presenter (headless) in 32-bit XRGB.
    bool Init(platform::Window* window);
    // Windowed, the back buffer takes the window's pixel format (XRGB8888 if it has no format code) and
    // Update stretches it over the client area. Full screen puts the window in desktop full screen, takes
    // 16 (5-6-5), 24 or 32 bits as asked, and Update centres the buffer in a black 640 × 480 frame.
    // A window already in full screen when a windowed Init comes is left so unless this device put it there.
    bool Init(platform::Window* window, int width, int height, bool fullScreen, int bitsPerPixel);
    // Surfaces in the given format, presented to a recorder instead of a window.
    bool InitHeadless(TPixelFormat format, int width, int height);
    bool ReleaseAll();

    bool CreateSprite(const std::string& name, const std::string& source, int cellWidth, int cellHeight);
    // Loads the record's source into a new surface (releasing the record's old one) and cuts its cells.
    bool CreateSprite(TSpriteSurf* sprite, int cellWidth, int cellHeight);
    TSpriteSurf* GetSpriteSurf(const std::string& name);
    bool DeleteSprite(const std::string& name);

    bool Draw(int x, int y, const std::string& name, int cell, int, int);
    bool Draw(int x, int y, TSpriteSurf* sprite, int cell);
    bool TextOutA(int x, int y, const std::string& text);
    bool MoveTo(int x, int y);
    bool LineTo(int x, int y);
    bool SetClip(int left, int top, int right, int bottom);
    bool Clear();
    bool Fade(int level);
    bool WhiteFade(int level);
    // The passes behind Fade and WhiteFade over pixels in the device's format; `pitch` is the row stride
    // in bytes. Only the low 8 bits of the level count.
    bool Fade_Pixel(std::uint8_t* pixels, int pitch, int width, int height, int level) const;
    bool White_Pixel(std::uint8_t* pixels, int pitch, int width, int height, int level) const;
    bool Update();
    bool UpdateTmp();

    void SetWidth(int value);
    void SetHeight(int value);
    void SetFullScreen(bool value) { FullScreen = value; }
    void SetColorDepth(TColorDepth value) { ColorDepth = value; }
    void SetFontColor(std::uint32_t rgb) { fontColor = rgb; }
    void SetPenColor(std::uint32_t rgb) { penColor = rgb; }

    int Width = 640;
    int Height = 480;
    bool FullScreen = false;
    TColorDepth ColorDepth = TColorDepth::cd16bpp;

    // Read-back, for tests and screenshots.
    bool IsReady() const { return ready; }
    TPixelFormat Format() const { return format; }
    int SurfaceWidth() const { return surfaceWidth; }
    int SurfaceHeight() const { return surfaceHeight; }
    int ScreenOffsetX() const { return screenOffsetX; }
    int ScreenOffsetY() const { return screenOffsetY; }
    void GetClip(int& left, int& top, int& right, int& bottom) const {
        left = clipLeft, top = clipTop, right = clipRight, bottom = clipBottom;
    }
    int PenX() const { return penX; }
    int PenY() const { return penY; }
    SDL_Surface* TmpSurface() const { return tmpSurface; }
    SDL_Surface* BackBuffer() const { return backBuffer; }
    std::uint32_t PixelAt(int x, int y) const;  // the raw pixel value of the back buffer
    std::uint32_t RgbAt(int x, int y) const;    // the same pixel as 0xRRGGBB
    // The picture shown by the last successful Update, as 0xRRGGBB per pixel, row by row, as the
    // presenter gives it back (the recorder keeps it; a window reads it back from what it shows).
    const std::vector<std::uint32_t>& PresentedPicture() const;
    int PresentCount() const { return presentCount; }
    bool SavePresentedBmp(const std::string& path) const;  // 24-bit BMP of the presented picture

private:
    bool Build(platform::Window* target, int width, int height, bool fullScreen, std::uint32_t sdlFormat);
    bool LoadSprite(TSpriteSurf& sprite, int cellWidth, int cellHeight);
    void EraseSprite(std::list<TSpriteSurf>::iterator it);
    void FreeSurface(TSpriteSurf& sprite);
    static void SetCells(TSpriteSurf& sprite, SDL_Surface* surface, bool opaque, int cellWidth, int cellHeight);

    bool ready = false;
    TPixelFormat format = TPixelFormat::kNone;
    int surfaceWidth = 0;
    int surfaceHeight = 0;
    int clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;
    int screenOffsetX = 0, screenOffsetY = 0;
    pixels::Masks masks;
    int bytesPerPixel = 0;
    int penX = 0, penY = 0;
    std::uint32_t fontColor = 0x000000;
    std::uint32_t penColor = 0x000000;
    platform::Window* window = nullptr;
    bool windowMadeFullScreen = false;  // this device switched the window to full screen
    SDL_Surface* backBuffer = nullptr;
    SDL_Surface* tmpSurface = nullptr;
    // Records in the order they were made; the index finds a name's record without walking them.
    std::list<TSpriteSurf> sprites;
    std::unordered_map<std::string, std::list<TSpriteSurf>::iterator> spriteIndex;
    TMediaBudget pictureBudget{kPictureBudgetBytes, "pictures"};
    std::unique_ptr<TPresenter> presenter;
    int presentCount = 0;
    std::unique_ptr<platform::TextRenderer> text;
};
