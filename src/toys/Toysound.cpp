#include "toys/Toysound.h"

#include "data/Texdb.h"
#include "data/Toybox.h"

TToySound::TToySound(TToyBox* box, TTexDb& db) : TToyObject(box, kClassSound, "") {
    const std::string nameValue = db.ReadValue("name").Text();
    const std::string fileValue = db.ReadValue("fileName").Text();
    // A wave that does not load leaves a sound toy all the same; playing its name then does nothing.
    if (box != nullptr) box->LoadSound(nameValue, fileValue);
    name = nameValue;
    fileName = fileValue;
}

void TToySound::WriteRecord(std::vector<std::string>& lines) const {
    TToyObject::WriteRecord(lines);
    lines.push_back("\tfileName\t" + fileName);
    lines.emplace_back("}");
}
