#pragma once
// The program's resources: (type, name) -> bytes compiled into the binary, looked up the way the
// Windows resource loader does it (names and types compared without regard to ASCII letter case).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct ResourceEntry {
    const char* type;
    const char* name;
    const unsigned char* data;  // followed by one zero byte that `size` does not count
    std::size_t size;
};

struct ResourceTable {
    const ResourceEntry* entries;
    std::size_t count;
};

// The table generated from resources/resources.list.
extern const ResourceTable kProgramResourceTable;

// Replaces the table that FindResource searches (tests, fault builds); nullptr restores the program's.
void SetResourceTable(const ResourceTable* table);
const ResourceTable& CurrentResourceTable();

using Bytes = std::span<const std::uint8_t>;

// The first entry of that type and name, or nothing.
std::optional<Bytes> FindResource(std::string_view type, std::string_view name);

// The most bytes a whole-file read takes unless told otherwise: far above any text or medium of a game.
constexpr std::size_t kMaxFileBytes = 64u << 20;

enum class FileStatus { kRead, kMissing, kTooLarge, kUnreadable };

// Reads a whole regular file of at most maxBytes. A larger file is refused before anything of it is
// read, and running out of memory is kUnreadable, never an exception.
FileStatus ReadFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t maxBytes = kMaxFileBytes);
// The same, as a plain yes or no.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t maxBytes = kMaxFileBytes);
// The first min(file size, maxBytes) bytes of a regular file: for formats whose header tells how much
// of the file they need.
bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out);

// The bytes of a named medium: a view of the compiled-in resource, or of the file's bytes it keeps.
struct Medium {
    Bytes bytes;
    std::vector<std::uint8_t> storage;
    std::string file;  // the file the bytes came from; empty for a compiled-in resource
    Medium() = default;
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;
};

// A resource of that type and name, or else the file of that name (at most maxFileBytes): the lookup
// every named medium and text uses. A resource that is there is the answer even if it turns out not
// to parse; the file is not tried then. A data folder, when one is set, comes before both.
FileStatus LoadResourceOrFile(std::string_view type, const std::string& name, Medium& out,
                              std::size_t maxFileBytes = kMaxFileBytes);

// A modder's folder (--data) searched before the program's resources; empty for none. Set before any load.
void SetDataFolder(const std::string& folder);
const std::string& DataFolder();

// The file that stands for `path`: the path itself when it names a regular file, else, folder by folder,
// the entry whose name matches ignoring ASCII letter case (the first in byte order when several do).
// Each folder is listed once and the listing kept. Empty when nothing matches.
std::string MatchFileName(const std::string& path);

// The data folder's file for a medium of that type and name: DIR/name, else DIR/name plus the type's
// extension (".txt", ".bmp", ".wav", ".mid") when the name has none; empty without a data folder or a file.
std::string FindDataFile(std::string_view type, const std::string& name);

// Names are Shift-JIS byte strings: only single-byte ASCII letters are folded, and the second byte of
// a two-byte character (after a lead byte 0x81-0x9F or 0xE0-0xFC) is compared as it is, since it is
// not a letter even when its value is one ("ミベ" and "ミス" differ only in a trail byte's case).
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// The key under which a name is indexed: FoldCase(a) == FoldCase(b) exactly when EqualsIgnoreCase(a, b).
std::string FoldCase(std::string_view name);

}  // namespace platform
