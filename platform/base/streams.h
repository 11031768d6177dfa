#pragma once
// Byte streams with a position: the memory stream that pages and images travel in, and the
// file stream the archive writer appends to.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/exceptions.h"

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes count bytes; returns how many were written.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Returns the new position. Seeking past the end is allowed (a write there extends).
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual void SetSize(int64_t size) = 0;

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
    virtual int64_t Size();

    // Exact transfers: raise EStreamError ("Stream read error" / "Stream write error") when short.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source's position; count 0 copies the whole source from its
    // start. Returns the bytes copied; raises EStreamError when the source runs short.
    int64_t CopyFrom(TStream& source, int64_t count);

    void WriteString(const std::string& s) {
        WriteBuffer(s.data(), static_cast<int64_t>(s.size()));
    }
};

class TMemoryStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }

    void Clear(); // size and position 0
    uint8_t* Memory() { return data_.data(); }
    const uint8_t* Memory() const { return data_.data(); }
    void LoadFromFile(const std::string& path); // raises EFOpenError
    void SaveToFile(const std::string& path);   // raises EFCreateError
    void LoadFromStream(TStream& source);       // whole source, position left at 0
    std::string DataString() const { return std::string(data_.begin(), data_.end()); }

private:
    std::vector<uint8_t> data_;
    int64_t pos_ = 0;
};

// Open modes; combine one access mode with one share mode (fmCreate stands alone or with a
// share mode).
enum : uint32_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010, // no other exclusive open of the same file may succeed meanwhile
    fmShareDenyWrite = 0x0020,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00, // create or truncate, read and write
};

class TFileStream : public TStream {
public:
    // Raises EFOpenError "Cannot open file %s" or EFCreateError "Cannot create file %s".
    TFileStream(const std::string& path, uint32_t mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    const std::string& FileName() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
};
