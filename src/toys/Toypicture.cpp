#include "toys/Toypicture.h"

#include "data/Texdb.h"
#include "data/Toybox.h"
#include "toys/Toyimage.h"

TToyPicture::TToyPicture(TToyBox* box, TTexDb& db) : TToyShape(box, kClassPicture, "", 0, 0) {
    const std::string nameValue = db.ReadValue("name").Text();
    const std::string imageId = db.ReadValue("imageId").Text();
    const TexValue pos = db.ReadValue("pos");
    const TexValue num = db.ReadValue("num");
    name = nameValue;
    if (box != nullptr) image = box->FindToyAs<TToyImage>(kClassImage, imageId);
    x = pos.Int(0);
    y = pos.Int(1);
    cell = num.Int(0);
    // Right and bottom are the cell size itself, one more than the last pixel: HitTest counts them inside.
    if (image != nullptr) {
        hitRect.right = image->cellWidth;
        hitRect.bottom = image->cellHeight;
    }
}

void TToyPicture::Draw(std::int32_t offsetX, std::int32_t offsetY) {
    if (image == nullptr || visible == 0) return;
    const std::int64_t left = std::int64_t{offsetX} + x;
    const std::int64_t top = std::int64_t{offsetY} + y;
    if (!FitsDrawCoord(left) || !FitsDrawCoord(top)) return;
    image->DrawCell(static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), cell);
}

void TToyPicture::WriteRecord(std::vector<std::string>& lines) const {
    TToyShape::WriteRecord(lines);
    // The cell is not written: a picture reads back showing cell 0.
    lines.push_back("\timageId\t\t" + (image != nullptr ? image->name : std::string()));
    lines.emplace_back("}");
}
