// Memory and file streams. TFileStream maps the toolkit's share modes onto flock() locks held
// on the stream's own open file description, so an exclusive open elsewhere fails meanwhile.
#include "platform/base/streams.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <new>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int64_t kCopyChunk = 64 * 1024;
} // namespace

// ---- TStream ----

int64_t TStream::Size() {
    const int64_t pos = Seek(0, soCurrent);
    const int64_t size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count > 0 && Read(buffer, count) != count)
        throw EStreamError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count > 0 && Write(buffer, count) != count)
        throw EStreamError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count <= 0)
        return 0;
    std::vector<uint8_t> buffer(static_cast<size_t>(count < kCopyChunk ? count : kCopyChunk));
    int64_t left = count;
    while (left > 0) {
        const int64_t n = left < kCopyChunk ? left : kCopyChunk;
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

// ---- TMemoryStream ----

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    const auto size = static_cast<int64_t>(data_.size());
    if (count <= 0 || pos_ >= size)
        return 0;
    const int64_t n = count < size - pos_ ? count : size - pos_;
    std::copy_n(data_.data() + pos_, n, static_cast<uint8_t*>(buffer));
    pos_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    if (count > INT64_MAX - pos_)
        throw EOutOfMemory("Out of memory");
    const int64_t end = pos_ + count;
    if (end > static_cast<int64_t>(data_.size()))
        SetSize(end);
    std::copy_n(static_cast<const uint8_t*>(buffer), count, data_.data() + pos_);
    pos_ = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = 0;
    if (origin == soCurrent)
        base = pos_;
    else if (origin == soEnd)
        base = static_cast<int64_t>(data_.size());
    // A target before the start (or one that overflows) is refused like lseek refuses it.
    if ((offset < 0 && base + offset < 0) || (offset > 0 && offset > INT64_MAX - base))
        return -1;
    pos_ = base + offset;
    return pos_;
}

void TMemoryStream::SetSize(int64_t size) {
    if (size < 0)
        size = 0;
    if (static_cast<uint64_t>(size) > data_.max_size())
        throw EOutOfMemory("Out of memory");
    try {
        data_.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory("Out of memory");
    } catch (const std::length_error&) {
        throw EOutOfMemory("Out of memory");
    }
    if (pos_ > size)
        pos_ = size;
}

void TMemoryStream::Clear() {
    data_.clear();
    data_.shrink_to_fit();
    pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& path) {
    TFileStream file(path, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::string& path) {
    TFileStream file(path, fmCreate);
    file.WriteBuffer(data_.data(), static_cast<int64_t>(data_.size()));
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    const int64_t size = source.Size();
    SetSize(size);
    pos_ = 0;
    source.ReadBuffer(data_.data(), size);
}

// ---- TFileStream ----

TFileStream::TFileStream(const std::string& path, uint32_t mode) : path_(path) {
    const bool create = (mode & fmCreate) == fmCreate;
    const uint32_t share = mode & 0x00F0;
    int flags = O_CLOEXEC;
    if (create) {
        // Truncation waits until the lock is held, so a refused open leaves the file alone.
        flags |= O_RDWR | O_CREAT;
    } else {
        switch (mode & 0x3) {
        case fmOpenWrite:
            flags |= O_WRONLY;
            break;
        case fmOpenReadWrite:
            flags |= O_RDWR;
            break;
        default:
            flags |= O_RDONLY;
            break;
        }
    }
    auto fail = [&]() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        if (create)
            throw EFCreateError("Cannot create file " + path);
        throw EFOpenError("Cannot open file " + path);
    };
    do {
        fd_ = ::open(path.c_str(), flags, 0666);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        fail();
    struct stat st;
    if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode))
        fail();
    int lock = 0;
    if (share == fmShareExclusive)
        lock = LOCK_EX;
    else if (share == fmShareDenyWrite)
        lock = LOCK_SH;
    if (lock != 0 && ::flock(fd_, lock | LOCK_NB) != 0)
        fail();
    if (create && ::ftruncate(fd_, 0) != 0)
        fail();
}

TFileStream::~TFileStream() {
    if (fd_ >= 0)
        ::close(fd_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    int64_t done = 0;
    auto* p = static_cast<uint8_t*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(fd_, p + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    int64_t done = 0;
    const auto* p = static_cast<const uint8_t*>(buffer);
    while (done < count) {
        const ssize_t n = ::write(fd_, p + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    int whence = SEEK_SET;
    if (origin == soCurrent)
        whence = SEEK_CUR;
    else if (origin == soEnd)
        whence = SEEK_END;
    return ::lseek(fd_, offset, whence);
}

void TFileStream::SetSize(int64_t size) {
    if (size < 0 || ::ftruncate(fd_, size) != 0)
        throw EStreamError("Stream write error");
    if (Position() > size)
        Seek(size, soBeginning);
}
