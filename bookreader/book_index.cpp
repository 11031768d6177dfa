#include "bookreader/book_index.h"

#include <sys/stat.h>

#include <algorithm>
#include <malloc.h>
#include <thread>
#include <zlib.h>

#include "bookreader/page_words.h"
#include "bookreader/search_words.h"
#include "bookreader/site_book.h"
#include "platform/base/strings.h"

namespace {

// Pages read at a time on the worker threads before they are merged in book order: enough to
// keep every thread busy, few enough that their words take little memory meanwhile.
constexpr size_t kBatchPages = 64;

void PutVarint(std::string& out, uint64_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<char>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<char>(v));
}

void PutVarint(std::vector<uint8_t>& out, uint64_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<uint8_t>(v));
}

// Reads a number PutVarint wrote, never past end (a number cut short ends there).
uint64_t GetVarint(const uint8_t*& p, const uint8_t* end) {
    uint64_t v = 0;
    for (int shift = 0; p < end && shift < 64; shift += 7) {
        const uint8_t b = *p++;
        v |= uint64_t{b & 0x7Fu} << shift;
        if (b < 0x80)
            break;
    }
    return v;
}

void PutBytes(std::string& out, const void* data, size_t n) {
    PutVarint(out, n);
    out.append(static_cast<const char*>(data), n);
}

// Reads what PutVarint and PutBytes wrote; any read past the end or beyond a limit fails it.
class TIndexReader {
public:
    TIndexReader(const uint8_t* p, const uint8_t* end) : p_(p), end_(end) {}
    bool Ok() const { return ok_; }
    bool AtEnd() const { return p_ == end_; }
    uint64_t Number(uint64_t max) {
        if (!ok_ || p_ >= end_)
            return Fail();
        const uint8_t* at = p_;
        const uint64_t v = GetVarint(p_, end_);
        if (v > max || (p_[-1] & 0x80) != 0 || p_ - at > 10)
            return Fail();
        return v;
    }
    // A run of bytes of at most max: a view into the buffer.
    std::string_view Bytes(size_t max) {
        const uint64_t n = Number(max);
        if (!ok_ || n > static_cast<uint64_t>(end_ - p_)) {
            Fail();
            return {};
        }
        const std::string_view s(reinterpret_cast<const char*>(p_), static_cast<size_t>(n));
        p_ += n;
        return s;
    }

private:
    uint64_t Fail() {
        ok_ = false;
        p_ = end_;
        return 0;
    }
    const uint8_t* p_;
    const uint8_t* end_;
    bool ok_ = true;
};

// The cache file's first bytes and the version of what follows: a file of another version is
// built again.
constexpr char kMagic[] = "FOLIOIDX";
constexpr uint32_t kVersion = 1;

uint64_t Fnv(uint64_t h, const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < n; ++i) {
        h ^= p[i];
        h *= 0x100000001B3ull;
    }
    return h;
}

template <class T> uint64_t FnvValue(uint64_t h, T v) {
    return Fnv(h, &v, sizeof v);
}

} // namespace

// One page as a worker leaves it: its packed text and its folded words, each ended by a 0.
struct TBookIndex::TLexed {
    int Member = -1;
    std::string Name;
    std::string Failure; // not empty: the page could not be read
    TPage Page;
    std::string Words;
};

// Packs page texts with one deflater, reset between pages: a fresh one for every page would
// allocate and clear its quarter megabyte of tables thousands of times. The fastest level:
// text packs to half its size or less, and building the index is what the first search waits
// for.
struct TBookIndex::TPacker {
    z_stream Z{};
    TPacker() {
        if (deflateInit(&Z, 1) != Z_OK)
            throw std::bad_alloc(); // zlib fails to start only for want of memory
    }
    ~TPacker() { deflateEnd(&Z); }
    TPacker(const TPacker&) = delete;
    TPacker& operator=(const TPacker&) = delete;

    // The text in UTF-8 (a quarter of its code points' size, and less to deflate), then each
    // section start as its distance from the one before.
    std::vector<uint8_t> Pack(const TPageText& page, uint32_t& textBytes, uint32_t& rawSize) {
        const std::string utf8 = U32ToUtf8(page.Text);
        std::vector<uint8_t> raw(utf8.begin(), utf8.end());
        textBytes = static_cast<uint32_t>(raw.size());
        int32_t start = 0;
        for (const int32_t section : page.Sections) {
            PutVarint(raw, static_cast<uint32_t>(section - start));
            start = section;
        }
        rawSize = static_cast<uint32_t>(raw.size());
        deflateReset(&Z);
        std::vector<uint8_t> packed(deflateBound(&Z, static_cast<uLong>(raw.size())));
        Z.next_in = raw.data();
        Z.avail_in = static_cast<uInt>(raw.size());
        Z.next_out = packed.data();
        Z.avail_out = static_cast<uInt>(packed.size());
        // The output buffer holds the bound, so one call finishes the stream.
        if (deflate(&Z, Z_FINISH) != Z_STREAM_END)
            throw std::bad_alloc();
        packed.resize(Z.total_out);
        packed.shrink_to_fit();
        return packed;
    }
};

TBookIndex::TBookIndex(const TSiteBook& book) : book_(book), packer_(std::make_unique<TPacker>()) {
    const TArchiveReader& archive = book.Archive();
    uint64_t h = 0xCBF29CE484222325ull;
    for (int member : book.Served()) {
        const TArchiveMember& m = archive.Member(member);
        const std::string name = TSiteBook::ServedName(m.Name);
        if (IsPageName(name) && !SameText(name, TSiteBook::kConfigName))
            candidates_.push_back(member);
    }
    for (int i = 0; i < archive.Count(); ++i) {
        const TArchiveMember& m = archive.Member(i);
        h = Fnv(h, m.Name.data(), m.Name.size());
        h = FnvValue(h, m.RecordOffset);
        h = FnvValue(h, m.PackedSize);
        h = FnvValue(h, m.Date);
        h = FnvValue(h, m.Blocks.size());
    }
    struct stat st {};
    int64_t size = -1, mtime = 0;
    if (::stat(book.Path().c_str(), &st) == 0) {
        size = st.st_size;
        mtime = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    key_.clear();
    PutVarint(key_, static_cast<uint64_t>(size));
    PutVarint(key_, static_cast<uint64_t>(mtime));
    PutVarint(key_, static_cast<uint64_t>(archive.StartOffset()));
    PutVarint(key_, static_cast<uint64_t>(archive.Count()));
    PutVarint(key_, h);
}

TBookIndex::~TBookIndex() = default;

void TBookIndex::Lex(int member, TLexed& out, TFileStream& stream, TPacker& packer) const {
    out.Member = member;
    out.Name = TSiteBook::ServedName(book_.Archive().Member(member).Name);
    std::string bytes;
    try {
        bytes = book_.Archive().ExtractToString(stream, member);
    } catch (const Exception& e) {
        out.Failure = out.Name + ": " + e.what();
        return;
    }
    TPageText text = LexPageText(bytes);
    // The viewer counts characters in 32-bit integers; what lies beyond is never shown. Packed,
    // a character takes at most 4 bytes of UTF-8 and a section start (a section holds one
    // character or more) 5 bytes of varint, and the whole must stay under 4 GB: some 470
    // million characters, more than any page holds.
    constexpr size_t kMaxChars = UINT32_MAX / 9;
    if (text.Text.size() > kMaxChars) {
        text.Text.resize(kMaxChars);
        std::erase_if(text.Sections, [](int32_t s) { return static_cast<size_t>(s) >= kMaxChars; });
    }
    TWordReader reader(text.Text, text.Sections);
    for (TTextWord w; reader.Next(w);) {
        out.Words += w.Folded;
        out.Words += '\0';
    }
    TPage& p = out.Page;
    p.Member = member;
    p.Name = out.Name;
    p.Title = std::move(text.Title);
    p.TextLength = static_cast<uint32_t>(text.Text.size());
    p.Packed = packer.Pack(text, p.TextBytes, p.RawSize);
}

void TBookIndex::Merge(TLexed& lexed) {
    if (!lexed.Failure.empty()) {
        failures_.push_back(std::move(lexed.Failure));
        return;
    }
    const auto page = static_cast<uint32_t>(pages_.size());
    uint32_t word = 0;
    for (size_t at = 0; at < lexed.Words.size(); ++word) {
        const size_t end = lexed.Words.find('\0', at);
        bool added = false;
        const uint32_t id =
            words_.Insert(std::string_view(lexed.Words).substr(at, end - at), added);
        if (added)
            postings_.emplace_back();
        Add(id, page, word);
        at = end + 1;
    }
    pages_.push_back(std::move(lexed.Page));
}

void TBookIndex::Finish() {
    for (TPostings& p : postings_)
        p.Bytes.shrink_to_fit();
    pages_.shrink_to_fit();
    words_.Shrink();
    // Reading thousands of pages leaves the heap full of freed buffers; hand what is free back
    // to the system, so the reader's size is that of what it keeps.
    malloc_trim(0);
}

bool TBookIndex::Step(int maxPages) {
    if (Ready())
        return true;
    TFileStream stream(book_.Path(), fmOpenRead | fmShareDenyNone);
    for (int n = std::max(1, maxPages); n > 0 && !Ready(); --n) {
        TLexed lexed;
        Lex(candidates_[next_], lexed, stream, *packer_);
        Merge(lexed);
        ++next_;
    }
    if (Ready())
        Finish();
    return Ready();
}

void TBookIndex::BuildAll(int threads) {
    if (Ready())
        return;
    if (threads <= 0)
        threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const size_t batch = kBatchPages * static_cast<size_t>(threads);
    std::vector<TLexed> lexed;
    while (!Ready()) {
        if (cancel_)
            return;
        const size_t first = next_;
        const size_t count = std::min(batch, candidates_.size() - first);
        lexed.assign(count, TLexed{});
        std::atomic<size_t> take{0};
        std::exception_ptr error;
        std::atomic<bool> failed{false};
        const auto work = [&] {
            try {
                TFileStream stream(book_.Path(), fmOpenRead | fmShareDenyNone);
                TPacker packer;
                for (size_t i; !failed && !cancel_ && (i = take++) < count;)
                    Lex(candidates_[first + i], lexed[i], stream, packer);
            } catch (...) {
                if (!failed.exchange(true))
                    error = std::current_exception();
            }
        };
        const int workers = static_cast<int>(std::min<size_t>(size_t(threads), count));
        std::vector<std::thread> pool;
        for (int t = 1; t < workers; ++t)
            pool.emplace_back(work);
        work();
        for (std::thread& t : pool)
            t.join();
        if (error)
            std::rethrow_exception(error);
        if (cancel_)
            return;
        for (TLexed& page : lexed)
            Merge(page);
        next_ = first + count;
    }
    lexed.clear();
    lexed.shrink_to_fit();
    Finish();
}

// An occurrence in the same page as the one before: the word-number gap, doubled. In a new
// page: the word number, doubled plus one, then the page gap.
void TBookIndex::Add(uint32_t id, uint32_t page, uint32_t word) {
    TPostings& p = postings_[id];
    if (p.Any && p.LastPage == page) {
        PutVarint(p.Bytes, uint64_t{word - p.LastWord} << 1);
    } else {
        PutVarint(p.Bytes, (uint64_t{word} << 1) | 1);
        PutVarint(p.Bytes, page - p.LastPage);
    }
    p.Any = true;
    p.LastPage = page;
    p.LastWord = word;
}

namespace {

// Walks one word's occurrences in book order. Occurrences beyond the last page (only a damaged
// index could hold them) end the walk.
class TOccurrences {
public:
    TOccurrences(const std::vector<uint8_t>& bytes, uint32_t pages)
        : p_(bytes.data()), end_(bytes.data() + bytes.size()), pages_(pages) {}
    bool Next() {
        if (p_ >= end_)
            return Stop();
        const uint64_t v = GetVarint(p_, end_);
        uint64_t page = m_.Page, word = m_.Word;
        if ((v & 1) != 0) {
            word = v >> 1;
            page += GetVarint(p_, end_);
        } else {
            word += v >> 1;
        }
        if (page >= pages_ || word > UINT32_MAX || (started_ && page < m_.Page))
            return Stop();
        m_ = {static_cast<uint32_t>(page), static_cast<uint32_t>(word)};
        started_ = true;
        return true;
    }
    const TWordMatch& Current() const { return m_; }
    bool Done() const { return done_; }

private:
    bool Stop() {
        done_ = true;
        p_ = end_;
        return false;
    }
    const uint8_t* p_;
    const uint8_t* end_;
    uint32_t pages_;
    TWordMatch m_;
    bool started_ = false;
    bool done_ = false;
};

bool Before(const TWordMatch& a, uint32_t page, uint64_t word) {
    return a.Page < page || (a.Page == page && a.Word < word);
}

} // namespace

void TBookIndex::FindPhrase(const std::vector<std::string>& words,
                            const std::function<bool(const TWordMatch&)>& found) const {
    if (words.empty())
        return;
    std::vector<TOccurrences> lists;
    lists.reserve(words.size());
    for (const std::string& w : words) {
        const uint32_t id = words_.Find(w);
        if (id == TWordTable::kNone || id >= postings_.size())
            return;
        lists.emplace_back(postings_[id].Bytes, PageCount());
        if (!lists.back().Next())
            return;
    }
    // A start of the first word is kept when, for every k, the k-th list's next occurrence at
    // or after it is k words further on. Every list only moves forward.
    TOccurrences& first = lists[0];
    do {
        const TWordMatch m = first.Current();
        bool match = true;
        for (size_t k = 1; k < lists.size() && match; ++k) {
            const uint64_t want = uint64_t{m.Word} + k;
            TOccurrences& list = lists[k];
            while (!list.Done() && Before(list.Current(), m.Page, want))
                list.Next();
            if (list.Done())
                return; // no later start can match
            match = list.Current().Page == m.Page && list.Current().Word == want;
        }
        if (match && !found(m))
            return;
    } while (first.Next());
}

TPageText TBookIndex::Text(uint32_t page) const {
    const TPage& p = pages_.at(page);
    const auto damaged = [&p] {
        return EArchiveError("The search index of " + p.Name + " is damaged");
    };
    std::vector<uint8_t> raw(p.RawSize);
    uLongf size = p.RawSize;
    if (p.RawSize > 0 && (uncompress(raw.data(), &size, p.Packed.data(),
                                     static_cast<uLong>(p.Packed.size())) != Z_OK ||
                          size != p.RawSize))
        throw damaged();
    if (p.TextBytes > p.RawSize)
        throw damaged();
    TPageText text;
    text.Text = Utf8ToU32(std::string_view(reinterpret_cast<const char*>(raw.data()), p.TextBytes));
    if (text.Text.size() != p.TextLength)
        throw damaged();
    const uint8_t* at = raw.data() + p.TextBytes;
    const uint8_t* end = raw.data() + raw.size();
    uint64_t start = 0;
    while (at < end) {
        start += GetVarint(at, end);
        if (start > p.TextLength)
            throw damaged();
        text.Sections.push_back(static_cast<int32_t>(start));
    }
    return text;
}

size_t TBookIndex::MemoryUsed() const {
    size_t bytes = pages_.capacity() * sizeof(TPage) + postings_.capacity() * sizeof(TPostings);
    for (const TPage& p : pages_)
        bytes += p.Name.capacity() + p.Title.capacity() + p.Packed.capacity();
    for (const TPostings& p : postings_)
        bytes += p.Bytes.capacity();
    bytes += words_.MemoryUsed();
    return bytes;
}

// ---- the index as a file ----
//
// The magic and version, the book's key, the counts, the pages, the failures, then every word
// with its occurrences; last a CRC-32 of all that comes before it.

std::string TBookIndex::Serialize() const {
    std::string out(kMagic, sizeof kMagic - 1);
    PutVarint(out, kVersion);
    PutBytes(out, key_.data(), key_.size());
    PutVarint(out, candidates_.size());
    PutVarint(out, pages_.size());
    for (const TPage& p : pages_) {
        PutVarint(out, static_cast<uint64_t>(p.Member));
        PutBytes(out, p.Name.data(), p.Name.size());
        PutBytes(out, p.Title.data(), p.Title.size());
        PutVarint(out, p.TextLength);
        PutVarint(out, p.TextBytes);
        PutVarint(out, p.RawSize);
        PutBytes(out, p.Packed.data(), p.Packed.size());
    }
    PutVarint(out, failures_.size());
    for (const std::string& f : failures_)
        PutBytes(out, f.data(), f.size());
    PutVarint(out, words_.Count());
    for (uint32_t i = 0; i < words_.Count(); ++i) {
        const std::string_view w = words_.Word(i);
        PutBytes(out, w.data(), w.size());
        PutBytes(out, postings_[i].Bytes.data(), postings_[i].Bytes.size());
    }
    const uLong crc =
        crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(out.data()), out.size());
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((crc >> (8 * i)) & 0xFF));
    return out;
}

bool TBookIndex::Deserialize(const std::string& bytes) {
    constexpr size_t kMagicSize = sizeof kMagic - 1;
    if (bytes.size() < kMagicSize + 4 || bytes.compare(0, kMagicSize, kMagic) != 0)
        return false;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t body = bytes.size() - 4;
    uLong stored = 0;
    for (int i = 0; i < 4; ++i)
        stored |= uLong{data[body + static_cast<size_t>(i)]} << (8 * i);
    if (crc32(crc32(0, nullptr, 0), data, static_cast<uInt>(body)) != stored)
        return false;
    TIndexReader r(data + kMagicSize, data + body);
    if (r.Number(UINT32_MAX) != kVersion || r.Bytes(64) != key_ ||
        r.Number(SIZE_MAX) != candidates_.size())
        return false;
    const uint64_t pageCount = r.Number(candidates_.size());
    std::vector<TPage> pages;
    pages.reserve(static_cast<size_t>(pageCount));
    const int members = book_.Archive().Count();
    for (uint64_t i = 0; i < pageCount && r.Ok(); ++i) {
        TPage p;
        p.Member = static_cast<int>(r.Number(static_cast<uint64_t>(std::max(0, members - 1))));
        p.Name = r.Bytes(bytes.size());
        p.Title = r.Bytes(bytes.size());
        p.TextLength = static_cast<uint32_t>(r.Number(UINT32_MAX));
        p.TextBytes = static_cast<uint32_t>(r.Number(UINT32_MAX));
        p.RawSize = static_cast<uint32_t>(r.Number(UINT32_MAX));
        const std::string_view packed = r.Bytes(bytes.size());
        p.Packed.assign(packed.begin(), packed.end());
        // Text() checks the rest when the page is unpacked.
        if (p.TextBytes > p.RawSize || p.TextLength > p.TextBytes)
            return false;
        pages.push_back(std::move(p));
    }
    const uint64_t failureCount = r.Number(candidates_.size());
    std::vector<std::string> failures;
    for (uint64_t i = 0; i < failureCount && r.Ok(); ++i)
        failures.emplace_back(r.Bytes(bytes.size()));
    if (!r.Ok() || pages.size() + failures.size() != candidates_.size())
        return false;
    const uint64_t wordCount = r.Number(bytes.size());
    TWordTable words;
    std::vector<TPostings> postings;
    for (uint64_t i = 0; i < wordCount && r.Ok(); ++i) {
        const std::string_view w = r.Bytes(bytes.size());
        bool added = false;
        words.Insert(w, added);
        if (!added || w.empty())
            return false; // every word once
        const std::string_view list = r.Bytes(bytes.size());
        TPostings p;
        p.Bytes.assign(list.begin(), list.end());
        p.Any = !list.empty();
        postings.push_back(std::move(p));
    }
    if (!r.Ok() || !r.AtEnd())
        return false;
    words.Shrink();
    pages_ = std::move(pages);
    failures_ = std::move(failures);
    words_ = std::move(words);
    postings_ = std::move(postings);
    next_ = candidates_.size();
    return true;
}
