#include "support/TestMedia.h"

#include <filesystem>
#include <random>

namespace testmedia {

namespace {
void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
std::vector<std::uint8_t> Header(int width, int height, int bits, std::uint32_t paletteCount, std::uint32_t imageSize) {
    std::vector<std::uint8_t> out;
    const std::uint32_t offset = 14 + 40 + paletteCount * 4;
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + imageSize);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(bits));
    Put32(out, 0);
    Put32(out, imageSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, paletteCount);
    Put32(out, 0);
    return out;
}
}  // namespace

std::vector<std::uint8_t> MakeBmp8(int width, int height, const std::vector<std::uint32_t>& palette,
                                   const std::vector<std::uint8_t>& pixels) {
    const int stride = (width + 3) & ~3;
    auto out = Header(width, height, 8, static_cast<std::uint32_t>(palette.size()),
                      static_cast<std::uint32_t>(stride * height));
    for (std::uint32_t rgb : palette) {
        out.push_back(rgb & 0xFF);
        out.push_back((rgb >> 8) & 0xFF);
        out.push_back((rgb >> 16) & 0xFF);
        out.push_back(0);
    }
    for (int row = height - 1; row >= 0; --row) {
        for (int x = 0; x < stride; ++x) {
            out.push_back(x < width ? pixels[static_cast<std::size_t>(row * width + x)] : 0);
        }
    }
    return out;
}

std::vector<std::uint8_t> MakeBmp24(int width, int height, const std::vector<std::uint32_t>& pixels) {
    const int stride = (width * 3 + 3) & ~3;
    auto out = Header(width, height, 24, 0, static_cast<std::uint32_t>(stride * height));
    for (int row = height - 1; row >= 0; --row) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t rgb = pixels[static_cast<std::size_t>(row * width + x)];
            out.push_back(rgb & 0xFF);
            out.push_back((rgb >> 8) & 0xFF);
            out.push_back((rgb >> 16) & 0xFF);
        }
        for (int pad = width * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

ScopedResources::ScopedResources(std::vector<Resource> resources) : owned(std::move(resources)) {
    for (auto& r : owned) {
        r.bytes.push_back(0);  // the zero byte the program's table also keeps behind each entry
        entries.push_back({r.type.c_str(), r.name.c_str(), r.bytes.data(), r.bytes.size() - 1});
    }
    table = {entries.data(), entries.size()};
    platform::SetResourceTable(&table);
}

ScopedResources::~ScopedResources() { platform::SetResourceTable(nullptr); }

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TempFolder::TempFolder(const std::string& prefix) {
    // A name nobody has yet: creating an existing folder fails, and the next number is tried.
    std::random_device random;
    std::error_code failed;
    const std::filesystem::path base = std::filesystem::temp_directory_path(failed);
    for (int attempt = 0; attempt < 100 && !failed && path.empty(); ++attempt) {
        const std::filesystem::path candidate = base / (prefix + "." + std::to_string(random()));
        if (std::filesystem::create_directory(candidate, failed)) path = candidate.string();
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

}  // namespace testmedia
