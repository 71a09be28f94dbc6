// assetgen OUTDIR [--contact-sheet FILE] [--scene-mock FILE] [--icons DIR]
// Writes every bitmap, wave and the song of the game, and the song's SoundFont, into OUTDIR. The output depends on nothing but
// this program, so the committed resources can be rebuilt byte for byte.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Art.h"
#include "Audio.h"
#include "Sheets.h"

namespace {

std::vector<art::NamedImage> AllImages() {
    using namespace art;
    return {{"bg", MakeBackground()},     {"leaf", MakeLeaves()},      {"title", MakeTitle()},
            {"clear", MakeClear()},       {"miss", MakeMiss()},        {"gameover", MakeGameOver()},
            {"caption", MakeCaption()},   {"suuji", MakeDigits()},     {"risu", MakeSquirrelSheet()},
            {"kinomi", MakeNutSheet()},   {"baloon", MakeBalloon()},   {"shadow", MakeShadow()},
            {"pushspc", MakePushSpace()}, {"cursor32", MakeCursor()},  {"rest", MakeRest()},
            {"batsu", MakeCross()},       {"signfont", MakeSignFont()}};
}

bool Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty() || !art::WriteFile(path, bytes)) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

// The desktop icons, drawn from the squirrel's head (Icons.cpp).
bool WriteIcons(const std::string& dir);
// The window's 64-pixel icon as a 32-bit bitmap with alpha.
std::vector<std::uint8_t> WindowIcon();

int main(int argc, char** argv) {
    std::string outDir, contactSheet, sceneMock, iconDir;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--contact-sheet") && i + 1 < argc) {
            contactSheet = argv[++i];
        } else if (!std::strcmp(argv[i], "--scene-mock") && i + 1 < argc) {
            sceneMock = argv[++i];
        } else if (!std::strcmp(argv[i], "--icons") && i + 1 < argc) {
            iconDir = argv[++i];
        } else if (argv[i][0] != '-' && outDir.empty()) {
            outDir = argv[i];
        } else {
            std::fprintf(stderr, "usage: assetgen OUTDIR [--contact-sheet FILE.bmp] [--scene-mock FILE.bmp] [--icons DIR]\n");
            return 2;
        }
    }
    if (outDir.empty() && contactSheet.empty() && sceneMock.empty() && iconDir.empty()) {
        std::fprintf(stderr, "usage: assetgen OUTDIR [--contact-sheet FILE.bmp] [--scene-mock FILE.bmp] [--icons DIR]\n");
        return 2;
    }
    const std::vector<art::NamedImage> images = AllImages();
    bool ok = true;
    if (!iconDir.empty()) ok = WriteIcons(iconDir) && ok;
    if (!outDir.empty()) {
        for (const art::NamedImage& n : images) ok = Write(outDir + "/" + n.name + ".bmp", art::EncodeBmp8(n.image)) && ok;
        ok = Write(outDir + "/get.wav", audio::MakeGet()) && ok;
        ok = Write(outDir + "/walk.wav", audio::MakeWalk()) && ok;
        ok = Write(outDir + "/miss.wav", audio::MakeMiss()) && ok;
        ok = Write(outDir + "/bgm0.mid", audio::MakeSong()) && ok;
        ok = Write(outDir + "/pelloro.sf2", audio::MakeSoundFont()) && ok;
        ok = Write(outDir + "/icon64.bmp", WindowIcon()) && ok;
    }
    if (!contactSheet.empty()) ok = Write(contactSheet, art::EncodeBmp24(art::ContactSheet(images))) && ok;
    if (!sceneMock.empty()) ok = Write(sceneMock, art::EncodeBmp24(art::SceneMock(images))) && ok;
    return ok ? 0 : 1;
}
