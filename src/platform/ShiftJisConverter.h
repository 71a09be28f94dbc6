#pragma once
// One Shift-JIS character at a time as UTF-8, by whatever the system offers: iconv on the desktop and
// on Windows, the browser's own decoder in the page (so the page carries no conversion tables).
#include <string>
#include <string_view>

namespace platform {

class ShiftJisConverter {
public:
    ShiftJisConverter();
    ~ShiftJisConverter();
    ShiftJisConverter(const ShiftJisConverter&) = delete;
    ShiftJisConverter& operator=(const ShiftJisConverter&) = delete;

    // Appends `character` (one byte, or a lead byte and its trail byte) as UTF-8 and answers true;
    // false, with nothing appended, when the bytes are not one Shift-JIS character or the system has
    // no converter.
    bool Append(std::string_view character, std::string& out);

private:
    [[maybe_unused]] void* handle = nullptr;  // the system's converter, where it has one (the page has none)
};

}  // namespace platform
