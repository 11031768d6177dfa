#pragma once
// Reads archives written by TBackupFile: indexes the members without decompressing anything and
// decompresses one member on request, block by block. The book reader and the tools use it.
//
// The walk follows the records up to the end marker; the header's file count is not trusted.
// Every length is checked against the bytes that remain before anything is read or allocated.
// A damaged or truncated archive raises EArchiveError (of the platform's Exception family) with
// a message that says what is wrong and at which offset; nothing is ever read out of bounds.
//
// A member may hold several data sections in a row (that is how the pieces of a member that
// spans volumes read when the volumes are joined). A "NEXT:DISKnnn" record raises
// EArchiveError: only single-volume archives (or joined volumes) are read.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

class EArchiveError : public Exception {
    using Exception::Exception;
};

struct TArchiveBlock {
    int64_t Offset = 0; // of the payload in the stream
    int32_t Length = 0; // payload bytes
    bool Raw = false;   // stored unchanged (negative length in the archive)
};

struct TArchiveMember {
    std::string Name;         // as stored: lower-cased full path, or "FILE:LIST"
    int32_t Date = -1;        // packed DOS date and time, -1 unknown
    int64_t RecordOffset = 0; // of the name length field
    int64_t PackedSize = 0;   // payload bytes of all blocks
    int64_t RawBytes = 0;     // bytes of the raw blocks (exact)
    int32_t CompressedBlocks = 0;
    std::vector<TArchiveBlock> Blocks;
    // Largest size the member can have without decompressing (each compressed block holds at
    // most 16384 bytes). Exact when every block is raw.
    int64_t SizeBound() const { return RawBytes + int64_t(CompressedBlocks) * 16384; }
};

class TArchiveReader {
public:
    // Indexes the archive that starts at offset in stream. limit is the end of the bytes that
    // belong to it (-1: the stream's end). The stream must outlive the reader; extraction moves
    // its position, so one reader is used by one thread at a time. Raises EArchiveError.
    TArchiveReader(TStream& stream, int64_t offset = 0, int64_t limit = -1);

    const std::string& Title() const { return title_; }
    int32_t HeaderTotalSize() const { return headerTotalSize_; } // as stored, not trusted
    int32_t HeaderFileCount() const { return headerFileCount_; } // as stored, not trusted
    int64_t StartOffset() const { return start_; }
    int64_t EndOffset() const { return end_; } // just past the end marker

    int Count() const { return static_cast<int>(members_.size()); }
    const TArchiveMember& Member(int index) const; // raises EArchiveError when out of range
    // Index of the member with this full name (ignoring ASCII case); -1 when absent.
    int IndexOf(std::string_view name) const;
    // Index of the first member whose name after the last "/" is fileName (ignoring ASCII
    // case): a site book serves its members as if they lay in one directory. -1 when absent.
    int IndexOfFileName(std::string_view fileName) const;

    // Decompresses a member block by block, handing each block's bytes to sink. Returns the
    // member's size. Raises EArchiveError on a damaged block (the bytes before it were handed
    // on already).
    int64_t ExtractTo(int index, const std::function<void(const uint8_t*, size_t)>& sink) const;
    int64_t Extract(int index, TStream& dest) const;
    std::string ExtractToString(int index) const;

private:
    TStream& stream_;
    int64_t start_ = 0;
    int64_t limit_ = 0;
    int64_t end_ = 0;
    std::string title_;
    int32_t headerTotalSize_ = 0;
    int32_t headerFileCount_ = 0;
    std::vector<TArchiveMember> members_;
    std::unordered_map<std::string, int> byName_;     // lower-cased full name
    std::unordered_map<std::string, int> byFileName_; // lower-cased name after the last "/"
};
