#pragma once
// A wave registered on the sound device as a buffer under the toy's name.
#include <string>

#include "toys/Toyobject.h"

class TTexDb;

class TToySound : public TToyObject {
public:
    TToySound(TToyBox* box, TTexDb& db);

    void WriteRecord(std::vector<std::string>& lines) const override;

    std::string fileName;
};
