// Arbitrary bytes as a record text: the load either ends with a data error or yields a reader whose
// every query stays inside what it loaded.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "data/Texdb.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::optional<TTexDb> loaded;
    try {
        loaded.emplace(TTexDb::FromBytes(std::span(data, size)));
    } catch (const EDataError&) {
        return 0;
    }
    TTexDb& db = *loaded;
    const std::int32_t count = db.Count();
    if (count > 0 && db.CurrentIndex() != 0) __builtin_trap();

    static const char* const kKeys[] = {"class", "name", "pos", "size", "show", "fileName", "num", "", "lv"};
    unsigned sink = 0;
    for (const char* key : kKeys) {
        TexValue v = db.ReadValue(key);
        sink += v.Text().size() + static_cast<unsigned>(v.Int(1)) + static_cast<unsigned>(v.Short(7));
    }

    // Walk every block and every entry; the walk must end and agree with the block count.
    std::int32_t visited = 0;
    if (db.SelectBlock(0)) {
        do {
            ++visited;
            if (db.Current() == nullptr) __builtin_trap();
            const std::size_t entries = db.Current()->entries.size();
            while (db.NextKey()) {  // a walk that fails leaves the cursor on entry 0
            }
            std::size_t walked = entries > 0 ? 1 : 0;
            while (db.NextKey()) {
                ++walked;
                if (db.CursorKey().empty() || db.CursorKey().size() > TTexDb::kMaxTextBytes) __builtin_trap();
                sink += db.CursorValue().bytes[0];
            }
            if (walked != entries) __builtin_trap();
        } while (db.NextBlock() && visited <= count);
    }
    if (visited != count) __builtin_trap();

    // Searches for the keys and values the text itself holds, and for the all-zero cell.
    if (count > 0 && db.SelectBlock(count - 1) && !db.Current()->entries.empty()) {
        const std::string key = db.Current()->entries.back().key;
        const TexValue value = db.ReadValue(key);
        if (!db.FindBlock(key, value)) __builtin_trap();
        if (db.ReadValue(key) != value) __builtin_trap();
        // The all-zero cell also matches an earlier block that lacks the key.
        if (!value.IsZero() && db.CursorKey() != key) __builtin_trap();
        std::int32_t found = 1;
        while (db.NextBlock() && found <= count) ++found;
        if (found > count || db.CurrentIndex() != -1) __builtin_trap();
    }
    if (db.FindBlock("name", TexValue{})) sink += static_cast<unsigned>(db.CurrentIndex());
    db.FindBlock(std::string(40, 'k'), TexValue::FromText("x"));
    TTexDb moved = std::move(db);
    sink += moved.ReadValue("class").bytes[3];
    return static_cast<int>(sink & 0);
}
