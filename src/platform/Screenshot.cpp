#include "platform/Screenshot.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/System.h"

namespace platform {

std::string TimestampedName(const std::string& prefix, std::time_t when, const std::string& extension) {
    std::tm local{};
    char stamp[32] = "00000000-000000";
    if (LocalTime(when, local)) std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string name = prefix.empty() ? stamp : prefix + "-" + stamp;
    if (!extension.empty()) name += extension.front() == '.' ? extension : "." + extension;
    return name;
}

std::string UnusedPath(const std::string& folder, const std::string& name) {
    const std::filesystem::path base(folder);
    const std::filesystem::path file(name);
    const std::string stem = file.stem().string();
    const std::string extension = file.extension().string();
    std::error_code ignored;
    std::filesystem::path candidate = base / name;
    for (int n = 2; std::filesystem::exists(std::filesystem::symlink_status(candidate, ignored)); ++n)
        candidate = base / (stem + "-" + std::to_string(n) + extension);
    return candidate.string();
}

}  // namespace platform
