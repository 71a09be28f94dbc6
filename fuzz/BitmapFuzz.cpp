// Arbitrary bytes as the only bitmap resource: CreateSprite must refuse or load them, and drawing
// cells of whatever loaded must stay inside the bitmap and the back buffer.
// Input: byte 0 and 1 are the cell width and height (signed), the rest is the bitmap.
// Pictures declared larger than 4 M pixels are skipped: below the memory bound the decoder does the
// same work at any size, and the bound itself is plain arithmetic the unit tests pin down, while a
// sanitised decode near 256 MiB takes seconds and would starve the search.
#include <cstddef>
#include <cstdint>

#include "devices/Vekdraw.h"
#include "platform/Resources.h"

namespace {
std::uint64_t DeclaredPixels(const std::uint8_t* d, std::size_t size) {
    if (size < 26) return 0;
    auto u16 = [&](std::size_t at) { return static_cast<std::uint64_t>(d[at] | d[at + 1] << 8); };
    auto i32 = [&](std::size_t at) {
        const auto v = static_cast<std::int32_t>(static_cast<std::uint32_t>(u16(at) | u16(at + 2) << 16));
        return static_cast<std::uint64_t>(v < 0 ? -static_cast<std::int64_t>(v) : v);
    };
    if (u16(14) == 12) return u16(18) * u16(20);
    return i32(18) * i32(22);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TVekDraw* draw = [] {
        auto* device = new TVekDraw;
        device->InitHeadless(TPixelFormat::kXrgb32, 320, 240);
        return device;
    }();
    static platform::ResourceEntry entry{"BITMAP", "X", nullptr, 0};
    static const platform::ResourceTable table{&entry, 1};
    if (size < 2) return 0;
    if (DeclaredPixels(data + 2, size - 2) > (std::uint64_t{1} << 22)) return 0;
    const int cellWidth = static_cast<std::int8_t>(data[0]);
    const int cellHeight = static_cast<std::int8_t>(data[1]);
    entry.data = data + 2;
    entry.size = size - 2;
    platform::SetResourceTable(&table);

    if (draw->CreateSprite("s", "X", cellWidth, cellHeight)) {
        TSpriteSurf* sprite = draw->GetSpriteSurf("s");
        const int cells[] = {0, 1, sprite ? sprite->cellCount - 1 : 0, sprite ? sprite->cellCount : 0};
        const int places[][2] = {{0, 0}, {-5, -7}, {300, 230}, {100, 100}, {-100000, 5}};
        for (int cell : cells) {
            for (const auto& at : places) draw->Draw(at[0], at[1], "s", cell, 0, 0);
        }
        draw->SetClip(3, 4, 200, 100);
        draw->Draw(1, 2, "s", 0, 0, 0);
        draw->SetClip(-1, -1, -1, -1);
        draw->DeleteSprite("s");
    }
    platform::SetResourceTable(nullptr);
    return 0;
}
