#include "platform/Screenshot.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>
#include <unistd.h>

namespace platform {

namespace {

// The answer of `xdg-user-dir PICTURES`, empty when the command is missing or says nothing.
std::string AskXdgUserDir() {
    std::FILE* pipe = popen("xdg-user-dir PICTURES 2>/dev/null", "r");
    if (!pipe) return {};
    std::string answer;
    char buffer[512];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) answer.append(buffer, got);
    pclose(pipe);
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
    return answer;
}

bool IsFolder(const std::string& path) {
    std::error_code ignored;
    return !path.empty() && std::filesystem::is_directory(path, ignored);
}

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code failed;
    const bool same = std::filesystem::equivalent(a, b, failed);
    return !failed && same;
}

}  // namespace

std::string PicturesFolder() {
    const char* home = std::getenv("HOME");
    const std::string homeFolder = home ? home : "";
    const std::string answer = AskXdgUserDir();
    if (IsFolder(answer) && !(IsFolder(homeFolder) && SameFolder(answer, homeFolder))) return answer;
    if (IsFolder(homeFolder)) {
        const std::string pictures = (std::filesystem::path(homeFolder) / "Pictures").string();
        if (IsFolder(pictures)) return pictures;
    }
    std::error_code failed;
    const std::filesystem::path here = std::filesystem::current_path(failed);
    return failed ? std::string(".") : here.string();
}

std::string CaptureFolder(std::string* fallback) {
    if (fallback) fallback->clear();
    const char* home = std::getenv("HOME");
    const std::string homeFolder = home ? home : "";
    std::vector<std::filesystem::path> bases;
    const std::string answer = AskXdgUserDir();
    if (IsFolder(answer) && !(IsFolder(homeFolder) && SameFolder(answer, homeFolder))) bases.emplace_back(answer);
    if (!homeFolder.empty()) bases.push_back(std::filesystem::path(homeFolder) / "Pictures");
    std::string why = "no home folder is set (HOME)";
    for (const std::filesystem::path& base : bases) {
        const std::filesystem::path folder = base / "Pelloro";
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (!ec && IsFolder(folder.string()) && ::access(folder.c_str(), W_OK) == 0) return folder.string();
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
    if (localtime_r(&when, &local)) std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
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
