#pragma once
// Reading and writing whole files in tests. A file that cannot be read or written throws with
// its name and the reason, so a missing input fails the test that needs it instead of passing
// with empty text.
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

namespace folio_test {

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string() + ": " + std::strerror(errno));
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw std::runtime_error("cannot read " + path.string() + ": read error");
    return data;
}

// Writes (or replaces) a file, creating its parent directories.
inline void WriteFile(const std::filesystem::path& path, std::string_view data) {
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(errno));
}

// The 32-bit little-endian integer at the end of a file (a book's trailer), or -1 when the file
// is shorter than that.
inline int64_t TrailerOf(const std::filesystem::path& path) {
    const std::string data = ReadFile(path);
    if (data.size() < 4)
        return -1;
    const auto* p = reinterpret_cast<const unsigned char*>(data.data() + data.size() - 4);
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                uint32_t(p[3]) << 24);
}

} // namespace folio_test
