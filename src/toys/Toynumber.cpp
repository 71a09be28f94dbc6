#include "toys/Toynumber.h"

#include "data/Texdb.h"
#include "data/Toybox.h"
#include "toys/Toyimage.h"

TToyNumber::TToyNumber(TToyBox* box, TTexDb& db) : TToyShape(box, kClassNumber, "", 0, 0) {
    const std::string nameValue = db.ReadValue("name").Text();
    const std::string imageId = db.ReadValue("imageId").Text();
    const TexValue pos = db.ReadValue("pos");
    const TexValue numValue = db.ReadValue("num");
    const std::string base = db.ReadValue("base").Text();
    name = nameValue;
    if (box != nullptr) image = box->FindToyAs<TToyImage>(kClassImage, imageId);
    x = pos.Int(0);
    y = pos.Int(1);
    num = numValue.Int(0);
    // Only the exact text "left" turns the number around; "Left", "LEFT" or anything else is right-based.
    rightBased = base == "left" ? 0 : 1;
}

void TToyNumber::Draw(std::int32_t, std::int32_t) {
    if (image == nullptr || visible == 0) return;
    const std::string digits = std::to_string(num);
    const std::int64_t advance = image->cellWidth;
    if (!FitsDrawCoord(y)) return;
    std::int64_t left = x;
    const auto drawDigit = [&](char digit) {
        // A minus sign asks for cell -3, which the draw device refuses: the sign shows as a gap.
        if (FitsDrawCoord(left)) image->DrawCell(static_cast<std::int32_t>(left), y, digit - '0');
    };
    if (rightBased != 0) {
        for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
            drawDigit(*it);
            left -= advance;
        }
    } else {
        for (const char digit : digits) {
            drawDigit(digit);
            left += advance;
        }
    }
}

void TToyNumber::WriteRecord(std::vector<std::string>& lines) const {
    TToyShape::WriteRecord(lines);
    lines.push_back("\timageId\t\t" + (image != nullptr ? image->name : std::string()));
    lines.emplace_back(rightBased != 0 ? "\tbase\t\tright" : "\tbase\t\tleft");
    lines.push_back("\tnum\t\t\t" + std::to_string(num));
    lines.emplace_back("}");
}
