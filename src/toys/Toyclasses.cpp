#include "toys/Toyclasses.h"

#include "toys/Toyanime.h"
#include "toys/Toycaption.h"
#include "toys/Toyfont.h"
#include "toys/Toyframe.h"
#include "toys/Toyimage.h"
#include "toys/Toynumber.h"
#include "toys/Toypicture.h"
#include "toys/Toyplayer.h"
#include "toys/Toysound.h"

namespace {

template <class T>
std::unique_ptr<TToyObject> Make(TToyBox* box, TTexDb& db) {
    return std::make_unique<T>(box, db);
}

constexpr TToyClass kGameClasses[] = {
    {kClassImage, Make<TToyImage>},     {kClassSound, Make<TToySound>},   {kClassFont, Make<TToyFont>},
    {kClassPicture, Make<TToyPicture>}, {kClassNumber, Make<TToyNumber>}, {kClassCaption, Make<TToyCaption>},
    {kClassFrame, Make<TToyFrame>},     {kClassAnime, Make<TToyAnime>},   {kClassPlayer, Make<TToyPlayer>},
};

}  // namespace

TToyClasses GameToyClasses() { return kGameClasses; }
