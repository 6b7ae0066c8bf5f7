#pragma once
// A fresh folder under /tmp for one test, removed with everything in it, and
// the bytes of files in it.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include <stdlib.h>

namespace menu_test {

// The default high-score file: 84 bytes.
inline constexpr char kDefaultBytes[] =
    "Tilebash\r\n30000\r\nTilebash\r\n20000\r\nTilebash\r\n15000\r\n"
    "Tilebash\r\n10000\r\nTilebash\r\n5000\r\n";

class TempFolder {
public:
    TempFolder() {
        std::string name = "/tmp/tilebash-menu-XXXXXX";
        if (::mkdtemp(name.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = name;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Names of the entries of a folder, to see that nothing was left behind.
inline int EntryCount(const std::string& folder) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

}  // namespace menu_test
