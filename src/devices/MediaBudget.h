#pragma once
// The decoded media a device holds at once, counted in bytes against one total. Each file is bounded
// on its own (a picture, a sound), but tiny files that declare huge blank pictures or long silent
// sounds add up: a scene's folder must not be able to ask for gigabytes. Past the total the device
// refuses the file, as it refuses a broken one, and the game runs on without it.
#include <cstdint>
#include <string>

class TMediaBudget {
public:
    // `what` names the media in the message ("pictures", "sounds").
    TMediaBudget(std::uint64_t limitBytes, std::string what);

    // Takes `bytes` for `file`; false, with one line on standard error naming the file, when they
    // would take the total past the limit (nothing is taken then).
    bool Take(std::uint64_t bytes, const std::string& file);
    // Gives back what a Take took, when the media is freed.
    void Give(std::uint64_t bytes);
    void Clear() { used = 0; }

    std::uint64_t Used() const { return used; }
    std::uint64_t Limit() const { return limit; }

private:
    std::uint64_t limit;
    std::uint64_t used = 0;
    std::string what;
};
