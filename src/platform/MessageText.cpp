#include "platform/MessageText.h"

#include <cstdio>

#include "platform/ShiftJisConverter.h"
#include "platform/TextEncoding.h"

namespace platform {

namespace {

void AppendEscape(std::string& out, unsigned char byte) {
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02X", byte);
    out += escape;
}

bool IsControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

// The length of the valid UTF-8 sequence at `at` (1 to 4), or 0 when the bytes there are not one.
std::size_t Utf8Length(std::string_view s, std::size_t at) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[at + k]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > s.size()) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(k) < 0x80 || byte(k) > 0xBF) return 0;
    }
    return length;
}

// Closes the quote: "…" when input was left over.
std::string& Finish(std::string& out, bool cut) {
    if (cut) out += "…";
    return out;
}

}  // namespace

std::string Utf8ForMessage(std::string_view bytes, std::size_t maxChars) {
    std::string out;
    std::size_t chars = 0, at = 0;
    while (at < bytes.size() && chars < maxChars) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        const std::size_t length = Utf8Length(bytes, at);
        if (length == 0 || IsControl(byte)) {
            AppendEscape(out, byte);
            ++at;
        } else {
            out.append(bytes.substr(at, length));
            at += length;
        }
        ++chars;
    }
    return Finish(out, at < bytes.size());
}

std::string ShiftJisForMessage(std::string_view bytes, std::size_t maxChars) {
    std::string out;
    ShiftJisConverter converter;
    std::size_t chars = 0, at = 0;
    while (at < bytes.size() && chars < maxChars) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        ++chars;
        if (byte < 0x80) {
            if (IsControl(byte))
                AppendEscape(out, byte);
            else
                out.push_back(static_cast<char>(byte));
            ++at;
            continue;
        }
        // Converted one character at a time, so that a bad one is escaped without losing the good
        // ones around it.
        const std::size_t length = ShiftJisCharacterLength(bytes, at);
        if (converter.Append(bytes.substr(at, length), out)) {
            at += length;
        } else {
            AppendEscape(out, byte);
            ++at;
        }
    }
    return Finish(out, at < bytes.size());
}

}  // namespace platform
