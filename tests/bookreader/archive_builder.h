#pragma once
// Writes archive bytes by hand, so tests can make books the builder never would: hostile
// member names, damaged blocks, missing configurations.
#include <zlib.h>

#include <cstdint>
#include <string>

class TArchiveBytes {
public:
    explicit TArchiveBytes(const std::string& title = "Folio", int32_t total = 0,
                           int32_t count = 0) {
        Int(static_cast<int32_t>(title.size()));
        data_ += title;
        Int(total);
        Int(count);
    }
    // A member whose data is stored in one raw block (or no section when empty).
    TArchiveBytes& Member(const std::string& name, const std::string& content, int32_t date = -1) {
        Record(name, date);
        return content.empty() ? *this : Section().RawBlock(content).EndSection();
    }
    // The pieces of a member record, for members of several blocks or with damaged ones.
    TArchiveBytes& Record(const std::string& name, int32_t date = -1) {
        Int(static_cast<int32_t>(name.size()));
        data_ += name;
        return Int(date);
    }
    TArchiveBytes& Section() { return Raw(std::string("EC2\0", 4)); }
    TArchiveBytes& RawBlock(const std::string& bytes) {
        Int(-static_cast<int32_t>(bytes.size()));
        return Raw(bytes);
    }
    TArchiveBytes& ZlibBlock(const std::string& bytes) {
        uLongf n = compressBound(bytes.size());
        std::string out(n, '\0');
        compress2(reinterpret_cast<Bytef*>(out.data()), &n,
                  reinterpret_cast<const Bytef*>(bytes.data()), bytes.size(), 9);
        out.resize(n);
        return CompressedBlock(out);
    }
    // A block that claims to be zlib data; nonsense in it stands for a damaged block.
    TArchiveBytes& CompressedBlock(const std::string& payload) {
        Int(static_cast<int32_t>(payload.size()));
        return Raw(payload);
    }
    TArchiveBytes& EndSection() { return Int(0); }
    TArchiveBytes& Raw(const std::string& bytes) {
        data_ += bytes;
        return *this;
    }
    TArchiveBytes& Int(int32_t v) {
        const uint32_t u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i) {
            data_ += static_cast<char>((u >> (8 * i)) & 0xFF);
        }
        return *this;
    }
    TArchiveBytes& End() { return Int(0); }
    // A whole book: template bytes, this archive, the trailer.
    std::string Book(const std::string& templateBytes) const {
        TArchiveBytes trailer;
        std::string book = templateBytes + data_;
        const uint32_t t = static_cast<uint32_t>(templateBytes.size());
        for (int i = 0; i < 4; ++i) {
            book += static_cast<char>((t >> (8 * i)) & 0xFF);
        }
        return book;
    }
    const std::string& Data() const { return data_; }

private:
    std::string data_;
};

inline std::string ConfigText(const std::string& home, const std::string& password = "") {
    return "homepage=" + home + "\r\ncaption=Test book\r\npassword=" + password +
           "\r\niconfile=\r\n";
}
