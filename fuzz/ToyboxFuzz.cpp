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
#include "devices/Vekdraw.h"
#include "devices/Veksound.h"
#include "kernel/Kernel.h"
#include "toys/Toyanime.h"
#include "toys/Toyfont.h"
#include "toys/Toyplayer.h"
#include "toys/Toyshape.h"

namespace {

TVekDraw& Draw() {
    static TVekDraw* draw = [] {
        auto* device = new TVekDraw();
        device->InitHeadless(4, 320, 240);
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
        box = std::make_unique<TToyBox>(&kernel, db);
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
