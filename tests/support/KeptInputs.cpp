#include "support/KeptInputs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace testmedia {

void ForEachKeptInput(const std::string& folder, const std::string& extension, std::size_t atLeast,
                      const std::function<void(const std::string& file, const std::vector<std::uint8_t>& bytes,
                                               const std::string& expected)>& check) {
    const std::filesystem::path inputs = std::filesystem::path(PELLORO_SOURCE_DIR) / "tests" / "inputs" / folder;
    std::ifstream manifest(inputs / "expected.txt");
    ASSERT_TRUE(manifest) << "missing " << (inputs / "expected.txt");
    std::set<std::string> listed;
    std::string line;
    while (std::getline(manifest, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string file, expected;
        fields >> file >> expected;
        listed.insert(file);
        std::ifstream in(inputs / file, std::ios::binary);
        EXPECT_TRUE(in) << file;
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        check(file, bytes, expected);
    }
    for (const auto& entry : std::filesystem::directory_iterator(inputs)) {
        if (entry.path().extension() == extension) {
            EXPECT_TRUE(listed.count(entry.path().filename().string())) << entry.path() << " is not in expected.txt";
        }
    }
    EXPECT_GE(listed.size(), atLeast);
}

}  // namespace testmedia
