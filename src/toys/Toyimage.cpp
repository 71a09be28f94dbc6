#include "toys/Toyimage.h"

#include "data/Texdb.h"
#include "data/Toybox.h"
#include "devices/Vekdraw.h"
#include "kernel/Kernel.h"

namespace {

TVekDraw* DrawDevice(const TToyBox* box) { return box ? box->DrawDevice() : nullptr; }

}  // namespace

TSpriteRecord TSpriteRecord::ReadAndLoad(TToyBox* box, TTexDb& db) {
    TSpriteRecord record;
    record.name = db.ReadValue("name").Text();
    record.fileName = db.ReadValue("fileName").Text();
    const TexValue size = db.ReadValue("size");
    record.cellWidth = size.Int(0);
    record.cellHeight = size.Int(1);
    if (box != nullptr) box->LoadSprite(record.name, record.fileName, record.cellWidth, record.cellHeight);
    return record;
}

TToyImage::TToyImage(TToyBox* box, TTexDb& db) : TToyObject(box, kClassImage, "") {
    TSpriteRecord::ReadAndLoad(box, db).CopyTo(*this);
}

TToyImage::~TToyImage() {
    if (TVekDraw* draw = DrawDevice(box)) draw->DeleteSprite(name);
}

void TToyImage::WriteRecord(std::vector<std::string>& lines) const {
    TToyObject::WriteRecord(lines);
    lines.push_back("\tfileName\t" + fileName);
    if (cellWidth != 0 || cellHeight != 0) {
        lines.push_back("\tsize\t\t" + std::to_string(cellWidth) + "," + std::to_string(cellHeight));
    }
    lines.emplace_back("}");
}

void TToyImage::DrawCell(std::int32_t x, std::int32_t y, std::int32_t cell) const {
    if (TVekDraw* draw = DrawDevice(box)) draw->Draw(x, y, name, cell, 0, 0);
}
