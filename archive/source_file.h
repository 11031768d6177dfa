#pragma once
// A file to be packed, as the archive writer sees it: what one stat says about it when the list
// is expanded (kept, so the run never asks again), and a plain reader for its bytes.
//
// The run needs a file's kind, size, modification time and identity; one stat gives them all,
// and every later step (the total size, the record's date, the check against the target) uses
// that answer. The bytes are read with read(2) on a descriptor opened without blocking, so a
// file swapped for a named pipe after the stat cannot stall the run.
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>

struct TSourceStat {
    int64_t Size = 0;
    time_t ModTime = 0;
    dev_t Device = 0;
    ino_t Inode = 0;

    static TSourceStat Of(const struct stat& st) {
        return {static_cast<int64_t>(st.st_size), st.st_mtime, st.st_dev, st.st_ino};
    }
    bool SameFile(const TSourceStat& other) const {
        return Device == other.Device && Inode == other.Inode;
    }
};

class TSourceReader {
public:
    enum TOpenResult { orOpened, orVanished, orFailed };

    TSourceReader() = default;
    ~TSourceReader() { Close(); }
    TSourceReader(const TSourceReader&) = delete;
    TSourceReader& operator=(const TSourceReader&) = delete;

    // orVanished when the file (or a folder on its path) no longer exists.
    TOpenResult Open(const std::string& path);
    // Reads from bytes instead of a file; they must outlive the reader's use.
    void OpenMemory(const std::string& bytes);
    // Reads up to count bytes, fewer only at the file's end; -1 on a read error. Once at least
    // `enough` bytes are in, a short read is taken as the end without asking again: the
    // writer asks for one byte more than it expects, to see a file that grew, and a file that
    // did not grow must not cost a second read.
    int64_t Read(uint8_t* buffer, int64_t count, int64_t enough);
    void Close();

private:
    int fd_ = -1;
    const std::string* memory_ = nullptr;
    size_t memoryPos_ = 0;
};
