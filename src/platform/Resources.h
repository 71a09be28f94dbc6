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

// Reads a whole regular file; false when it does not exist or cannot be read.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out);

// A resource of that type and name, or else the file of that name: the lookup every named medium uses.
bool LoadResourceOrFile(std::string_view type, const std::string& name, std::vector<std::uint8_t>& out);

bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace platform
