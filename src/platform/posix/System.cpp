#include "platform/System.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

namespace {
// The nice value of background workers: well below the game's frames, still making progress.
constexpr int kBackgroundNice = 10;
}  // namespace

bool LocalTime(std::time_t when, std::tm& local) { return localtime_r(&when, &local) != nullptr; }

void SetEnvironment(const char* name, const char* value, bool replace) { ::setenv(name, value, replace ? 1 : 0); }

void UnsetEnvironment(const char* name) { ::unsetenv(name); }

int CreateForWriting(const std::string& path) { return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666); }

void LowerThreadPriority() {
    // On Linux a nice value set for one thread id is that thread's alone. A failure leaves it as it was.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kBackgroundNice);
}

void* OptionalSymbol(const char* name) { return dlsym(RTLD_DEFAULT, name); }

void AttachTerminal() {}  // a terminal's program writes to it already

}  // namespace platform
