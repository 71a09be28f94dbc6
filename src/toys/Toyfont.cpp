#include "toys/Toyfont.h"

#include <cmath>
#include <numbers>

#include "data/Texdb.h"
#include "data/Toybox.h"
#include "devices/Vekdraw.h"
#include "kernel/Kernel.h"
#include "toys/Toyimage.h"
#include "toys/Toyshape.h"

namespace {

constexpr std::int64_t kWavePeriod = 800;    // ms
constexpr std::int64_t kWaveStagger = 40;    // ms between neighbouring characters
constexpr double kWaveAmplitude = 8.0;       // pixels
constexpr double kWaveCyclesPerMs = 0.00125;  // 1 / 800

TVekDraw* DrawDevice(const TToyBox* box) { return box ? box->DrawDevice() : nullptr; }

}  // namespace

TToyFont::TToyFont(TToyBox* box, TTexDb& db) : TToyObject(box, kClassFont, "") {
    // The size line is read last, so the width lines are the ones after it.
    TSpriteRecord::ReadAndLoad(box, db).CopyTo(*this);

    // Every line after size is a width line whatever its key; a line's widths end at its first 0.
    int next = 0;
    while (db.NextKey()) {
        const TexValue value = db.CursorValue();
        for (int slot = 0; slot < 8; ++slot) {
            const std::int16_t width = value.Short(slot);
            if (width == 0) break;
            if (next < kCellCount) widths[static_cast<std::size_t>(next++)] = width;
        }
    }
}

TToyFont::~TToyFont() {
    if (TVekDraw* draw = DrawDevice(box)) draw->DeleteSprite(name);
}

int TToyFont::CellOf(unsigned char character) {
    if (character >= 'A' && character <= 'Z') return character - 'A';
    if (character == '?') return 26;
    if (character == '!') return 27;
    if (character == ' ') return kSpaceCell;
    return -1;
}

std::int32_t TToyFont::WaveOffset(std::int32_t totalTime, std::int32_t i) {
    const std::int64_t phase = (std::int64_t{totalTime} + kWaveStagger * i) % kWavePeriod;
    const double offset =
        kWaveAmplitude * std::cos(2.0 * std::numbers::pi * static_cast<double>(phase) * kWaveCyclesPerMs);
    return static_cast<std::int32_t>(std::trunc(offset));
}

void TToyFont::DrawString(std::int32_t x, std::int32_t y, const std::string& text) {
    TVekDraw* draw = DrawDevice(this->box);
    const std::int32_t totalTime = box != nullptr && box->Kernel() != nullptr ? box->Kernel()->TotalTime() : 0;
    std::int64_t left = x;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const std::int32_t i = static_cast<std::int32_t>(k + 1);
        const std::int32_t offset = wave ? WaveOffset(totalTime, i) : 0;
        const int cell = CellOf(static_cast<unsigned char>(text[k]));
        const std::int64_t top = std::int64_t{y} + offset;
        // A character without a cell of its own draws nothing and takes the room of a space.
        if (cell >= 0 && draw != nullptr && FitsDrawCoord(left) && FitsDrawCoord(top)) {
            draw->Draw(static_cast<int>(left), static_cast<int>(top), name, cell, 0, 0);
        }
        left += widths[static_cast<std::size_t>(cell >= 0 ? cell : kSpaceCell)];
    }
}

void TToyFont::WriteRecord(std::vector<std::string>& lines) const {
    TToyObject::WriteRecord(lines);
    lines.push_back("\tfileName\t" + fileName);
    if (cellWidth != 0 || cellHeight != 0) {
        lines.push_back("\tsize\t\t" + std::to_string(cellWidth) + "," + std::to_string(cellHeight));
    }
    // Three lines of eight widths and one of five: at most eight values fit a line.
    for (int first = 0; first < kCellCount; first += 8) {
        std::string line = "\twidth\t\t";
        for (int i = first; i < first + 8 && i < kCellCount; ++i) {
            if (i != first) line += ",";
            line += std::to_string(widths[static_cast<std::size_t>(i)]);
        }
        lines.push_back(line);
    }
    lines.emplace_back("}");
}
