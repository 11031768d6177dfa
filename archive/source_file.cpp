#include "archive/source_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
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

void TSourceReader::OpenMemory(const std::string& bytes) {
    Close();
    memory_ = &bytes;
    memoryPos_ = 0;
}

int64_t TSourceReader::Read(uint8_t* buffer, int64_t count, int64_t enough) {
    if (memory_ != nullptr) {
        const size_t n = static_cast<size_t>(
            std::min<int64_t>(count, static_cast<int64_t>(memory_->size() - memoryPos_)));
        std::memcpy(buffer, memory_->data() + memoryPos_, n);
        memoryPos_ += n;
        return static_cast<int64_t>(n);
    }
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
    memory_ = nullptr;
    memoryPos_ = 0;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}
