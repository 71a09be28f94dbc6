#include "toys/Toycaption.h"

#include "data/Texdb.h"
#include "data/Toybox.h"
#include "toys/Toyfont.h"

TToyCaption::TToyCaption(TToyBox* box, TTexDb& db) : TToyShape(box, kClassCaption, "", 0, 0) {
    const std::string nameValue = db.ReadValue("name").Text();
    const std::string fontId = db.ReadValue("fontId").Text();
    const TexValue pos = db.ReadValue("pos");
    const std::int32_t waveValue = db.ReadValue("wave").Int(0);
    const std::string textValue = db.ReadValue("text").Text();
    name = nameValue;
    text = textValue;
    if (box != nullptr) font = box->FindToyAs<TToyFont>(kClassFont, fontId);
    x = pos.Int(0);
    y = pos.Int(1);
    // The wave lives in the font: every text drawn with it waves from now on. Without a font it is dropped.
    if (waveValue != 0 && font != nullptr) font->wave = true;
}

void TToyCaption::Draw(std::int32_t offsetX, std::int32_t offsetY) {
    if (visible == 0 || font == nullptr) return;
    const std::int64_t left = std::int64_t{offsetX} + x;
    const std::int64_t top = std::int64_t{offsetY} + y;
    if (!FitsDrawCoord(left) || !FitsDrawCoord(top)) return;
    font->DrawString(static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), text);
}

void TToyCaption::WriteRecord(std::vector<std::string>& lines) const {
    TToyShape::WriteRecord(lines);
    lines.push_back("\tfontId\t\t" + (font != nullptr ? font->name : std::string()));
    lines.push_back("\ttext\t\t" + text);
    lines.emplace_back("}");
}
