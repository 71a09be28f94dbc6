#include "platform/TextEncoding.h"

#include <iconv.h>

#include <cerrno>

namespace platform {

std::string ShiftJisToUtf8(std::string_view bytes) {
    std::string out;
    if (bytes.empty()) return out;
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-8", "SHIFT_JIS");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // No converter: keep what is plain ASCII.
        for (char c : bytes) out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '?');
        return out;
    }
    std::string input(bytes);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // An invalid or cut-off sequence: one replacement character, then go on after its first byte.
        out.push_back('?');
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

}  // namespace platform
