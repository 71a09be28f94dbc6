#include "toys/Toyframe.h"

#include <algorithm>
#include <limits>

#include "data/Texdb.h"
#include "data/Toybox.h"
#include "toys/Toyimage.h"

namespace {

std::int32_t Saturate(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// Entries after the key cursor: a cellNum beyond them must not reserve room for cells that cannot come.
std::int32_t EntriesAfterCursor(const TTexDb& db) {
    const TexBlock* block = db.Current();
    if (block == nullptr) return 0;
    const std::int64_t left = static_cast<std::int64_t>(block->entries.size()) - db.KeyCursor() - 1;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(left, 0, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

TToyFrame::TToyFrame(TToyBox* box, TTexDb& db) : TToyShape(box, kClassFrame, "", 0, 0) {
    const std::string nameValue = db.ReadValue("name").Text();
    const std::string imageId = db.ReadValue("imageId").Text();
    const TexValue pos = db.ReadValue("pos");
    // Read last, so that the key cursor stands on the cellNum line and the cells are the lines after it.
    const std::int32_t cellNum = db.ReadValue("cellNum").Int(0);
    name = nameValue;
    if (box != nullptr) image = box->FindToyAs<TToyImage>(kClassImage, imageId);
    x = pos.Int(0);
    y = pos.Int(1);

    // Without an image the cells are kept (they write back as they were read) but have no size, so
    // the hit rectangle only grows to their corners; such a frame draws nothing.
    const std::int64_t cellWidth = image != nullptr ? image->cellWidth : 0;
    const std::int64_t cellHeight = image != nullptr ? image->cellHeight : 0;
    cells.reserve(static_cast<std::size_t>(std::clamp(cellNum, 0, EntriesAfterCursor(db))));
    for (std::int32_t i = 0; i < cellNum; ++i) {
        // A cellNum beyond the block's last line just gives fewer cells; the line's key is not looked at.
        if (!db.NextKey()) break;
        const TexValue value = db.CursorValue();
        TFrameCell cellRecord;
        cellRecord.x = static_cast<std::int16_t>(value.Int(0));
        cellRecord.y = static_cast<std::int16_t>(value.Int(1));
        cellRecord.cell = static_cast<std::uint16_t>(value.Int(2));
        cells.push_back(cellRecord);
        ExtendHitRect({cellRecord.x, cellRecord.y, Saturate(cellRecord.x + cellWidth),
                       Saturate(cellRecord.y + cellHeight)});
    }
}

void TToyFrame::DrawCells(std::int32_t originX, std::int32_t originY) const {
    if (image == nullptr) return;
    for (const TFrameCell& cellRecord : cells) {
        const std::int64_t left = std::int64_t{originX} + x + cellRecord.x;
        const std::int64_t top = std::int64_t{originY} + y + cellRecord.y;
        if (!FitsDrawCoord(left) || !FitsDrawCoord(top)) continue;
        image->DrawCell(static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), cellRecord.cell);
    }
}

void TToyFrame::WriteRecord(std::vector<std::string>& lines) const {
    TToyShape::WriteRecord(lines);
    lines.push_back("\timageId\t\t" + (image != nullptr ? image->name : std::string()));
    lines.push_back("\tcellNum\t\t" + std::to_string(cells.size()));
    for (const TFrameCell& cellRecord : cells) {
        lines.push_back("\tcell\t\t" + std::to_string(cellRecord.x) + "," + std::to_string(cellRecord.y) + "," +
                        std::to_string(cellRecord.cell));
    }
    lines.emplace_back("}");
}
