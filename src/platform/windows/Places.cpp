#include "platform/Places.h"

#include <shlobj.h>
#include <windows.h>

#include <filesystem>
#include <system_error>

#include "platform/Screenshot.h"

namespace platform {

namespace {

// The folder of pelloro.exe: what the program needs beside it comes in the same zip.
std::filesystem::path ProgramFolder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) {
            name.resize(length);
            return std::filesystem::path(name).parent_path();
        }
        name.resize(name.size() * 2);
    }
}

// A path as the narrow file functions take it (the ANSI code page); empty when it has no such spelling.
std::string Narrow(const std::filesystem::path& path) {
    try {
        return path.string();
    } catch (const std::system_error&) {
        return {};
    }
}

std::string Beside(const char* file) {
    const std::filesystem::path folder = ProgramFolder();
    return folder.empty() ? std::string() : Narrow(folder / file);
}

std::string WindowsFonts(const char* file) {
    wchar_t windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return Narrow(std::filesystem::path(windows) / "Fonts" / file);
}

}  // namespace

std::string PicturesFolder() {
    PWSTR known = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_DEFAULT, nullptr, &known)))
        folder = Narrow(known);
    CoTaskMemFree(known);
    std::error_code ignored;
    if (!folder.empty() && std::filesystem::is_directory(folder, ignored)) return folder;
    const std::filesystem::path here = std::filesystem::current_path(ignored);
    return ignored ? std::string(".") : Narrow(here);
}

std::vector<std::string> PictureFolders() {
    PWSTR known = nullptr;
    std::vector<std::string> folders;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_DEFAULT, nullptr, &known))) folders.push_back(Narrow(known));
    CoTaskMemFree(known);
    return folders;
}

std::vector<std::string> SoundFontPlaces() { return {Beside("default-GM.sf2")}; }

std::vector<std::string> FontPlaces() {
    // The zip's IPA gothic; else Windows' own Japanese gothic (every Windows since 8 has it).
    return {Beside("ipagp.ttf"), WindowsFonts("ipagp.ttf"), WindowsFonts("msgothic.ttc")};
}

std::string SoundFontRemedy() {
    return "put a General MIDI SoundFont named default-GM.sf2 beside pelloro.exe (the zip has one)";
}

}  // namespace platform
