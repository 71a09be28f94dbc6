#include "platform/LibraryNoise.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace platform {

LibraryNoise::LibraryNoise() {
    std::fflush(stderr);
    // An unnamed file: nothing is left behind, and a folder that cannot hold it only means no filtering.
    std::FILE* file = std::tmpfile();
    scratch = file ? ::dup(::fileno(file)) : -1;
    if (file) std::fclose(file);
    if (scratch < 0) return;
    saved = ::dup(STDERR_FILENO);
    if (saved < 0 || ::dup2(scratch, STDERR_FILENO) < 0) {
        if (saved >= 0) ::close(saved);
        ::close(scratch);
        saved = scratch = -1;
    }
}

LibraryNoise::~LibraryNoise() {
    if (saved < 0) return;
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    if (std::FILE* held = ::fdopen(scratch, "r")) {
        std::rewind(held);
        char line[1024];
        while (std::fgets(line, sizeof line, held)) {
            if (!IsNoise(line)) std::fputs(line, stderr);
        }
        std::fclose(held);
    } else {
        ::close(scratch);
    }
}

bool LibraryNoise::IsNoise(const char* line) {
    static const char* const kNoise[] = {"ALSA lib ", "Cannot connect to server", "jack server is not running",
                                         "JackShmReadWritePtr"};
    for (const char* noise : kNoise) {
        if (std::strstr(line, noise) == line) return true;
    }
    return false;
}

}  // namespace platform
