#include "archive/source_file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "platform/base/files.h"

TSourceReader::TOpenResult TSourceReader::Open(const std::string& path) {
    Close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd_ >= 0)
        return orOpened;
    return errno == ENOENT || errno == ENOTDIR ? orVanished : orFailed;
}

int64_t TSourceReader::Read(uint8_t* buffer, int64_t count, int64_t enough) {
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd_, buffer + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break; // a pipe put in the file's place: nothing more to read now
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += n;
        if (done >= enough && done < count)
            break;
    }
    return done;
}

void TSourceReader::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}
