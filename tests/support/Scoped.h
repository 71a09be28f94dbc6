#pragma once
// Environment variables and the working directory, changed while a test's object lives.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/System.h"

namespace testmedia {

// Sets (or with nullopt unsets) an environment variable while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name(name) {
        if (const char* old = std::getenv(name)) saved = old;
        if (value)
            platform::SetEnvironment(name, value->c_str(), true);
        else
            platform::UnsetEnvironment(name);
    }
    ~ScopedEnv() {
        if (saved)
            platform::SetEnvironment(name, saved->c_str(), true);
        else
            platform::UnsetEnvironment(name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name;
    std::optional<std::string> saved;
};

class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::filesystem::path& path) : saved(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~ScopedWorkingDirectory() { std::filesystem::current_path(saved); }
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

private:
    std::filesystem::path saved;
};

}  // namespace testmedia
