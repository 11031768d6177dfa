#pragma once
// A scratch directory for one test, removed with everything in it afterwards, and small file
// helpers.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/base/files.h"
#include "platform/base/strings.h"

class TTempDir {
public:
    TTempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "folio-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::string& Path() const { return path_; }
    // The path of a name inside, parent directories created.
    std::string Sub(const std::string& relative) const {
        const std::string p = path_ + "/" + relative;
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        return p;
    }

private:
    std::string path_;
};

inline void WriteTextFile(const std::string& path, const std::string& content) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The 32-bit little-endian integer at the end of a file.
inline int64_t TrailerOf(const std::string& path) {
    const std::string data = ReadWholeFile(path);
    if (data.size() < 4) {
        return -1;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(data.data() + data.size() - 4);
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                uint32_t(p[3]) << 24);
}
