#pragma once
// Reads archives written by TBackupFile: indexes the members without decompressing anything and
// decompresses one member on request, block by block. The book reader and the tools use it.
//
// The walk follows the records up to the end marker; the header's file count is not trusted.
// Every length is checked against the bytes that remain before anything is read or allocated.
// A damaged or truncated archive raises EArchiveError (of the platform's Exception family) with
// a message that says what is wrong and at which offset; nothing is ever read out of bounds.
// Indexed with aiSalvage, it keeps instead what came before the damage and says where the index
// stopped, so the files ahead of a cut or a broken record can still be read.
//
// Every block but a member's last holds 16384 bytes, so a member's size is known from its block
// table and its last block alone: listing never decompresses a whole member.
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
    // False only in a salvaged index, for the member the damage cut short: its name is known,
    // its bytes are not all there.
    bool Complete = true;
    std::vector<TArchiveBlock> Blocks;
    // Largest size the member can have without decompressing (each compressed block holds at
    // most 16384 bytes). Exact when every block is raw.
    int64_t SizeBound() const { return RawBytes + int64_t(CompressedBlocks) * 16384; }
};

// How the index treats damage in the records: aiStrict raises EArchiveError, aiSalvage stops
// there and keeps the members before it (see Damage()).
enum TArchiveIndexing { aiStrict, aiSalvage };

// Where and why a salvaged index stopped short of the end marker.
struct TArchiveDamage {
    bool Found = false;
    bool Truncated = false; // the bytes ran out (a cut file) rather than holding nonsense
    int64_t Offset = -1;    // of the first byte that could not be used
    std::string What;       // "negative name length"
    std::string Message;    // "Damaged archive: negative name length at offset N"
};

class TArchiveReader {
public:
    // Indexes the archive that starts at offset in stream. limit is the end of the bytes that
    // belong to it (-1: the stream's end). The stream must outlive the reader; extraction moves
    // its position, so one reader is used by one thread at a time. Raises EArchiveError (with
    // aiSalvage only when the stream cannot be read at all).
    TArchiveReader(TStream& stream, int64_t offset = 0, int64_t limit = -1,
                   TArchiveIndexing indexing = aiStrict);

    const std::string& Title() const { return title_; }
    int32_t HeaderTotalSize() const { return headerTotalSize_; } // as stored, not trusted
    int32_t HeaderFileCount() const { return headerFileCount_; } // as stored, not trusted
    int64_t StartOffset() const { return start_; }
    // Just past the end marker; where indexing stopped when Damage().Found.
    int64_t EndOffset() const { return end_; }
    const TArchiveDamage& Damage() const { return damage_; }

    int Count() const { return static_cast<int>(members_.size()); }
    const TArchiveMember& Member(int index) const; // raises EArchiveError when out of range
    // Index of the member with this full name (ignoring ASCII case); -1 when absent.
    int IndexOf(std::string_view name) const;
    // Index of the first member whose name after the last "/" is fileName (ignoring ASCII
    // case): a site book serves its members as if they lay in one directory. -1 when absent.
    int IndexOfFileName(std::string_view fileName) const;

    // The member's size from its block table, decompressing at most its last block. Raises
    // EArchiveError when that block is damaged or the member is incomplete.
    int64_t MemberSize(int index) const;

    // Decompresses a member block by block, handing each block's bytes to sink. Returns the
    // member's size. Raises EArchiveError on a damaged block, on a block before the last that
    // does not hold a full 16384 bytes, and on an incomplete member (the bytes before the
    // fault were handed on already).
    int64_t ExtractTo(int index, const std::function<void(const uint8_t*, size_t)>& sink) const;
    int64_t Extract(int index, TStream& dest) const;
    std::string ExtractToString(int index) const;
    // The same, reading the archive's bytes from stream: another handle on the same file, so
    // that several threads can each extract members through their own.
    int64_t ExtractFrom(TStream& stream, int index,
                        const std::function<void(const uint8_t*, size_t)>& sink) const;
    std::string ExtractToString(TStream& stream, int index) const;

private:
    void Index(int64_t offset);
    void Add(TArchiveMember&& member);

    TStream& stream_;
    int64_t start_ = 0;
    int64_t limit_ = 0;
    int64_t end_ = 0;
    std::string title_;
    int32_t headerTotalSize_ = 0;
    int32_t headerFileCount_ = 0;
    std::vector<TArchiveMember> members_;
    TArchiveDamage damage_;
    std::unordered_map<std::string, int> byName_;     // lower-cased full name
    std::unordered_map<std::string, int> byFileName_; // lower-cased name after the last "/"
};
