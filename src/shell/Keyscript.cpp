#include "shell/Keyscript.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "platform/Keycodes.h"

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

bool ParseKeyScript(const std::string& text, std::vector<TKeyEvent>& events, std::string& error) {
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream fields(line);
        std::string frameText, key, action, extra;
        if (!(fields >> frameText)) continue;
        char* end = nullptr;
        errno = 0;
        const long long frame = std::strtoll(frameText.c_str(), &end, 10);
        if (!(fields >> key >> action) || (fields >> extra) || *end != '\0' || frame < 0) {
            error = "line " + std::to_string(lineNo) + ": expected FRAME KEY down|up";
            return false;
        }
        if (errno == ERANGE || frame > kMaxFrame) {
            error = "line " + std::to_string(lineNo) + ": frame " + frameText + " is beyond any run (at most " +
                    std::to_string(kMaxFrame) + ")";
            return false;
        }
        const int code = platform::KeyCodeFromName(key);
        if (code < 0) {
            error = "line " + std::to_string(lineNo) + ": unknown key '" + key + "'";
            return false;
        }
        action = Lower(action);
        if (action != "down" && action != "up") {
            error = "line " + std::to_string(lineNo) + ": expected down or up, not '" + action + "'";
            return false;
        }
        events.push_back({frame, code, action == "down"});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const TKeyEvent& a, const TKeyEvent& b) { return a.frame < b.frame; });
    return true;
}
