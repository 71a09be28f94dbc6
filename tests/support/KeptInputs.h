#pragma once
// Malformed inputs kept as files under tests/inputs/<folder>, each named in its expected.txt beside
// the outcome it must have ("FILE OUTCOME" a line, '#' starts a comment).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testmedia {

// Calls `check` for every listed file with its bytes and expected outcome, then checks that every
// file ending in `extension` there is listed (none silently skipped) and that at least `atLeast` are.
void ForEachKeptInput(const std::string& folder, const std::string& extension, std::size_t atLeast,
                      const std::function<void(const std::string& file, const std::vector<std::uint8_t>& bytes,
                                               const std::string& expected)>& check);

}  // namespace testmedia
