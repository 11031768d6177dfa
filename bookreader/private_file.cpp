#include "bookreader/private_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <functional>

bool MakePrivateDirectory(const std::string& dir) {
    if (dir.empty()) {
        return false;
    }
    std::error_code ec;
    const std::filesystem::path path(dir);
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), ec);
    }
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

// Moves size bytes with step(done) (a read or a write of what remains from done on), going on
// after short transfers and interruptions. Returns the bytes moved before an error or an end.
size_t TransferAll(size_t size, const std::function<ssize_t(size_t done)>& step) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = step(done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    return done;
}

} // namespace

bool WriteAll(int fd, std::string_view data) {
    return TransferAll(data.size(), [&](size_t done) {
               return ::write(fd, data.data() + done, data.size() - done);
           }) == data.size();
}

bool ReadRegularFile(const std::string& path, size_t maxBytes, std::string& text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
                    static_cast<uint64_t>(st.st_size) <= maxBytes;
    if (ok) {
        text.assign(static_cast<size_t>(st.st_size), '\0');
        text.resize(TransferAll(text.size(), [&](size_t done) {
            return ::read(fd, text.data() + done, text.size() - done);
        }));
    }
    ::close(fd);
    return ok;
}

namespace {

// Writes the pieces to fd one after the other, many to a call: a file of thousands of small
// pieces takes a few system calls, not one each.
bool WritePieces(int fd, std::span<const std::string_view> pieces) {
    constexpr size_t kAtOnce = 512;
    size_t next = 0; // the first piece not wholly written
    size_t done = 0; // bytes of it written already
    for (;;) {
        // Past what is written, empty pieces among it: writing nothing would look like a
        // failure.
        while (next < pieces.size() && pieces[next].size() == done) {
            ++next;
            done = 0;
        }
        if (next == pieces.size())
            return true;
        iovec io[kAtOnce];
        int n = 0;
        for (size_t i = next; i < pieces.size() && n < static_cast<int>(kAtOnce); ++i) {
            const size_t skip = i == next ? done : 0;
            io[n].iov_base = const_cast<char*>(pieces[i].data() + skip);
            io[n].iov_len = pieces[i].size() - skip;
            ++n;
        }
        const ssize_t written = ::writev(fd, io, n);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        auto left = static_cast<size_t>(written);
        while (next < pieces.size() && left >= pieces[next].size() - done) {
            left -= pieces[next].size() - done;
            done = 0;
            ++next;
        }
        done += left;
    }
}

} // namespace

bool ReplaceFileContents(const std::string& path, const std::string& data) {
    const std::string_view piece = data;
    return ReplaceFileContents(path, std::span<const std::string_view>(&piece, 1));
}

bool ReplaceFileContents(const std::string& path, std::span<const std::string_view> pieces) {
    if (path.empty()) {
        return false;
    }
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(temp.c_str(), flags, 0600);
    if (fd < 0 && errno == EEXIST) {
        // Left by an earlier run of this process id that was cut short.
        ::unlink(temp.c_str());
        fd = ::open(temp.c_str(), flags, 0600);
    }
    if (fd < 0) {
        return false;
    }
    const bool written = WritePieces(fd, pieces);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}
