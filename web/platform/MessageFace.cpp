// The page carries no TrueType engine nor the game's Japanese face: a text the signs' lettering cannot
// write shows its characters as '?'. Takes the place of src/platform/MessageFace.cpp in web/CMakeLists.txt.
#include "platform/MessageFace.h"

namespace platform {

MessageFace::MessageFace(int) {}
MessageFace::~MessageFace() = default;
int MessageFace::Measure(const std::string&) const { return 0; }
int MessageFace::LineSkip() const { return 0; }
SDL_Surface* MessageFace::Render(const std::string&) const { return nullptr; }

}  // namespace platform
