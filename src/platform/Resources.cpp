#include "platform/Resources.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <sys/stat.h>

namespace platform {

namespace {
std::atomic<const ResourceTable*> gTable{nullptr};

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsLeadByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
}  // namespace

// Equal folded bytes before a position mean the same lead/trail reading up to it in both names (a
// folded letter is never a lead byte, and trail bytes are compared unfolded), so one walk serves both.
bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (IsLeadByte(a[i])) {
            if (a[i] != b[i]) return false;
            if (++i < a.size() && a[i] != b[i]) return false;  // the trail byte, unfolded
            continue;
        }
        if (Upper(a[i]) != Upper(b[i])) return false;
    }
    return true;
}

std::string FoldCase(std::string_view name) {
    std::string key(name);
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (IsLeadByte(key[i])) {
            ++i;  // the trail byte stays as it is
            continue;
        }
        key[i] = Upper(key[i]);
    }
    return key;
}

void SetResourceTable(const ResourceTable* table) { gTable.store(table); }

const ResourceTable& CurrentResourceTable() {
    const ResourceTable* table = gTable.load();
    return table ? *table : kProgramResourceTable;
}

std::optional<Bytes> FindResource(std::string_view type, std::string_view name) {
    const ResourceTable& table = CurrentResourceTable();
    for (std::size_t i = 0; i < table.count; ++i) {
        const ResourceEntry& e = table.entries[i];
        if (e.data && EqualsIgnoreCase(e.type, type) && EqualsIgnoreCase(e.name, name)) {
            return Bytes(e.data, e.size);
        }
    }
    return std::nullopt;
}

namespace {

// Opens a regular file and tells its size; nullptr when it is missing or not a regular file.
std::FILE* OpenRegular(const std::string& path, std::uint64_t& size) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    size = static_cast<std::uint64_t>(info.st_size);
    return std::fopen(path.c_str(), "rb");
}

// Reads up to `limit` bytes; the size is only a hint, since the file may change while it is read.
FileStatus ReadUpTo(std::FILE* file, std::uint64_t sizeHint, std::size_t limit, std::vector<std::uint8_t>& out) {
    FileStatus status = FileStatus::kRead;
    try {
        out.clear();
        out.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(sizeHint, limit)));
        std::uint8_t chunk[65536];
        while (out.size() < limit) {
            const std::size_t want = std::min(sizeof chunk, limit - out.size());
            const std::size_t got = std::fread(chunk, 1, want, file);
            out.insert(out.end(), chunk, chunk + got);
            if (got < want) break;
        }
        if (std::ferror(file)) status = FileStatus::kUnreadable;
    } catch (const std::bad_alloc&) {
        out.clear();
        out.shrink_to_fit();
        status = FileStatus::kUnreadable;
    }
    std::fclose(file);
    return status;
}

}  // namespace

FileStatus ReadFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t maxBytes) {
    out.clear();
    std::uint64_t size = 0;
    std::FILE* file = OpenRegular(path, size);
    if (!file) return FileStatus::kMissing;
    if (size > maxBytes) {
        std::fclose(file);
        return FileStatus::kTooLarge;
    }
    // One byte past the limit tells a file that grew since stat from one that did not.
    const FileStatus status = ReadUpTo(file, size, maxBytes + 1, out);
    if (status == FileStatus::kRead && out.size() > maxBytes) {
        out.clear();
        return FileStatus::kTooLarge;
    }
    return status;
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t maxBytes) {
    return ReadFile(path, out, maxBytes) == FileStatus::kRead;
}

bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& out) {
    out.clear();
    std::uint64_t size = 0;
    std::FILE* file = OpenRegular(path, size);
    if (!file) return false;
    return ReadUpTo(file, size, maxBytes, out) == FileStatus::kRead;
}

FileStatus LoadResourceOrFile(std::string_view type, const std::string& name, Medium& out, std::size_t maxFileBytes) {
    out.storage.clear();
    if (auto resource = FindResource(type, name)) {
        out.bytes = *resource;
        return FileStatus::kRead;
    }
    const FileStatus status = ReadFile(name, out.storage, maxFileBytes);
    out.bytes = status == FileStatus::kRead ? Bytes(out.storage.data(), out.storage.size()) : Bytes();
    return status;
}

}  // namespace platform
