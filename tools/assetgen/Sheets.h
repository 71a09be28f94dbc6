#pragma once
// Review pictures of the art: a contact sheet and a mock of the play screen.
#include <string>
#include <vector>

#include "Raster.h"

namespace art {

struct NamedImage {
    std::string name;  // resource file name without extension
    Image image;
};

Image ContactSheet(const std::vector<NamedImage>& images);
// Four screens: the balloon phase, play, the title and a cleared stage.
Image SceneMock(const std::vector<NamedImage>& images);

}  // namespace art
