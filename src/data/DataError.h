#pragma once
// The one error a data load ends with; its message is shown to the player as it stands (UTF-8).
#include <stdexcept>
#include <string>
#include <utility>

class EDataError : public std::runtime_error {
public:
    explicit EDataError(const std::string& message, std::string advice = {})
        : std::runtime_error(message), advice(std::move(advice)) {}

    // One English line beside the message: what was looked for where, and what to do about it.
    const std::string& Advice() const { return advice; }

private:
    std::string advice;
};
