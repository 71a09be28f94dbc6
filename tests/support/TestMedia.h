#pragma once
// Small media made in memory for tests: bitmaps, and a resource table a test installs for its lifetime.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/Resources.h"

namespace testmedia {

// An uncompressed 8-bit bottom-up BMP. `palette` holds 0xRRGGBB entries (entry 0 is usually black);
// `pixels` holds width × height palette indices, top row first.
std::vector<std::uint8_t> MakeBmp8(int width, int height, const std::vector<std::uint32_t>& palette,
                                   const std::vector<std::uint8_t>& pixels);

// A 24-bit BMP from 0xRRGGBB pixels, top row first.
std::vector<std::uint8_t> MakeBmp24(int width, int height, const std::vector<std::uint32_t>& pixels);

struct Resource {
    std::string type;
    std::string name;
    std::vector<std::uint8_t> bytes;
};

// Installs a resource table holding exactly these entries while it lives; the program's table comes back after.
class ScopedResources {
public:
    explicit ScopedResources(std::vector<Resource> resources);
    ~ScopedResources();
    ScopedResources(const ScopedResources&) = delete;
    ScopedResources& operator=(const ScopedResources&) = delete;

private:
    std::vector<Resource> owned;
    std::vector<platform::ResourceEntry> entries;
    platform::ResourceTable table{};
};

std::vector<std::uint8_t> Bytes(const std::string& text);

// A folder of the test's own under the temporary folder, removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "pelloro-test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

}  // namespace testmedia
