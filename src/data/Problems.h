#pragma once
// What a check of a modder's data found: each problem as "file:line: what is wrong", in the order found.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

struct TProblem {
    std::string source;     // the text's or medium's file, or "toybox (built in)"
    std::int32_t line = 0;  // from 1; 0 when the problem is about no one line
    bool error = true;      // false: it only looks wrong, the game plays on
    std::string text;       // what is wrong and what was expected, in English

    // "source:line: error: text" (without ":line" when there is no line).
    std::string Format() const {
        // Appended piece by piece: gcc 12 at -O3 warns falsely (-Wrestrict) about ":" + a temporary string.
        std::string out = source;
        if (line > 0) {
            out += ':';
            out += std::to_string(line);
        }
        out += error ? ": error: " : ": warning: ";
        out += text;
        return out;
    }
};

class TProblems {
public:
    void Error(const std::string& source, std::int32_t line, const std::string& text) {
        items.push_back({source, line, true, text});
    }
    void Warning(const std::string& source, std::int32_t line, const std::string& text) {
        items.push_back({source, line, false, text});
    }
    const std::vector<TProblem>& Items() const { return items; }
    int Errors() const {
        int count = 0;
        for (const TProblem& p : items) count += p.error ? 1 : 0;
        return count;
    }

    // The same problems, each source's in line order (those about no one line last), sources in the
    // order they were first named.
    TProblems SortedByLine() const {
        std::vector<std::string> sources;
        for (const TProblem& p : items) {
            if (std::find(sources.begin(), sources.end(), p.source) == sources.end()) sources.push_back(p.source);
        }
        const auto rank = [&](const TProblem& p) {
            const auto index = std::find(sources.begin(), sources.end(), p.source) - sources.begin();
            return std::pair(index, p.line > 0 ? p.line : std::numeric_limits<std::int32_t>::max());
        };
        TProblems sorted = *this;
        std::stable_sort(sorted.items.begin(), sorted.items.end(),
                         [&](const TProblem& a, const TProblem& b) { return rank(a) < rank(b); });
        return sorted;
    }

private:
    std::vector<TProblem> items;
};
