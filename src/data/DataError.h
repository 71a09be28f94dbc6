#pragma once
// The one error a data load ends with; its message is shown to the player as it stands (UTF-8).
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

class EDataError : public std::runtime_error {
public:
    explicit EDataError(const std::string& message, std::string advice = {}, std::int32_t line = 0)
        : std::runtime_error(message), advice(std::move(advice)), line(line) {}

    // One English line beside the message: what was looked for where, and what to do about it.
    const std::string& Advice() const { return advice; }
    // The line of the text the error is on (from 1), or 0 when it is about no one line.
    std::int32_t Line() const { return line; }

private:
    std::string advice;
    std::int32_t line;
};
