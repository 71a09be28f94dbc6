#include "toys/Toyimage.h"

#include "data/Texdb.h"
#include "data/Toybox.h"
#include "devices/Vekdraw.h"
#include "kernel/Kernel.h"

namespace {

TVekDraw* DrawDevice(const TToyBox* box) { return box ? box->DrawDevice() : nullptr; }

}  // namespace

TToyImage::TToyImage(TToyBox* box, TTexDb& db) : TToyObject(box, "Image", "") {
    const std::string nameValue = db.ReadValue("name").Text();
    const std::string fileValue = db.ReadValue("fileName").Text();
    const TexValue size = db.ReadValue("size");
    // The image exists even when its bitmap does not load; its cells then simply draw nothing.
    if (box != nullptr) box->LoadSprite(nameValue, fileValue, size.Int(0), size.Int(1));
    name = nameValue;
    fileName = fileValue;
    cellWidth = size.Int(0);
    cellHeight = size.Int(1);
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
