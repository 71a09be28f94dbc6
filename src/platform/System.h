#pragma once
// What the C library and the operating system offer differently on POSIX systems and on Windows,
// behind one small interface; the build compiles platform/posix/System.cpp or platform/windows/System.cpp.
#include <ctime>
#include <string>

namespace platform {

// `when` in the local time zone; false when the system cannot convert it.
bool LocalTime(std::time_t when, std::tm& local);

// Sets an environment variable for this process and the programs it starts; an existing value stays
// unless `replace`. UnsetEnvironment removes one.
void SetEnvironment(const char* name, const char* value, bool replace);
void UnsetEnvironment(const char* name);

// A file created (or emptied) for writing, as any file the user saves (0666 less the umask on POSIX
// systems), in binary mode and not inherited by child processes: a descriptor, or -1 with errno set.
int CreateForWriting(const std::string& path);

// The calling thread yields to the game's own threads: it does background work.
void LowerThreadPriority();

// A function the running program holds under that name, or null: a library may or may not bring it.
void* OptionalSymbol(const char* name);

// Messages of a program started from a terminal go to that terminal. Called first thing in main.
void AttachTerminal();

}  // namespace platform
