#pragma once
// A shell command run to its end, its standard output read back (POSIX only: the tests that run
// programs are left out of the Windows build).
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace testmedia {

struct CommandResult {
    int status = -1;     // the exit status; -1 when it could not start or did not exit by itself
    std::string output;  // its standard output (add 2>&1 to the command for standard error too)
};

inline CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, got);
    const int raw = ::pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

}  // namespace testmedia
