// The GL probe of platform/RendererChoice on POSIX systems: a child process asks, so that a software
// GL driver, which we would not use, never takes this process's memory.
#include <SDL.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/RendererChoice.h"

namespace platform {

std::string ProbeGlRendererApart(int timeoutMs) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        std::string name;
        if (SDL_Init(SDL_INIT_VIDEO) == 0) name = ProbeGlRenderer();
        const char* at = name.data();
        std::size_t left = name.size();
        while (left > 0) {
            const ssize_t n = ::write(fds[1], at, left);
            if (n <= 0) break;
            at += n;
            left -= static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    if (child < 0) {
        ::close(fds[0]);
        return {};
    }
    std::string name;
    pollfd wait{fds[0], POLLIN, 0};
    char buffer[256];
    bool done = false;
    while (!done && name.size() < 4096 && ::poll(&wait, 1, timeoutMs) > 0) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0) done = true;
        else name.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    // A driver that hangs is no driver to use.
    if (!done) {
        ::kill(child, SIGKILL);
        name.clear();
    }
    ::waitpid(child, nullptr, 0);
    return name;
}

std::string NoGpuReason() { return HasGpuDevice("/dev/dri") ? std::string() : "no GPU device in /dev/dri"; }

}  // namespace platform
