#pragma once
// The one error a data load ends with; its message is shown to the player as it stands (UTF-8).
#include <stdexcept>
#include <string>

class EDataError : public std::runtime_error {
public:
    explicit EDataError(const std::string& message) : std::runtime_error(message) {}
};
