#include "platform/Resources.h"

#include <atomic>
#include <cstdio>
#include <sys/stat.h>

namespace platform {

namespace {
std::atomic<const ResourceTable*> gTable{nullptr};

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) return false;
    }
    return true;
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

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    out.clear();
    std::uint8_t chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) out.insert(out.end(), chunk, chunk + got);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool LoadResourceOrFile(std::string_view type, const std::string& name, std::vector<std::uint8_t>& out) {
    if (auto res = FindResource(type, name)) {
        out.assign(res->begin(), res->end());
        return true;
    }
    return ReadWholeFile(name, out);
}

}  // namespace platform
