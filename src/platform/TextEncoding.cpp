#include "platform/TextEncoding.h"

#include "platform/ShiftJisConverter.h"

namespace platform {

std::size_t ShiftJisCharacterLength(std::string_view bytes, std::size_t at) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return lead && at + 1 < bytes.size() ? 2 : 1;
}

std::string ShiftJisToUtf8(std::string_view bytes) {
    std::string out;
    ShiftJisConverter converter;
    for (std::size_t at = 0; at < bytes.size();) {
        if (static_cast<unsigned char>(bytes[at]) < 0x80) {
            out.push_back(bytes[at++]);
            continue;
        }
        // An invalid or cut-off sequence: one replacement character, then go on after its first byte.
        const std::size_t length = ShiftJisCharacterLength(bytes, at);
        if (converter.Append(bytes.substr(at, length), out)) {
            at += length;
        } else {
            out.push_back('?');
            ++at;
        }
    }
    return out;
}

}  // namespace platform
