#include "data/Texdb.h"

#include <algorithm>
#include <cstring>
#include <cfloat>
#include <cmath>
#include <filesystem>
#include <limits>
#include <optional>

#include "platform/ByteReader.h"
#include "platform/Decimal.h"
#include "platform/MessageText.h"
#include "platform/Resources.h"

// ---------------------------------------------------------------------------------------------
// TexValue: the cell is little-endian whatever the host, so that the int16 view of five or more
// integers (which relies on where the halves of the int32 slots lie) reads the same everywhere.

namespace {

void Put32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

}  // namespace

TexValue TexValue::FromText(std::string_view text) {
    TexValue v;
    if (!text.empty()) std::memcpy(v.bytes, text.data(), std::min(text.size(), TTexDb::kMaxTextBytes));
    return v;
}

std::string TexValue::Text() const {
    const void* zero = std::memchr(bytes, 0, sizeof bytes);
    const std::size_t length = zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - bytes) : 16;
    return std::string(reinterpret_cast<const char*>(bytes), length);
}

std::int32_t TexValue::Int(int slot) const {
    if (slot < 0 || slot > 3) return 0;
    return static_cast<std::int32_t>(platform::Le32(bytes, 4 * slot));
}

float TexValue::Float(int slot) const {
    if (slot < 0 || slot > 3) return 0.0f;
    const std::uint32_t bits = platform::Le32(bytes, 4 * slot);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::int16_t TexValue::Short(int slot) const {
    if (slot < 0 || slot > 7) return 0;
    return static_cast<std::int16_t>(platform::Le16(bytes, 2 * slot));
}

void TexValue::SetInt(int slot, std::int32_t value) {
    if (slot < 0 || slot > 3) return;
    Put32(bytes + 4 * slot, static_cast<std::uint32_t>(value));
}

void TexValue::SetFloat(int slot, float value) {
    if (slot < 0 || slot > 3) return;
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    Put32(bytes + 4 * slot, bits);
}

void TexValue::SetShort(int slot, std::int16_t value) {
    if (slot < 0 || slot > 7) return;
    const auto u = static_cast<std::uint16_t>(value);
    bytes[2 * slot] = static_cast<std::uint8_t>(u);
    bytes[2 * slot + 1] = static_cast<std::uint8_t>(u >> 8);
}

bool TexValue::IsZero() const {
    for (std::uint8_t b : bytes) {
        if (b != 0) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// The parse.

namespace {

using Line = std::string_view;

// Walks the lines of a text: a line ends at CR LF, a lone CR or a lone LF; a break at the very end
// starts no further (empty) line.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text(text) {}

    bool Next(Line& line) {
        if (pos >= text.size()) return false;
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        line = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size()) {
            if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
            ++pos;
        }
        ++index;
        return true;
    }

    // Number of lines read so far.
    std::int32_t Index() const { return index; }

    std::int32_t CountAll() const {
        LineReader all(text);
        Line ignored;
        while (all.Next(ignored)) {
        }
        return all.Index();
    }

private:
    std::string_view text;
    std::size_t pos = 0;
    std::int32_t index = 0;
};

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == ','; }

bool IsOpen(Line line) { return line.size() == 1 && line[0] == '{'; }
bool IsClose(Line line) { return line.size() == 1 && line[0] == '}'; }

// Cuts a line into tokens, one at a time.
class Tokens {
public:
    explicit Tokens(Line line) : line(line) {}

    bool Next(std::string_view& token) {
        while (pos < line.size() && IsSeparator(line[pos])) ++pos;
        if (pos >= line.size()) return false;
        const std::size_t start = pos;
        while (pos < line.size() && !IsSeparator(line[pos])) ++pos;
        token = line.substr(start, pos - start);
        return true;
    }

private:
    Line line;
    std::size_t pos = 0;
};

// The key of the entry a line yields, or nothing for a blank, comment or brace line.
std::optional<std::string_view> EntryKey(Tokens& tokens) {
    std::string_view first;
    if (!tokens.Next(first)) return std::nullopt;
    if (first[0] == '#' || first[0] == '{' || first[0] == '}') return std::nullopt;
    return first;
}

enum class Kind { kNone, kInteger, kFloat, kText };

Kind KindOf(std::string_view token) {
    Kind kind = Kind::kNone;
    for (char c : token) {
        if (c >= '0' && c <= '9') {
            kind = Kind::kInteger;
        } else if (c == '.') {
            return Kind::kFloat;
        } else if (c != '-') {
            return Kind::kText;
        }
    }
    return kind;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void ThrowNotInteger(std::string_view token) {
    throw EDataError("'" + platform::ShiftJisForMessage(token) + "' は整数ではありません");
}

[[noreturn]] void ThrowNotFloat(std::string_view token) {
    throw EDataError("'" + platform::ShiftJisForMessage(token) + "' は浮動小数点数ではありません");
}

// An optional minus and one or more digits, within the 32-bit range; anything else is the
// conversion error (an integer too large for its slot would otherwise be read as another number).
std::int32_t ToInteger(std::string_view token) {
    std::size_t i = 0;
    const bool negative = !token.empty() && token[0] == '-';
    if (negative) ++i;
    if (i == token.size()) ThrowNotInteger(token);
    const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
    std::int64_t value = 0;
    for (; i < token.size(); ++i) {
        if (!IsDigit(token[i])) ThrowNotInteger(token);
        value = value * 10 + (token[i] - '0');
        if (value > limit) ThrowNotInteger(token);
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

// A decimal number: an optional minus, digits with one '.', at least one digit, and an optional
// exponent (e or E, an optional sign, digits). Too large for a float32 is the conversion error; too
// small to tell from zero reads as zero.
float ToFloat(std::string_view token) {
    std::size_t i = 0;
    const bool negative = !token.empty() && token[0] == '-';
    if (negative) ++i;
    const std::size_t intStart = i;
    while (i < token.size() && IsDigit(token[i])) ++i;
    const std::size_t intEnd = i;
    std::size_t fracStart = i, fracEnd = i;
    if (i < token.size() && token[i] == '.') {
        fracStart = ++i;
        while (i < token.size() && IsDigit(token[i])) ++i;
        fracEnd = i;
    }
    if (intEnd == intStart && fracEnd == fracStart) ThrowNotFloat(token);
    std::int64_t exponent = 0;
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < token.size() && (token[i] == '+' || token[i] == '-')) expNegative = token[i++] == '-';
        if (i == token.size()) ThrowNotFloat(token);
        for (; i < token.size(); ++i) {
            if (!IsDigit(token[i])) ThrowNotFloat(token);
            exponent = std::min<std::int64_t>(exponent * 10 + (token[i] - '0'), 100000000);
        }
        if (expNegative) exponent = -exponent;
    }
    if (i != token.size()) ThrowNotFloat(token);

    // Decimal order of magnitude of the first non-zero digit, to tell overflow from underflow.
    std::optional<std::int64_t> order;
    for (std::size_t k = intStart; k < intEnd && !order; ++k) {
        if (token[k] != '0') order = static_cast<std::int64_t>(intEnd - k - 1) + exponent;
    }
    for (std::size_t k = fracStart; k < fracEnd && !order; ++k) {
        if (token[k] != '0') order = -static_cast<std::int64_t>(k - fracStart + 1) + exponent;
    }
    if (!order) return negative ? -0.0f : 0.0f;
    if (*order > 39) ThrowNotFloat(token);
    if (*order < -50) return negative ? -0.0f : 0.0f;

    double value = 0.0;
    if (!platform::ParseDecimal(token.substr(negative ? 1 : 0), value)) ThrowNotFloat(token);
    if (std::fabs(value) > static_cast<double>(FLT_MAX)) ThrowNotFloat(token);
    const float f = static_cast<float>(value);
    return negative ? -f : f;
}

// Stores value token number t (0 for the first) into the cell.
void StoreToken(TexValue& cell, int t, std::string_view token) {
    switch (KindOf(token)) {
    case Kind::kNone:
        return;
    case Kind::kText:
        cell = TexValue::FromText(token);
        return;
    case Kind::kInteger: {
        const std::int32_t value = ToInteger(token);
        if (t == 0) {
            cell = TexValue{};
            cell.SetInt(0, value);
        } else if (t <= 3) {
            cell.SetInt(t, value);
        } else {
            if (t == 4) {
                // Narrowed in place and in order: slot i's int32 is read before anything overwrites it,
                // and the second half of the cell keeps the halves of the third and fourth integers.
                for (int slot = 0; slot < 4; ++slot) cell.SetShort(slot, static_cast<std::int16_t>(cell.Int(slot)));
            }
            cell.SetShort(t, static_cast<std::int16_t>(value));
        }
        return;
    }
    case Kind::kFloat: {
        const float value = ToFloat(token);
        if (t == 0) {
            cell = TexValue{};
            cell.SetFloat(0, value);
        } else if (t <= 3) {
            cell.SetFloat(t, value);
        }
        // A float after the fourth value token has no slot and stores nothing.
        return;
    }
    }
}

std::string CutKey(std::string_view key) { return std::string(key.substr(0, TTexDb::kMaxTextBytes)); }

}  // namespace

void TTexDb::Parse(std::span<const std::uint8_t> bytes) {
    const void* zero = bytes.empty() ? nullptr : std::memchr(bytes.data(), 0, bytes.size());
    const std::size_t length =
        zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - bytes.data()) : bytes.size();
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), length);

    std::size_t blockCount = 0;
    {
        LineReader lines(text);
        Line line;
        while (lines.Next(line)) {
            if (IsOpen(line)) ++blockCount;
        }
    }
    blocks.reserve(blockCount);

    // Each block is found by its "{" line and ends at the next "}" line; a "{" inside a block is an
    // ignored line, yet it was counted as a block, so the search for the last block's "{" runs past the
    // end, as does a block that is never closed. Either way the line index that was out of range is
    // the number of lines.
    LineReader lines(text);
    const auto runPast = [&]() -> EDataError {
        return EDataError("リストのインデックスが範囲を超えています (" + std::to_string(lines.CountAll()) + ")");
    };
    for (std::size_t b = 0; b < blockCount; ++b) {
        Line line;
        do {
            if (!lines.Next(line)) throw runPast();
        } while (!IsOpen(line));

        std::size_t entryCount = 0;
        LineReader counting = lines;
        for (;;) {
            if (!counting.Next(line)) throw runPast();
            if (IsClose(line)) break;
            Tokens tokens(line);
            if (EntryKey(tokens)) ++entryCount;
        }

        TexBlock block;
        block.entries.reserve(entryCount);
        for (;;) {
            lines.Next(line);  // the counting pass has already seen these lines, up to the "}"
            if (IsClose(line)) break;
            Tokens tokens(line);
            const auto key = EntryKey(tokens);
            if (!key) continue;
            TexEntry& entry = block.entries.emplace_back();
            entry.key = CutKey(*key);
            std::string_view token;
            for (int t = 0; t < kMaxValueTokens && tokens.Next(token) && token[0] != '#'; ++t) {
                StoreToken(entry.value, t, token);
            }
        }
        blocks.push_back(std::move(block));
    }

    currentIndex = blocks.empty() ? -1 : 0;
    keyCursor = 0;
}

// ---------------------------------------------------------------------------------------------
// TTexDb

TTexDb::TTexDb(const std::string& sourceName) {
    platform::Medium text;
    const platform::FileStatus status = platform::LoadResourceOrFile("TEXT", sourceName, text);
    if (status != platform::FileStatus::kRead) {
        std::error_code ec;
        const std::string where = std::filesystem::absolute(sourceName, ec).string();
        const char* why = status == platform::FileStatus::kTooLarge ? "is too large to be a text"
                          : status == platform::FileStatus::kUnreadable ? "cannot be read"
                                                                         : "is missing";
        throw EDataError("TTexDb : ファイルがありません",
                         "the text '" + sourceName + "' is not built into the program and the file " +
                             (ec ? sourceName : where) + " " + why);
    }
    Parse(text.bytes);
}

TTexDb TTexDb::FromBytes(std::span<const std::uint8_t> text) {
    TTexDb db;
    db.Parse(text);
    return db;
}

TTexDb TTexDb::FromText(std::string_view text) {
    return FromBytes(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

bool TTexDb::SelectBlock(std::int32_t index) {
    // A negative index is refused as well: there is no block before the first.
    if (index < 0 || index >= Count()) return false;
    searchKey.clear();
    searchValue = TexValue{};
    currentIndex = index;
    return true;
}

bool TTexDb::FindBlock(const std::string& key, const TexValue& value) {
    searchKey = key.substr(0, kMaxSearchKeyBytes);
    searchValue = value;
    return SearchFrom(0);
}

bool TTexDb::NextBlock() { return SearchFrom(currentIndex + 1); }

bool TTexDb::SearchFrom(std::int32_t index) {
    if (index < 0) index = 0;
    if (searchKey.empty()) {
        currentIndex = index < Count() ? index : -1;
        return currentIndex >= 0;
    }
    for (std::int32_t j = index; j < Count(); ++j) {
        currentIndex = j;
        if (ReadValue(searchKey) == searchValue) return true;
    }
    currentIndex = -1;
    return false;
}

std::int32_t TTexDb::FindEntry(std::string_view key) const {
    const TexBlock* block = Current();
    if (!block) return -1;
    key = key.substr(0, kMaxTextBytes);
    const auto& entries = block->entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].key == key) return static_cast<std::int32_t>(i);
    }
    return -1;
}

TexValue TTexDb::ReadValue(const std::string& key) {
    const std::int32_t found = FindEntry(key);
    if (found < 0) return TexValue{};
    keyCursor = found;
    return Current()->entries[static_cast<std::size_t>(found)].value;
}

bool TTexDb::NextKey() {
    ++keyCursor;
    const TexBlock* block = Current();
    if (block && keyCursor >= 0 && static_cast<std::size_t>(keyCursor) < block->entries.size()) return true;
    keyCursor = 0;
    return false;
}

std::string TTexDb::CursorKey() const {
    const TexBlock* block = Current();
    if (!block || keyCursor < 0 || static_cast<std::size_t>(keyCursor) >= block->entries.size()) return {};
    return block->entries[static_cast<std::size_t>(keyCursor)].key;
}

TexValue TTexDb::CursorValue() const {
    const TexBlock* block = Current();
    if (!block || keyCursor < 0 || static_cast<std::size_t>(keyCursor) >= block->entries.size()) return {};
    return block->entries[static_cast<std::size_t>(keyCursor)].value;
}
