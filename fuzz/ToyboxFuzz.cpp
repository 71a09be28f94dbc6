// Arbitrary bytes as a scene text: the load either ends with a data error or yields a toy box whose
// every toy updates, draws, switches animes and writes itself without reading through a missing toy.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "data/Texdb.h"
#include "data/Toybox.h"
#include "toys/Toyclasses.h"
#include "devices/Vekdraw.h"
#include "devices/Veksound.h"
#include "kernel/Kernel.h"
#include "platform/Resources.h"
#include "toys/Toyanime.h"
#include "toys/Toyfont.h"
#include "toys/Toyplayer.h"
#include "toys/Toyshape.h"

namespace {

void Put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A small 8-bit bitmap of 4 x 2 cells of 8 x 8, each with a few coloured pixels, so that drawing
// has something to clip and colour-key without the cost of the game's full-size art.
std::vector<std::uint8_t> SmallSheet() {
    constexpr int kWidth = 32;
    constexpr int kHeight = 16;
    std::vector<std::uint8_t> out{'B', 'M'};
    const std::uint32_t offset = 14 + 40 + 4 * 4;
    Put(out, offset + kWidth * kHeight, 4);
    Put(out, 0, 4);
    Put(out, offset, 4);
    Put(out, 40, 4);
    Put(out, kWidth, 4);
    Put(out, kHeight, 4);
    Put(out, 1, 2);
    Put(out, 8, 2);
    Put(out, 0, 4);
    Put(out, kWidth * kHeight, 4);
    Put(out, 2835, 4);
    Put(out, 2835, 4);
    Put(out, 4, 4);
    Put(out, 0, 4);
    for (std::uint32_t rgb : {0x000000u, 0xFF2020u, 0x20FF20u, 0x2020FFu}) Put(out, rgb, 4);
    for (int i = 0; i < kWidth * kHeight; ++i) out.push_back(static_cast<std::uint8_t>((i * 7 / 3) % 4));
    return out;
}

// Every bitmap name of the game's scene and of the seeds finds the small sheet.
void InstallResources() {
    static const std::vector<std::uint8_t> sheet = [] {
        std::vector<std::uint8_t> bytes = SmallSheet();
        bytes.push_back(0);
        return bytes;
    }();
    static const char* const kNames[] = {"bg",     "leaf",   "title",    "clear", "miss",    "gameover",
                                         "caption", "suuji", "risu",     "kinomi", "baloon", "shadow",
                                         "pushspc", "cursor32", "rest",  "batsu", "sheet",   "font"};
    static std::vector<platform::ResourceEntry> entries = [] {
        std::vector<platform::ResourceEntry> list;
        for (const char* name : kNames) list.push_back({"BITMAP", name, sheet.data(), sheet.size() - 1});
        return list;
    }();
    static const platform::ResourceTable table{entries.data(), entries.size()};
    platform::SetResourceTable(&table);
}

TVekDraw& Draw() {
    static TVekDraw* draw = [] {
        InstallResources();
        auto* device = new TVekDraw();
        device->InitHeadless(TPixelFormat::kXrgb32, 320, 240);
        return device;
    }();
    return *draw;
}

// Never initialised: every buffer it is asked for fails, as on a machine without audio.
TVekSound& Sound() {
    static TVekSound* sound = new TVekSound();
    return *sound;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TKernel kernel(&Draw(), &Sound(), nullptr, nullptr);
    std::unique_ptr<TToyBox> box;
    try {
        TTexDb db = TTexDb::FromBytes(std::span(data, size));
        box = std::make_unique<TToyBox>(&kernel, db, GameToyClasses());
    } catch (const EDataError&) {
        return 0;
    }

    box->UpdateAll(20);
    box->DrawAll();

    std::vector<std::string> animeNames;
    std::vector<TToyPlayer*> players;
    std::vector<TToyFont*> fonts;
    for (std::int32_t i = 0; i < box->Count(); ++i) {
        TToyObject* toy = box->GetToy(i);
        if (auto* anime = dynamic_cast<TToyAnime*>(toy)) {
            animeNames.push_back(anime->name);
            anime->DrawFrame(anime->totalDuration / 2);
        }
        if (auto* player = dynamic_cast<TToyPlayer*>(toy)) players.push_back(player);
        if (auto* font = dynamic_cast<TToyFont*>(toy)) fonts.push_back(font);
    }
    animeNames.emplace_back("no such anime");
    for (TToyPlayer* player : players) {
        player->Show();
        for (std::size_t k = 0; k < animeNames.size(); ++k) {
            player->PlayAnime(animeNames[k], k % 2 == 0);
            player->Update(30);
            player->Draw(0, 0);
        }
    }
    for (TToyFont* font : fonts) font->DrawString(300, 200, "AZ?! az09\x82\xa0");

    kernel.Poll(20);
    box->UpdateAll(1000);
    for (std::int32_t i = 0; i < box->Count(); ++i) box->GetToy(i)->Show();
    box->DrawAll();

    std::vector<std::string> lines;
    std::size_t sink = 0;
    const TToyShape* first = nullptr;
    for (std::int32_t i = 0; i < box->Count(); ++i) {
        TToyObject* toy = box->GetToy(i);
        toy->WriteRecord(lines);
        if (const auto* shape = dynamic_cast<const TToyShape*>(toy)) {
            if (first == nullptr) first = shape;
            sink += shape->HitTest(*first) ? 1 : 0;
        }
    }
    for (const std::string& line : lines) sink += line.size();
    if (box->Count() > 0 && lines.empty()) __builtin_trap();
    box->ClearToys();
    return sink == static_cast<std::size_t>(-1) ? 1 : 0;
}
