#include "platform/Screenshot.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/Places.h"
#include "platform/System.h"

namespace platform {

namespace {

bool IsWritableFolder(const std::filesystem::path& folder) {
    std::error_code failed;
    if (!std::filesystem::is_directory(folder, failed)) return false;
    const auto permissions = std::filesystem::status(folder, failed).permissions();
    return !failed && (permissions & std::filesystem::perms::owner_write) != std::filesystem::perms::none;
}

}  // namespace

std::string CaptureFolder(std::string* fallback) {
    if (fallback) fallback->clear();
    std::string why = "no pictures folder is known (HOME is not set)";
    for (const std::string& base : PictureFolders()) {
        const std::filesystem::path folder = std::filesystem::path(base) / "Pelloro";
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (!ec && IsWritableFolder(folder)) return folder.string();
        why = "cannot make or write " + folder.string() + (ec ? " (" + ec.message() + ")" : std::string());
    }
    std::error_code failed;
    const std::filesystem::path here = std::filesystem::current_path(failed);
    const std::string folder = failed ? std::string(".") : here.string();
    if (fallback) *fallback = why + "; captures are saved in the working folder " + folder;
    return folder;
}

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
