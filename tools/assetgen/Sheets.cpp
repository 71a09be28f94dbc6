// Pictures for judging the art: every bitmap on a grey ground, and the play screen put together the
// way the scene text stacks its toys.
#include "Sheets.h"

#include <algorithm>
#include <string>

namespace art {

Image ContactSheet(const std::vector<NamedImage>& images) {
    const int width = 700, gap = 8;
    // Shelf packing in the given order.
    struct Place {
        int x, y;
    };
    std::vector<Place> places;
    int x = gap, y = gap, shelf = 0;
    for (const NamedImage& n : images) {
        if (x + n.image.Width() + gap > width) {
            x = gap;
            y += shelf + gap;
            shelf = 0;
        }
        places.push_back({x, y});
        x += n.image.Width() + gap;
        shelf = std::max(shelf, n.image.Height());
    }
    const int height = y + shelf + gap;
    Image sheet(width, height);
    for (int yy = 0; yy < height; ++yy)
        for (int xx = 0; xx < width; ++xx) sheet.Set(xx, yy, RGB(128, 128, 128));
    for (std::size_t i = 0; i < images.size(); ++i) {
        const Image& img = images[i].image;
        // A slightly darker backing shows each bitmap's full extent.
        for (int yy = 0; yy < img.Height(); ++yy)
            for (int xx = 0; xx < img.Width(); ++xx) sheet.Set(places[i].x + xx, places[i].y + yy, RGB(116, 116, 120));
        sheet.Blit(img, places[i].x, places[i].y);
    }
    return sheet;
}

namespace {

const Image& Find(const std::vector<NamedImage>& images, const std::string& name) {
    for (const NamedImage& n : images)
        if (n.name == name) return n.image;
    static const Image none;
    return none;
}

void Cell(Image& screen, const Image& sheet, int cellW, int cellH, int cell, int x, int y) {
    const int columns = sheet.Width() / cellW;
    screen.Blit(sheet.Crop((cell % columns) * cellW, (cell / columns) * cellH, cellW, cellH), x, y);
}

void Number(Image& screen, const Image& digits, int value, int x, int y) {
    const std::string text = std::to_string(value);
    for (auto it = text.rbegin(); it != text.rend(); ++it, x -= 16) Cell(screen, digits, 16, 16, *it - '0', x, y);
}

// Feet-centre offsets of the squirrel's frames.
const int kFrame[12][2] = {{-20, -40}, {-44, -40}, {-22, -40}, {-32, -34}, {-36, -32}, {-36, -32},
                           {-28, -32}, {-28, -32}, {-32, -32}, {-32, -32}, {-32, -32}, {-32, -32}};

enum class Scene { kBalloon, kPlay, kTitle };

Image Screen(const std::vector<NamedImage>& images, Scene scene) {
    const bool balloon = scene == Scene::kBalloon;
    Image screen(320, 240);
    screen.Blit(Find(images, "bg"), 0, 0);
    const Image& nuts = Find(images, "kinomi");
    const Image& squirrel = Find(images, "risu");
    struct Nut {
        int kind, x, groundY, height;
    };
    const Nut landed[] = {{0, 32, 92, 0}, {3, 160, 60, 0}, {5, 96, 156, 0}, {7, 224, 124, 0}, {2, 64, 124, 90}};
    if (scene == Scene::kTitle) {
        Cell(screen, squirrel, 64, 64, 3, 160 + kFrame[3][0], 128 + kFrame[3][1]);
    } else if (balloon) {
        screen.Blit(Find(images, "baloon"), 60, 60);
        const int kinds[] = {4, 1, 6, 0, 2};
        for (int i = 0; i < 5; ++i) Cell(screen, nuts, 32, 32, kinds[i], 60 + 32 * i + 16, 60 + 24);
        Cell(screen, squirrel, 64, 64, 2, 160 + kFrame[2][0], 176 + kFrame[2][1]);
    } else {
        for (const Nut& n : landed) screen.Blit(Find(images, "shadow"), n.x, n.groundY + 16);
        for (const Nut& n : landed) Cell(screen, nuts, 32, 32, n.kind, n.x, n.groundY - n.height);
        // Caught nuts on the log.
        Cell(screen, nuts, 32, 32, 6, 0, 208);
        Cell(screen, nuts, 32, 32, 4, 32, 208);
        // The cursor over the nut under the squirrel, the squirrel walking right towards it.
        Cell(screen, Find(images, "cursor32"), 40, 40, 0, 160 - 4, 60 - 4);
        Cell(screen, squirrel, 64, 64, 8, 172 + kFrame[8][0], 80 + kFrame[8][1]);
        Cell(screen, squirrel, 64, 64, 6, 100 + kFrame[6][0], 176 + kFrame[6][1]);
    }
    screen.Blit(Find(images, "leaf"), 0, 0);
    screen.Blit(Find(images, "caption"), 32, 0);
    const Image& digits = Find(images, "suuji");
    const bool title = scene == Scene::kTitle;
    Number(screen, digits, title ? 0 : balloon ? 1200 : 12400, 96, 32);
    Number(screen, digits, title ? 30 : balloon ? 30 : 17, 160, 32);
    Number(screen, digits, title ? 0 : balloon ? 7 : 12, 240, 32);
    for (int i = 0; i < 3; ++i) screen.Blit(Find(images, "rest"), 220 + 34 * i, 212);
    if (scene == Scene::kPlay) screen.Blit(Find(images, "batsu"), 220, 212);
    if (title) {
        screen.Blit(Find(images, "title"), 55, 33);
        screen.Blit(Find(images, "pushspc"), 16, 180);
    }
    return screen;
}

}  // namespace

Image SceneMock(const std::vector<NamedImage>& images) {
    Image out(320 * 2 + 8, 240 * 2 + 8);
    for (int y = 0; y < out.Height(); ++y)
        for (int x = 0; x < out.Width(); ++x) out.Set(x, y, RGB(128, 128, 128));
    out.Blit(Screen(images, Scene::kBalloon), 0, 0);
    out.Blit(Screen(images, Scene::kPlay), 328, 0);
    // Below: the title as the game opens, and a cleared stage with its caption over the field.
    out.Blit(Screen(images, Scene::kTitle), 0, 248);
    Image clear = Screen(images, Scene::kPlay);
    clear.Blit(Find(images, "clear"), 48, 84);
    clear.Blit(Find(images, "pushspc"), 16, 180);
    out.Blit(clear, 328, 248);
    return out;
}

}  // namespace art
