#include "platform/Places.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/Screenshot.h"

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

std::vector<std::string> PictureFolders() {
    const char* home = std::getenv("HOME");
    const std::string homeFolder = home ? home : "";
    std::vector<std::string> folders;
    const std::string answer = AskXdgUserDir();
    if (IsFolder(answer) && !(IsFolder(homeFolder) && SameFolder(answer, homeFolder))) folders.push_back(answer);
    if (!homeFolder.empty()) folders.push_back((std::filesystem::path(homeFolder) / "Pictures").string());
    return folders;
}

std::vector<std::string> SoundFontPlaces() { return {"/usr/share/sounds/sf2/default-GM.sf2"}; }

std::vector<std::string> FontPlaces() {
    return {
        "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf",
        "/usr/share/fonts/truetype/ipafont-gothic/ipagp.ttf",
        "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
        "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf",
    };
}

std::string SoundFontRemedy() { return "install timgm6mb-soundfont"; }

}  // namespace platform
