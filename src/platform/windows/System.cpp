#include "platform/System.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace platform {

bool LocalTime(std::time_t when, std::tm& local) { return localtime_s(&local, &when) == 0; }

void SetEnvironment(const char* name, const char* value, bool replace) {
    // _putenv_s changes the C library's copy and the process environment SDL reads alike.
    if (!replace && std::getenv(name)) return;
    _putenv_s(name, value);
}

void UnsetEnvironment(const char* name) { _putenv_s(name, ""); }

int CreateForWriting(const std::string& path) {
    return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

void LowerThreadPriority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); }

void* OptionalSymbol(const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), name));
}

void AttachTerminal() {
    // The program is a GUI one, so a double click opens no console window; started from a console it
    // writes there, unless its output was already given somewhere (a pipe, a file).
    const auto given = [](DWORD which) {
        HANDLE handle = GetStdHandle(which);
        return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
    };
    const bool outGiven = given(STD_OUTPUT_HANDLE);
    const bool errGiven = given(STD_ERROR_HANDLE);
    if ((outGiven && errGiven) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!outGiven && std::freopen("CONOUT$", "w", stdout)) std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (!errGiven && std::freopen("CONOUT$", "w", stderr)) std::setvbuf(stderr, nullptr, _IONBF, 0);
}

}  // namespace platform
