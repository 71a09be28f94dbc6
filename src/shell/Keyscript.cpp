#include "shell/Keyscript.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "platform/Keycodes.h"
#include "platform/MessageText.h"

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
    const auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(lineNo) + ": " + what;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream fields(line);
        std::string frameText, key, action, extra;
        if (!(fields >> frameText)) continue;
        if (!(fields >> key >> action) || (fields >> extra)) {
            return fail("expected FRAME KEY down|up, three fields, not '" + platform::Utf8ForMessage(line) + "'");
        }
        const std::string quoted = "'" + platform::Utf8ForMessage(frameText) + "'";
        if (frameText[0] == '-' && frameText.size() > 1) {
            return fail("frame " + quoted + " is negative; frames count from 0");
        }
        if (!std::all_of(frameText.begin(), frameText.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            return fail("frame " + quoted + " is not a whole number of frames in decimal digits");
        }
        errno = 0;
        const long long frame = std::strtoll(frameText.c_str(), nullptr, 10);
        if (errno == ERANGE || frame > kMaxFrame) {
            return fail("frame " + quoted + " is beyond any run (at most " + std::to_string(kMaxFrame) + ")");
        }
        const int code = platform::KeyCodeFromName(key);
        if (code < 0) {
            return fail("unknown key '" + platform::Utf8ForMessage(key) +
                        "'; use Up, Down, Left, Right, Space, Return, Escape, a letter or a DirectInput code 0-255");
        }
        action = Lower(action);
        if (action != "down" && action != "up") {
            return fail("expected down or up, not '" + platform::Utf8ForMessage(action) + "'");
        }
        events.push_back({frame, code, action == "down"});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const TKeyEvent& a, const TKeyEvent& b) { return a.frame < b.frame; });
    return true;
}
