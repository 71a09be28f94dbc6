// The page converts with the browser's own Shift_JIS decoder, so it carries none of the C library's
// conversion tables (some 140 KB of the download). Takes the place of
// src/platform/ShiftJisConverter.cpp in web/CMakeLists.txt.
#include "platform/ShiftJisConverter.h"

#include <emscripten.h>

namespace platform {

ShiftJisConverter::ShiftJisConverter() = default;
ShiftJisConverter::~ShiftJisConverter() = default;

bool ShiftJisConverter::Append(std::string_view character, std::string& out) {
    if (character.empty() || character.size() > 2) return false;
    char utf8[16];
    // A fatal decoder throws where the bytes are no character; one character is at most 4 bytes of UTF-8.
    const int written = EM_ASM_INT(
        {
            if (!Module.pelloroShiftJis) Module.pelloroShiftJis = new TextDecoder('shift_jis', {fatal : true});
            let text;
            try {
                text = Module.pelloroShiftJis.decode(HEAPU8.slice($0, $0 + $1));
            } catch (e) {
                return -1;
            }
            // The browser reads a lone 0x80 as the control character U+0080, which code page 932
            // does not have: refused, as on the desktop.
            if (text.codePointAt(0) < 0xA0) return -1;
            return lengthBytesUTF8(text) < $3 ? stringToUTF8(text, $2, $3) : -1;
        },
        character.data(), static_cast<int>(character.size()), utf8, static_cast<int>(sizeof utf8));
    if (written <= 0) return false;
    out.append(utf8, static_cast<std::size_t>(written));
    return true;
}

}  // namespace platform
