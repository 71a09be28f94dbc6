#include "platform/ShiftJisConverter.h"

#include <iconv.h>

namespace platform {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

}  // namespace

ShiftJisConverter::ShiftJisConverter() {
    // Code page 932 is what the game's texts were written in; plain Shift-JIS differs in a few places.
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == kNoConverter) cd = iconv_open("UTF-8", "SHIFT_JIS");
    if (cd != kNoConverter) handle = cd;
}

ShiftJisConverter::~ShiftJisConverter() {
    if (handle) iconv_close(static_cast<iconv_t>(handle));
}

bool ShiftJisConverter::Append(std::string_view character, std::string& out) {
    if (!handle || character.empty() || character.size() > 2) return false;
    const auto cd = static_cast<iconv_t>(handle);
    char input[2] = {character[0], character.size() == 2 ? character[1] : '\0'};
    char buffer[8];
    char* in = input;
    char* outPtr = buffer;
    std::size_t inLeft = character.size(), outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) return false;
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    return true;
}

}  // namespace platform
