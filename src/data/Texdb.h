#pragma once
// Reader of the brace-delimited record text all of the game's data is written in. Keys and values are
// Shift-JIS byte strings, compared byte for byte and never converted.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataError.h"

// The 16-byte value cell of an entry: a text of up to 15 bytes, four int32, four float32 or eight int16.
struct TexValue {
    std::uint8_t bytes[16] = {};

    static TexValue FromText(std::string_view text);  // as a text token is stored
    std::string Text() const;                        // bytes up to the first zero
    std::int32_t Int(int slot) const;                // 0..3
    float Float(int slot) const;                     // 0..3
    std::int16_t Short(int slot) const;              // 0..7
    void SetInt(int slot, std::int32_t value);
    void SetFloat(int slot, float value);
    void SetShort(int slot, std::int16_t value);
    bool IsZero() const;
    bool operator==(const TexValue& other) const { return std::memcmp(bytes, other.bytes, 16) == 0; }
};

// Bytes of a text (Shift-JIS) quoted in an English line, as UTF-8, bytes that are no character as \xNN.
std::string ForMessage(std::string_view bytes);

struct TexEntry {
    std::string key;
    TexValue value;
    std::int32_t line = 0;  // the line of the text it was read from, from 1
};

struct TexBlock {
    std::vector<TexEntry> entries;
    std::int32_t line = 0;  // the line of its "{"
};

class TTexDb {
public:
    // Loads the "TEXT" resource of that name, or else the file; throws EDataError
    // ("TTexDb : ファイルがありません" and the conversion and index errors).
    explicit TTexDb(const std::string& sourceName);
    // Parses the given bytes (a zero byte ends the text); throws as above for malformed text. `source`
    // names the text in the English line of an error.
    static TTexDb FromBytes(std::span<const std::uint8_t> text, const std::string& source = "the text");
    static TTexDb FromText(std::string_view text, const std::string& source = "the text");

    // Where the text came from, as messages name it: the file's path, or "toybox (built in)".
    const std::string& Source() const { return source; }

    bool SelectBlock(std::int32_t index);
    bool FindBlock(const std::string& key, const TexValue& value);
    bool NextBlock();
    TexValue ReadValue(const std::string& key);
    bool NextKey();
    std::string CursorKey() const;
    TexValue CursorValue() const;

    std::int32_t Count() const { return static_cast<std::int32_t>(blocks.size()); }
    std::int32_t CurrentIndex() const { return currentIndex; }
    std::int32_t KeyCursor() const { return keyCursor; }
    // The current block is kept as an index, so a copied or moved reader stays valid.
    const TexBlock* Current() const {
        return currentIndex >= 0 && static_cast<std::size_t>(currentIndex) < blocks.size() ? &blocks[currentIndex]
                                                                                            : nullptr;
    }

    // Limits of a cell and of the model. Longer input is cut, never rejected: a key or a text token keeps its
    // first kMaxTextBytes bytes (a key looked up is cut the same way, so it finds the entry it names), value
    // tokens after the kMaxValueTokens-th on a line are ignored unread, a search key keeps its first
    // kMaxSearchKeyBytes bytes.
    static constexpr std::size_t kMaxTextBytes = 15;
    static constexpr int kMaxValueTokens = 8;
    static constexpr std::size_t kMaxSearchKeyBytes = 23;

private:
    TTexDb() = default;
    void Parse(std::span<const std::uint8_t> text);
    bool SearchFrom(std::int32_t index);
    // Index of the first entry of the current block with that key, or -1.
    std::int32_t FindEntry(std::string_view key) const;

    std::vector<TexBlock> blocks;
    std::string source;
    std::int32_t currentIndex = -1;
    std::int32_t keyCursor = 0;
    std::string searchKey;
    TexValue searchValue;
};
