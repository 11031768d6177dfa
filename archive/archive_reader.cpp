#include "archive/archive_reader.h"

#include <zlib.h>

#include <cstring>
#include <memory>

#include "archive/backup_file.h"
#include "archive/little_endian.h"
#include "platform/base/strings.h"

namespace {

constexpr uint8_t kSectionMarker[4] = {'E', 'C', '2', 0};

[[noreturn]] void Damaged(const std::string& what, int64_t offset) {
    throw EArchiveError("Damaged archive: " + what + " at offset " + IntToStr(offset));
}

// Sequential reading of one archive's bytes with every length checked against what remains.
class TCursor {
public:
    TCursor(TStream& s, int64_t pos, int64_t limit) : s_(s), pos_(pos), limit_(limit) {}

    int64_t Pos() const { return pos_; }
    int64_t Remaining() const { return limit_ - pos_; }

    void Read(void* buffer, int64_t count, const char* what) {
        if (count < 0 || count > Remaining())
            Damaged(std::string(what) + " runs past the end", pos_);
        s_.Seek(pos_, soBeginning);
        int64_t done = 0;
        auto* p = static_cast<uint8_t*>(buffer);
        while (done < count) {
            const int64_t n = s_.Read(p + done, count - done);
            if (n <= 0)
                Damaged(std::string(what) + " cannot be read", pos_ + done);
            done += n;
        }
        pos_ += count;
    }
    int32_t ReadInt32(const char* what) {
        uint8_t b[4];
        Read(b, 4, what);
        return GetInt32LE(b);
    }
    bool PeekSectionMarker() {
        if (Remaining() < 4)
            return false;
        uint8_t b[4];
        const int64_t at = pos_;
        Read(b, 4, "record");
        pos_ = at;
        return std::memcmp(b, kSectionMarker, 4) == 0;
    }
    void Skip(int64_t count, const char* what) {
        if (count < 0 || count > Remaining())
            Damaged(std::string(what) + " runs past the end", pos_);
        pos_ += count;
    }

private:
    TStream& s_;
    int64_t pos_;
    int64_t limit_;
};

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

TArchiveReader::TArchiveReader(TStream& stream, int64_t offset, int64_t limit)
    : stream_(stream), start_(offset) {
    const int64_t size = stream.Size();
    limit_ = limit < 0 || limit > size ? size : limit;
    if (offset < 0 || offset > limit_)
        throw EArchiveError("Damaged archive: it starts beyond the end of the file");
    TCursor c(stream, offset, limit_);

    const int32_t titleLength = c.ReadInt32("header");
    if (titleLength < 0)
        Damaged("negative title length", c.Pos() - 4);
    if (titleLength > c.Remaining())
        Damaged("title runs past the end", c.Pos());
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
            Damaged("member name runs past the end", recordAt);
        TArchiveMember m;
        m.RecordOffset = recordAt;
        m.Name.resize(static_cast<size_t>(nameLength));
        c.Read(m.Name.data(), nameLength, "member name");
        if (nameLength == 12 && m.Name.starts_with("NEXT:DISK"))
            throw EArchiveError("The archive continues in volume " + m.Name.substr(9) +
                                "; only single-volume archives can be read");
        m.Date = c.ReadInt32("member date");
        // A file of 0 bytes has no data section; a member that spans joined volumes has several.
        while (c.PeekSectionMarker()) {
            c.Skip(4, "section marker");
            for (;;) {
                const int64_t blockAt = c.Pos();
                const int32_t length = c.ReadInt32("block length (the section end is missing)");
                if (length == 0)
                    break;
                const int64_t n = length < 0 ? -int64_t(length) : int64_t(length);
                if (n > BackupBlockSize)
                    Damaged("block of " + IntToStr(n) + " bytes, more than a block holds", blockAt);
                if (n > c.Remaining())
                    Damaged("block runs past the end", blockAt);
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
        const int index = static_cast<int>(members_.size());
        byName_.emplace(LowerCase(m.Name), index);
        byFileName_.emplace(LowerFileName(m.Name), index);
        members_.push_back(std::move(m));
    }
    end_ = c.Pos();
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

int64_t TArchiveReader::ExtractTo(int index,
                                  const std::function<void(const uint8_t*, size_t)>& sink) const {
    const TArchiveMember& m = Member(index);
    auto in = std::make_unique<uint8_t[]>(BackupBlockSize);
    auto out = std::make_unique<uint8_t[]>(BackupBlockSize);
    std::unique_ptr<TInflater> inflater;
    int64_t total = 0;
    for (const TArchiveBlock& b : m.Blocks) {
        // The blocks were checked against the limit while indexing; the stream is read again
        // here, so a short read (a file changed meanwhile) is still caught.
        TCursor c(stream_, b.Offset, limit_);
        c.Read(in.get(), b.Length, "block");
        if (b.Raw) {
            sink(in.get(), static_cast<size_t>(b.Length));
            total += b.Length;
            continue;
        }
        if (!inflater)
            inflater = std::make_unique<TInflater>();
        const int32_t n = inflater->Inflate(in.get(), b.Length, out.get(), b.Offset - 4);
        sink(out.get(), static_cast<size_t>(n));
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
    std::string s;
    const TArchiveMember& m = Member(index);
    s.reserve(static_cast<size_t>(std::min<int64_t>(m.SizeBound(), int64_t(1) << 26)));
    ExtractTo(index,
              [&s](const uint8_t* p, size_t n) { s.append(reinterpret_cast<const char*>(p), n); });
    return s;
}
