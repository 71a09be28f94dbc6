#include "devices/MediaBudget.h"

#include <cstdio>
#include <utility>

TMediaBudget::TMediaBudget(std::uint64_t limitBytes, std::string what) : limit(limitBytes), what(std::move(what)) {}

bool TMediaBudget::Take(std::uint64_t bytes, const std::string& file) {
    if (bytes > limit - used) {
        constexpr std::uint64_t kMiB = 1u << 20;
        std::fprintf(stderr,
                     "Pelloro: %s not loaded: the scene's %s would take more than %llu MB decoded (this one %llu MB); "
                     "use fewer or smaller files.\n",
                     file.c_str(), what.c_str(), static_cast<unsigned long long>(limit / kMiB),
                     static_cast<unsigned long long>((bytes + kMiB - 1) / kMiB));
        return false;
    }
    used += bytes;
    return true;
}

void TMediaBudget::Give(std::uint64_t bytes) { used = bytes > used ? 0 : used - bytes; }
