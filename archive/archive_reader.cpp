#include "archive/archive_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "archive/backup_file.h"
#include "archive/little_endian.h"
#include "platform/base/printable_name.h"
#include "platform/base/strings.h"

namespace {

constexpr uint8_t kSectionMarker[4] = {'E', 'C', '2', 0};

// Damage in the records, with where it lies, so that a salvaged index can say what it kept.
class EArchiveDamage : public EArchiveError {
public:
    EArchiveDamage(const std::string& message, const std::string& what, int64_t offset,
                   bool truncated)
        : EArchiveError(message), What(what), Offset(offset), Truncated(truncated) {}
    std::string What;
    int64_t Offset;
    bool Truncated;
};

[[noreturn]] void Damaged(const std::string& what, int64_t offset, bool truncated = false) {
    throw EArchiveDamage("Damaged archive: " + what + " at offset " + IntToStr(offset), what,
                         offset, truncated);
}

// Sequential reading of one archive's bytes with every length checked against what remains.
// With a window, the bytes come from the stream in large reads: walking the member records of
// a big archive touches every block's length field, and a read and a seek for each of them
// would make opening a book cost thousands of system calls.
class TCursor {
public:
    TCursor(TStream& s, int64_t pos, int64_t limit, size_t window = 0)
        : s_(s), pos_(pos), limit_(limit), windowSize_(window) {}

    int64_t Pos() const { return pos_; }
    int64_t Remaining() const { return limit_ - pos_; }

    void Read(void* buffer, int64_t count, const char* what) {
        if (count < 0)
            Damaged(std::string(what) + " has a negative length", pos_);
        if (count > Remaining())
            Damaged(std::string(what) + " runs past the end", pos_, true);
        auto* p = static_cast<uint8_t*>(buffer);
        if (windowSize_ > 0 && static_cast<uint64_t>(count) <= windowSize_) {
            if (pos_ < windowStart_ || pos_ + count > windowStart_ + int64_t(window_.size()))
                Fill(count, what);
            std::memcpy(p, window_.data() + (pos_ - windowStart_), static_cast<size_t>(count));
            pos_ += count;
            return;
        }
        ReadAt(pos_, p, count, what);
        pos_ += count;
    }
    int32_t ReadInt32(const char* what) {
        uint8_t b[4];
        Read(b, 4, what);
        return GetInt32LE(b);
    }
    // Whether a data section follows. After a record's date there is always a section, the next
    // record or the end marker, four bytes at least: fewer mean the archive was cut there.
    bool PeekSectionMarker() {
        if (Remaining() < 4)
            Damaged("member record (the end marker is missing) runs past the end", pos_, true);
        uint8_t b[4];
        const int64_t at = pos_;
        Read(b, 4, "record");
        pos_ = at;
        return std::memcmp(b, kSectionMarker, 4) == 0;
    }
    void Skip(int64_t count, const char* what) {
        if (count < 0)
            Damaged(std::string(what) + " has a negative length", pos_);
        if (count > Remaining())
            Damaged(std::string(what) + " runs past the end", pos_, true);
        pos_ += count;
    }

private:
    // Reads up to count bytes at at; returns how many could be read.
    int64_t ReadSome(int64_t at, uint8_t* p, int64_t count) {
        s_.Seek(at, soBeginning);
        int64_t done = 0;
        while (done < count) {
            const int64_t n = s_.Read(p + done, count - done);
            if (n <= 0)
                break;
            done += n;
        }
        return done;
    }
    void ReadAt(int64_t at, uint8_t* p, int64_t count, const char* what) {
        const int64_t done = ReadSome(at, p, count);
        if (done < count)
            Damaged(std::string(what) + " cannot be read", at + done, true);
    }
    // Loads the window from pos_ on: as much as it holds, and at least the count bytes asked
    // for (a read that falls short after those is no damage of theirs).
    void Fill(int64_t count, const char* what) {
        const int64_t n =
            std::max<int64_t>(count, std::min<int64_t>(int64_t(windowSize_), Remaining()));
        window_.resize(static_cast<size_t>(n));
        windowStart_ = pos_;
        const int64_t got = ReadSome(pos_, window_.data(), n);
        window_.resize(static_cast<size_t>(got));
        if (got < count)
            Damaged(std::string(what) + " cannot be read", pos_ + got, true);
    }

    TStream& s_;
    int64_t pos_;
    int64_t limit_;
    size_t windowSize_;
    std::vector<uint8_t> window_;
    int64_t windowStart_ = 0;
};

// Bytes read at a time while the members are indexed.
constexpr size_t kIndexWindow = size_t(1) << 20;

std::string LowerFileName(const std::string& name) {
    const size_t slash = name.find_last_of('/');
    return LowerCase(slash == std::string::npos ? name : name.substr(slash + 1));
}

// One inflater reused for every block of an extraction.
class TInflater {
public:
    TInflater() {
        if (inflateInit(&z_) != Z_OK)
            throw EArchiveError("Cannot set up the decompressor");
    }
    ~TInflater() { inflateEnd(&z_); }
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;

    // Inflates one block's zlib stream; the whole payload must be one complete stream whose
    // output fits a block.
    int32_t Inflate(const uint8_t* in, int32_t n, uint8_t* out, int64_t offset) {
        if (inflateReset(&z_) != Z_OK)
            throw EArchiveError("Cannot reset the decompressor");
        z_.next_in = const_cast<Bytef*>(in);
        z_.avail_in = static_cast<uInt>(n);
        z_.next_out = out;
        z_.avail_out = static_cast<uInt>(BackupBlockSize);
        const int rc = inflate(&z_, Z_FINISH);
        if (rc != Z_STREAM_END) {
            if (rc == Z_BUF_ERROR && z_.avail_out == 0)
                Damaged("block expands beyond " + IntToStr(BackupBlockSize) + " bytes", offset);
            Damaged(std::string("corrupt compressed block (") + (z_.msg ? z_.msg : "truncated") +
                        ")",
                    offset);
        }
        if (z_.avail_in != 0)
            Damaged("bytes after the end of a compressed block", offset);
        return static_cast<int32_t>(BackupBlockSize - z_.avail_out);
    }

private:
    z_stream z_{};
};

} // namespace

TArchiveReader::TArchiveReader(TStream& stream, int64_t offset, int64_t limit,
                               TArchiveIndexing indexing)
    : stream_(stream), start_(offset) {
    const int64_t size = stream.Size();
    limit_ = limit < 0 || limit > size ? size : limit;
    if (offset < 0 || offset > limit_)
        throw EArchiveError("Damaged archive: it starts beyond the end of the file");
    try {
        Index(offset);
    } catch (const EArchiveDamage& e) {
        if (indexing == aiStrict)
            throw;
        damage_.Found = true;
        damage_.Truncated = e.Truncated;
        damage_.Offset = e.Offset;
        damage_.What = e.What;
        damage_.Message = e.Message();
        end_ = e.Offset;
    }
}

void TArchiveReader::Index(int64_t offset) {
    TCursor c(stream_, offset, limit_, kIndexWindow);
    const int32_t titleLength = c.ReadInt32("header");
    if (titleLength < 0)
        Damaged("negative title length", c.Pos() - 4);
    if (titleLength > c.Remaining())
        Damaged("title runs past the end", c.Pos(), true);
    title_.resize(static_cast<size_t>(titleLength));
    c.Read(title_.data(), titleLength, "title");
    headerTotalSize_ = c.ReadInt32("header");
    headerFileCount_ = c.ReadInt32("header");

    for (;;) {
        const int64_t recordAt = c.Pos();
        const int32_t nameLength = c.ReadInt32("member record (the end marker is missing)");
        if (nameLength == 0)
            break; // the end marker
        if (nameLength < 0)
            Damaged("negative name length", recordAt);
        if (nameLength > c.Remaining())
            Damaged("member name runs past the end", recordAt, true);
        TArchiveMember m;
        m.RecordOffset = recordAt;
        m.Name.resize(static_cast<size_t>(nameLength));
        c.Read(m.Name.data(), nameLength, "member name");
        if (nameLength == 12 && m.Name.starts_with("NEXT:DISK")) {
            const std::string what = "continues in volume " + m.Name.substr(9) +
                                     "; only single-volume archives can be read";
            throw EArchiveDamage("The archive " + what, what, recordAt, false);
        }
        // A damaged record still names its member, so the reader can say which file is lost.
        try {
            m.Date = c.ReadInt32("member date");
            // A file of 0 bytes has no data section; a member that spans joined volumes has
            // several.
            while (c.PeekSectionMarker()) {
                c.Skip(4, "section marker");
                for (;;) {
                    const int64_t blockAt = c.Pos();
                    const int32_t length = c.ReadInt32("block length (the section end is missing)");
                    if (length == 0)
                        break;
                    const int64_t n = length < 0 ? -int64_t(length) : int64_t(length);
                    if (n > BackupBlockSize)
                        Damaged("block of " + IntToStr(n) + " bytes, more than a block holds",
                                blockAt);
                    if (n > c.Remaining())
                        Damaged("block runs past the end", blockAt, true);
                    TArchiveBlock b;
                    b.Offset = c.Pos();
                    b.Length = static_cast<int32_t>(n);
                    b.Raw = length < 0;
                    c.Skip(n, "block");
                    m.PackedSize += n;
                    if (b.Raw)
                        m.RawBytes += n;
                    else
                        ++m.CompressedBlocks;
                    m.Blocks.push_back(b);
                }
            }
        } catch (const EArchiveDamage&) {
            m.Complete = false;
            Add(std::move(m));
            throw;
        }
        Add(std::move(m));
    }
    end_ = c.Pos();
}

void TArchiveReader::Add(TArchiveMember&& m) {
    const int index = static_cast<int>(members_.size());
    byName_.emplace(LowerCase(m.Name), index);
    byFileName_.emplace(LowerFileName(m.Name), index);
    members_.push_back(std::move(m));
}

const TArchiveMember& TArchiveReader::Member(int index) const {
    if (index < 0 || index >= Count())
        throw EArchiveError("No archive member number " + IntToStr(index));
    return members_[static_cast<size_t>(index)];
}

int TArchiveReader::IndexOf(std::string_view name) const {
    const auto it = byName_.find(LowerCase(name));
    return it == byName_.end() ? -1 : it->second;
}

int TArchiveReader::IndexOfFileName(std::string_view fileName) const {
    const auto it = byFileName_.find(LowerCase(fileName));
    return it == byFileName_.end() ? -1 : it->second;
}

namespace {

[[noreturn]] void Incomplete(const TArchiveMember& m) {
    throw EArchiveError("The archive breaks off inside \"" + PrintableName(m.Name) +
                        "\"; its bytes are not all there");
}

// Reads one block's payload and hands back its bytes: in itself when raw, else inflated into out.
const uint8_t* BlockBytes(TStream& stream, int64_t limit, const TArchiveBlock& b, uint8_t* in,
                          uint8_t* out, std::unique_ptr<TInflater>& inflater, int32_t& size) {
    // The blocks were checked against the limit while indexing; the stream is read again here,
    // so a short read (a file changed meanwhile) is still caught.
    TCursor c(stream, b.Offset, limit);
    c.Read(in, b.Length, "block");
    if (b.Raw) {
        size = b.Length;
        return in;
    }
    if (!inflater)
        inflater = std::make_unique<TInflater>();
    size = inflater->Inflate(in, b.Length, out, b.Offset - 4);
    return out;
}

} // namespace

int64_t TArchiveReader::MemberSize(int index) const {
    const TArchiveMember& m = Member(index);
    if (!m.Complete)
        Incomplete(m);
    if (m.Blocks.empty())
        return 0;
    const TArchiveBlock& last = m.Blocks.back();
    int32_t lastSize = last.Length;
    if (!last.Raw) {
        auto in = std::make_unique<uint8_t[]>(BackupBlockSize);
        auto out = std::make_unique<uint8_t[]>(BackupBlockSize);
        std::unique_ptr<TInflater> inflater;
        BlockBytes(stream_, limit_, last, in.get(), out.get(), inflater, lastSize);
    }
    return int64_t(m.Blocks.size() - 1) * BackupBlockSize + lastSize;
}

int64_t TArchiveReader::ExtractTo(int index,
                                  const std::function<void(const uint8_t*, size_t)>& sink) const {
    return ExtractFrom(stream_, index, sink);
}

int64_t TArchiveReader::ExtractFrom(TStream& stream, int index,
                                    const std::function<void(const uint8_t*, size_t)>& sink) const {
    const TArchiveMember& m = Member(index);
    if (!m.Complete)
        Incomplete(m);
    auto in = std::make_unique<uint8_t[]>(BackupBlockSize);
    auto out = std::make_unique<uint8_t[]>(BackupBlockSize);
    std::unique_ptr<TInflater> inflater;
    int64_t total = 0;
    for (size_t i = 0; i < m.Blocks.size(); ++i) {
        const TArchiveBlock& b = m.Blocks[i];
        int32_t n = 0;
        const uint8_t* bytes = BlockBytes(stream, limit_, b, in.get(), out.get(), inflater, n);
        // Sizes are listed from the block table, which holds only if every block but the last
        // is full; a short one means lost bytes.
        if (i + 1 < m.Blocks.size() && n != BackupBlockSize)
            Damaged("block of " + IntToStr(n) + " bytes before the member's last", b.Offset - 4);
        sink(bytes, static_cast<size_t>(n));
        total += n;
    }
    return total;
}

int64_t TArchiveReader::Extract(int index, TStream& dest) const {
    return ExtractTo(index, [&dest](const uint8_t* p, size_t n) {
        dest.WriteBuffer(p, static_cast<int64_t>(n));
    });
}

std::string TArchiveReader::ExtractToString(int index) const {
    return ExtractToString(stream_, index);
}

std::string TArchiveReader::ExtractToString(TStream& stream, int index) const {
    std::string s;
    const TArchiveMember& m = Member(index);
    s.reserve(static_cast<size_t>(std::min<int64_t>(m.SizeBound(), int64_t(1) << 26)));
    ExtractFrom(stream, index, [&s](const uint8_t* p, size_t n) {
        s.append(reinterpret_cast<const char*>(p), n);
    });
    return s;
}
