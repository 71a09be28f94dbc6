#include "platform/Resources.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
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

namespace {

std::string gDataFolder;

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.empty() ? "." : path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Folded name -> the first real name in byte order, per folder; a folder is listed once.
class FolderListings {
public:
    std::string Match(const std::string& folder, const std::string& name) {
        std::lock_guard<std::mutex> hold(lock);
        auto found = listings.find(folder);
        if (found == listings.end()) found = listings.emplace(folder, List(folder)).first;
        const auto entry = found->second.find(FoldCase(name));
        return entry == found->second.end() ? std::string() : entry->second;
    }

private:
    static std::map<std::string, std::string> List(const std::string& folder) {
        std::map<std::string, std::string> names;
        std::error_code ec;
        for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
             it.increment(ec)) {
            const std::string real = it->path().filename().string();
            auto [slot, added] = names.try_emplace(FoldCase(real), real);
            if (!added && real < slot->second) slot->second = real;
        }
        return names;
    }

    std::mutex lock;
    std::map<std::string, std::map<std::string, std::string>> listings;
};

FolderListings& Listings() {
    static FolderListings listings;
    return listings;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Cuts a path at its last slash: "a/b" -> "a", "b"; "/b" -> "/", "b"; "b" -> "", "b".
void Split(const std::string& path, std::string& parent, std::string& base) {
    const std::size_t slash = path.find_last_of('/');
    parent = slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
    base = slash == std::string::npos ? path : path.substr(slash + 1);
}

// The entry that stands for `path` in its (itself matched) folder, tested with `accept`; empty when none.
template <class Accept>
std::string MatchPath(const std::string& path, Accept accept);

std::string MatchFolder(const std::string& path) {
    if (path.empty() || IsFolder(path)) return path;
    return MatchPath(path, IsFolder);
}

template <class Accept>
std::string MatchPath(const std::string& path, Accept accept) {
    std::string parent, base;
    Split(path, parent, base);
    if (base.empty() || base == "." || base == "..") return {};
    const std::string folder = MatchFolder(parent);
    if (!parent.empty() && folder.empty()) return {};
    const std::string real = Listings().Match(folder, base);
    if (real.empty()) return {};
    const std::string joined = Join(folder, real);
    return accept(joined) ? joined : std::string();
}

const char* ExtensionOf(std::string_view type) {
    if (EqualsIgnoreCase(type, "TEXT")) return ".txt";
    if (EqualsIgnoreCase(type, "BITMAP")) return ".bmp";
    if (EqualsIgnoreCase(type, "WAVE")) return ".wav";
    if (EqualsIgnoreCase(type, "MIDI")) return ".mid";
    return "";
}

}  // namespace

void SetDataFolder(const std::string& folder) {
    gDataFolder = folder;
    while (gDataFolder.size() > 1 && gDataFolder.back() == '/') gDataFolder.pop_back();
}

const std::string& DataFolder() { return gDataFolder; }

std::string MatchFileName(const std::string& path) {
    if (IsRegularFile(path)) return path;
    return MatchPath(path, IsRegularFile);
}

std::string FindDataFile(std::string_view type, const std::string& name) {
    if (gDataFolder.empty() || name.empty() || name.front() == '/') return {};
    std::string found = MatchFileName(Join(gDataFolder, name));
    const std::size_t slash = name.find_last_of('/');
    const bool hasExtension = name.find('.', slash == std::string::npos ? 0 : slash + 1) != std::string::npos;
    if (found.empty() && !hasExtension && *ExtensionOf(type)) {
        found = MatchFileName(Join(gDataFolder, name + ExtensionOf(type)));
    }
    return found;
}

FileStatus LoadResourceOrFile(std::string_view type, const std::string& name, Medium& out, std::size_t maxFileBytes) {
    out.storage.clear();
    out.file.clear();
    const std::string dataFile = FindDataFile(type, name);
    if (!dataFile.empty()) {
        out.file = dataFile;
        const FileStatus status = ReadFile(dataFile, out.storage, maxFileBytes);
        out.bytes = status == FileStatus::kRead ? Bytes(out.storage.data(), out.storage.size()) : Bytes();
        return status;
    }
    if (auto resource = FindResource(type, name)) {
        out.bytes = *resource;
        return FileStatus::kRead;
    }
    const std::string file = MatchFileName(name);
    out.file = file.empty() ? name : file;
    const FileStatus status = ReadFile(out.file, out.storage, maxFileBytes);
    out.bytes = status == FileStatus::kRead ? Bytes(out.storage.data(), out.storage.size()) : Bytes();
    return status;
}

}  // namespace platform
