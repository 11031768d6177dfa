#include "bookreader/book_index.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <malloc.h>
#include <mutex>
#include <thread>
#include <zlib.h>

#include "bookreader/page_words.h"
#include "bookreader/search_words.h"
#include "bookreader/site_book.h"
#include "platform/base/strings.h"

namespace {

// Pages each worker thread may read ahead of the merge, which takes them in book order: enough
// to keep every thread busy, few enough that their words take little memory meanwhile.
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
constexpr uint32_t kVersion = 2;

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

// The text of a page as the index keeps it: its characters in UTF-8 (a quarter of their
// code points' size), then each section start as its distance from the one before. It is kept
// as it is, not deflated: deflating it cost more than reading the pages does, and a search
// decodes only the pages it shows.
void AppendPageText(const TPageText& page, std::string& out, uint32_t& textBytes) {
    // Measured first, so the text is held in exactly its room; without branches, as most of
    // a page is ASCII (what is no character takes the 3 bytes of U+FFFD).
    size_t bytes = 0;
    for (const char32_t c : page.Text)
        bytes += 1 + size_t{c >= 0x80} + size_t{c >= 0x800} + size_t{c >= 0x10000 && c <= 0x10FFFF};
    size_t sectionBytes = 0;
    int32_t start = 0;
    for (const int32_t section : page.Sections) {
        for (auto v = static_cast<uint32_t>(section - start); v >= 0x80; v >>= 7)
            ++sectionBytes;
        ++sectionBytes;
        start = section;
    }
    const size_t before = out.size();
    out.reserve(before + bytes + sectionBytes);
    out.resize(before + bytes);
    char* at = out.data() + before;
    for (char32_t c : page.Text) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD; // no character: UTF-8 has no form for it
        if (c < 0x80) {
            *at++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *at++ = static_cast<char>(0xC0 | (c >> 6));
            *at++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *at++ = static_cast<char>(0xE0 | (c >> 12));
            *at++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *at++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *at++ = static_cast<char>(0xF0 | (c >> 18));
            *at++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *at++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *at++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    textBytes = static_cast<uint32_t>(bytes);
    start = 0;
    for (const int32_t section : page.Sections) {
        PutVarint(out, static_cast<uint32_t>(section - start));
        start = section;
    }
}

// The CRC-32 of the cache file: of its head, and of each page text.
uint32_t Crc(const void* data, size_t size) {
    return static_cast<uint32_t>(
        crc32_z(crc32(0, nullptr, 0), static_cast<const Bytef*>(data), size));
}

} // namespace

// One page as a worker leaves it: its text as the index keeps it, and its distinct words, each
// with every place it occurs already coded as the word's list of occurrences codes them, so
// that merging a page into the index looks each distinct word up once and copies its bytes.
struct TBookIndex::TLexed {
    struct TWord {
        uint32_t Hash = 0;    // TWordTable::HashOf of the folded word
        uint32_t CharsAt = 0; // the folded word in Chars
        uint32_t CharsSize = 0;
        uint32_t First = 0;  // word number of its first occurrence in the page
        uint32_t Last = 0;   // ... and of its last
        uint32_t RestAt = 0; // the later occurrences, coded, in Rest
        uint32_t RestSize = 0;
    };
    int Member = -1;
    std::string Name;
    std::string Failure; // not empty: the page could not be read
    TPage Page;
    std::string Text;
    std::vector<TWord> Words; // in the order each first occurs
    std::string Chars;
    std::vector<uint8_t> Rest;
    // Empty again, keeping the room of the word lists.
    void Clear() {
        Member = -1;
        Name.clear();
        Failure.clear();
        Page = TPage{};
        Text = std::string();
        Words.clear();
        Chars.clear();
        Rest.clear();
    }
};

// What a worker reuses from page to page: the table that finds a page's distinct words, and
// the room that groups their occurrences.
struct TBookIndex::TScratch {
    std::vector<uint32_t> Slots;  // a power of two, at most half full: the word's number + 1
    std::vector<uint32_t> Seq;    // the page's words as numbers of its distinct words
    std::vector<uint32_t> Starts; // occurrences grouped by distinct word
    std::vector<uint32_t> Places;
};

TBookIndex::TBookIndex(const TSiteBook& book)
    : book_(book), scratch_(std::make_unique<TScratch>()) {
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

void TBookIndex::Lex(int member, TLexed& out, TFileStream& stream, TScratch& scratch) const {
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
    bytes = std::string();
    // The viewer counts characters in 32-bit integers; what lies beyond is never shown. Kept,
    // a character takes at most 4 bytes of UTF-8 and a section start (a section holds one
    // character or more) 5 bytes of varint, and the whole must stay under 4 GB: some 470
    // million characters, more than any page holds.
    constexpr size_t kMaxChars = UINT32_MAX / 9;
    if (text.Text.size() > kMaxChars) {
        text.Text.resize(kMaxChars);
        std::erase_if(text.Sections, [](int32_t s) { return static_cast<size_t>(s) >= kMaxChars; });
    }
    // The page's words, each distinct one numbered in the order it first occurs.
    std::vector<uint32_t>& slots = scratch.Slots;
    std::vector<uint32_t>& seq = scratch.Seq;
    std::fill(slots.begin(), slots.end(), 0u);
    seq.clear();
    const auto wordOf = [&out](const TLexed::TWord& w) {
        return std::string_view(out.Chars).substr(w.CharsAt, w.CharsSize);
    };
    TWordReader reader(text.Text, text.Sections);
    for (TTextWord w; reader.Next(w);) {
        if ((out.Words.size() + 1) * 2 > slots.size()) {
            slots.assign(std::max<size_t>(1024, slots.size() * 2), 0u);
            const size_t mask = slots.size() - 1;
            for (size_t id = 0; id < out.Words.size(); ++id) {
                size_t i = out.Words[id].Hash & mask;
                while (slots[i] != 0)
                    i = (i + 1) & mask;
                slots[i] = static_cast<uint32_t>(id + 1);
            }
        }
        const uint32_t hash = TWordTable::HashOf(w.Folded);
        const size_t mask = slots.size() - 1;
        size_t i = hash & mask;
        while (slots[i] != 0 && (out.Words[slots[i] - 1].Hash != hash ||
                                 wordOf(out.Words[slots[i] - 1]) != w.Folded))
            i = (i + 1) & mask;
        if (slots[i] == 0) {
            TLexed::TWord word;
            word.Hash = hash;
            word.CharsAt = static_cast<uint32_t>(out.Chars.size());
            word.CharsSize = static_cast<uint32_t>(w.Folded.size());
            out.Chars += w.Folded;
            out.Words.push_back(word);
            slots[i] = static_cast<uint32_t>(out.Words.size());
        }
        seq.push_back(slots[i] - 1);
    }
    // Each distinct word's occurrences together, in page order: its first, and the gaps to the
    // later ones coded as in the index's lists (a gap in the same page, doubled).
    std::vector<uint32_t>& starts = scratch.Starts;
    std::vector<uint32_t>& places = scratch.Places;
    starts.assign(out.Words.size() + 1, 0u);
    for (const uint32_t id : seq)
        ++starts[id + 1];
    for (size_t id = 0; id < out.Words.size(); ++id)
        starts[id + 1] += starts[id];
    places.resize(seq.size());
    for (size_t n = 0; n < seq.size(); ++n)
        places[starts[seq[n]]++] = static_cast<uint32_t>(n);
    // starts[id] now holds the end of word id's places, which is where word id + 1's begin.
    // A gap doubled fits 33 bits: at most 5 bytes of varint each, written into room made once.
    out.Rest.resize(seq.size() * 5);
    uint8_t* rest = out.Rest.data();
    uint32_t from = 0;
    for (size_t id = 0; id < out.Words.size(); ++id) {
        TLexed::TWord& word = out.Words[id];
        const uint32_t to = starts[id];
        word.First = places[from];
        word.RestAt = static_cast<uint32_t>(rest - out.Rest.data());
        for (uint32_t k = from + 1; k < to; ++k) {
            uint64_t v = uint64_t{places[k] - places[k - 1]} << 1;
            for (; v >= 0x80; v >>= 7)
                *rest++ = static_cast<uint8_t>(v | 0x80);
            *rest++ = static_cast<uint8_t>(v);
        }
        word.RestSize = static_cast<uint32_t>(rest - out.Rest.data()) - word.RestAt;
        word.Last = places[to - 1];
        from = to;
    }
    out.Rest.resize(static_cast<size_t>(rest - out.Rest.data()));
    TPage& p = out.Page;
    p.Member = member;
    p.Name = out.Name;
    p.Title = std::move(text.Title);
    p.TextLength = static_cast<uint32_t>(text.Text.size());
    AppendPageText(text, out.Text, p.TextBytes);
    p.TextSize = static_cast<uint32_t>(out.Text.size());
    p.TextCrc = Crc(out.Text.data(), out.Text.size());
}

void TBookIndex::Merge(TLexed& lexed) {
    if (!lexed.Failure.empty()) {
        failures_.push_back(std::move(lexed.Failure));
        return;
    }
    const auto page = static_cast<uint32_t>(pages_.size());
    // Each distinct word of the page once: its first occurrence opens the page in the word's
    // list (word number, doubled plus one, then the page gap), the rest follow as coded.
    for (const TLexed::TWord& w : lexed.Words) {
        bool added = false;
        const uint32_t id = words_.Insert(
            std::string_view(lexed.Chars).substr(w.CharsAt, w.CharsSize), w.Hash, added);
        if (added)
            postings_.emplace_back();
        TPostings& p = postings_[id];
        PutVarint(p.Bytes, (uint64_t{w.First} << 1) | 1);
        PutVarint(p.Bytes, page - p.LastPage);
        p.Bytes.insert(p.Bytes.end(), lexed.Rest.begin() + w.RestAt,
                       lexed.Rest.begin() + w.RestAt + w.RestSize);
        p.Any = true;
        p.LastPage = page;
        p.LastWord = w.Last;
    }
    texts_.push_back(std::move(lexed.Text));
    pages_.push_back(std::move(lexed.Page));
}

void TBookIndex::Finish() {
    for (TPostings& p : postings_)
        p.Bytes.shrink_to_fit();
    pages_.shrink_to_fit();
    texts_.shrink_to_fit();
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
        Lex(candidates_[next_], lexed, stream, *scratch_);
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
    if (threads == 1) {
        TFileStream stream(book_.Path(), fmOpenRead | fmShareDenyNone);
        TLexed lexed;
        while (!Ready() && !cancel_) {
            lexed.Clear();
            Lex(candidates_[next_], lexed, stream, *scratch_);
            Merge(lexed);
            ++next_;
        }
        if (Ready())
            Finish();
        return;
    }
    // The workers take pages one at a time, in book order, into a ring of slots; this thread
    // merges each page as soon as it is read, in book order, and frees its slot. A worker that
    // is held up (the processors are shared) delays only the merge of its own page: the others
    // go on reading up to a ring ahead, where a batch that all must finish would stop them.
    const size_t first = next_;
    const size_t end = candidates_.size();
    const size_t window = kBatchPages * static_cast<size_t>(threads);
    std::vector<TLexed> ring(window);
    std::vector<uint8_t> filled(window, 0); // the slot holds its page, read
    std::mutex lock;
    std::condition_variable pageRead, slotFreed;
    size_t take = first;   // the next page a worker takes
    size_t merged = first; // pages merged so far
    bool stop = false;     // a worker failed, or the build ends early
    std::exception_ptr error;
    const auto work = [&] {
        try {
            TFileStream stream(book_.Path(), fmOpenRead | fmShareDenyNone);
            TScratch scratch;
            for (;;) {
                size_t page = 0;
                {
                    std::unique_lock<std::mutex> hold(lock);
                    slotFreed.wait(hold, [&] {
                        return stop || cancel_ || take >= end || take < merged + window;
                    });
                    if (stop || cancel_ || take >= end)
                        break;
                    page = take++;
                }
                // The slot is free: its last page, a ring earlier, is merged.
                TLexed& slot = ring[page % window];
                slot.Clear();
                Lex(candidates_[page], slot, stream, scratch);
                {
                    std::lock_guard<std::mutex> hold(lock);
                    filled[page % window] = 1;
                }
                pageRead.notify_one();
            }
        } catch (...) {
            std::lock_guard<std::mutex> hold(lock);
            if (!error)
                error = std::current_exception();
            stop = true;
        }
        // This thread reads no more: a merge that waits for a page it would have read must
        // look again (it finds stop, or the build cancelled).
        pageRead.notify_one();
        slotFreed.notify_all();
    };
    std::vector<std::thread> pool;
    const auto stopPool = [&] {
        {
            std::lock_guard<std::mutex> hold(lock);
            stop = true;
        }
        slotFreed.notify_all();
        for (std::thread& t : pool)
            t.join();
    };
    try {
        for (int t = 0; t < threads; ++t)
            pool.emplace_back(work);
        for (size_t page = first; page < end && !cancel_; ++page) {
            {
                std::unique_lock<std::mutex> hold(lock);
                pageRead.wait(hold, [&] { return filled[page % window] || stop || cancel_; });
                if (!filled[page % window])
                    break;
                filled[page % window] = 0;
            }
            Merge(ring[page % window]);
            {
                std::lock_guard<std::mutex> hold(lock);
                merged = page + 1;
            }
            next_ = page + 1;
            slotFreed.notify_all();
        }
    } catch (...) {
        stopPool();
        throw;
    }
    stopPool();
    if (error)
        std::rethrow_exception(error);
    if (Ready())
        Finish();
}

namespace {

// Walks one word's occurrences in book order. Occurrences beyond the last page (only a damaged
// index could hold them) end the walk.
class TOccurrences {
public:
    TOccurrences(std::span<const uint8_t> bytes, uint32_t pages)
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
        lists.emplace_back(PostingsOf(id), PageCount());
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
    std::string buffer;
    const std::string_view kept = KeptText(page, buffer);
    if (p.TextBytes > kept.size())
        throw damaged();
    TPageText text;
    text.Text = Utf8ToU32(kept.substr(0, p.TextBytes));
    if (text.Text.size() != p.TextLength)
        throw damaged();
    const auto* at = reinterpret_cast<const uint8_t*>(kept.data()) + p.TextBytes;
    const auto* end = reinterpret_cast<const uint8_t*>(kept.data()) + kept.size();
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
        bytes += p.Name.capacity() + p.Title.capacity();
    bytes += loaded_ ? loaded_->Bytes.capacity() : texts_.capacity() * sizeof(std::string);
    for (const std::string& t : texts_)
        bytes += t.capacity();
    for (const TPostings& p : postings_)
        bytes += p.Bytes.capacity();
    bytes += words_.MemoryUsed();
    return bytes;
}

// ---- the index as a file ----
//
// The magic, then the size of the head that follows as 8 bytes (little-endian). The head: the
// version, the book's key, the counts, the pages, the failures, then every word with its
// occurrences; last a CRC-32 of all that comes before it, from the magic on. After the head,
// the pages' texts one after the other, each with a CRC-32 of its own in its page's entry.
// Opening a cached index reads and checks the head only; a page's text is read and checked
// when a hit shows it, so a large book's index opens in the time its word lists take to read.

namespace {

constexpr size_t kMagicSize = sizeof kMagic - 1;
constexpr size_t kPreamble = kMagicSize + 8; // the magic and the head's size

} // namespace

TBookIndex::TLoaded::~TLoaded() {
    if (Fd >= 0)
        ::close(Fd);
}

std::vector<std::string_view> TBookIndex::Serialize(std::vector<std::string>& store) const {
    // Views into store must outlive its growth: room for the head and every text is made first.
    store.clear();
    store.reserve(pages_.size() + 1);
    store.emplace_back(kMagic, kMagicSize);
    std::string& head = store.back();
    head.append(8, '\0'); // the head's size, once known
    size_t postingBytes = 0;
    for (uint32_t i = 0; i < words_.Count(); ++i)
        postingBytes += PostingsOf(i).size() + words_.Word(i).size() + 10;
    head.reserve(head.size() + postingBytes + pages_.size() * 64 + 4096);
    PutVarint(head, kVersion);
    PutBytes(head, key_.data(), key_.size());
    PutVarint(head, candidates_.size());
    PutVarint(head, pages_.size());
    for (uint32_t i = 0; i < PageCount(); ++i) {
        const TPage& p = pages_[i];
        PutVarint(head, static_cast<uint64_t>(p.Member));
        PutBytes(head, p.Name.data(), p.Name.size());
        PutBytes(head, p.Title.data(), p.Title.size());
        PutVarint(head, p.TextLength);
        PutVarint(head, p.TextBytes);
        PutVarint(head, p.TextSize);
        PutVarint(head, p.TextCrc);
    }
    PutVarint(head, failures_.size());
    for (const std::string& f : failures_)
        PutBytes(head, f.data(), f.size());
    PutVarint(head, words_.Count());
    for (uint32_t i = 0; i < words_.Count(); ++i) {
        const std::string_view w = words_.Word(i);
        PutBytes(head, w.data(), w.size());
        const std::span<const uint8_t> list = PostingsOf(i);
        PutBytes(head, list.data(), list.size());
    }
    const uint64_t headSize = head.size() + 4 - kPreamble;
    for (int i = 0; i < 8; ++i)
        head[kMagicSize + static_cast<size_t>(i)] = static_cast<char>((headSize >> (8 * i)) & 0xFF);
    const uint32_t crc = Crc(head.data(), head.size());
    for (int i = 0; i < 4; ++i)
        head.push_back(static_cast<char>((crc >> (8 * i)) & 0xFF));
    std::vector<std::string_view> pieces;
    pieces.reserve(pages_.size() + 1);
    pieces.push_back(head);
    for (uint32_t i = 0; i < PageCount(); ++i) {
        std::string buffer;
        const std::string_view text = KeptText(i, buffer);
        if (text.data() == buffer.data()) { // read from the file: kept in store
            store.push_back(std::move(buffer));
            pieces.push_back(store.back());
        } else {
            pieces.push_back(text);
        }
    }
    return pieces;
}

std::span<const uint8_t> TBookIndex::PostingsOf(uint32_t id) const {
    const TPostings& p = postings_[id];
    if (loaded_)
        return {loaded_->Head + p.At, static_cast<size_t>(p.Size)};
    return {p.Bytes.data(), p.Bytes.size()};
}

std::string_view TBookIndex::KeptText(uint32_t page, std::string& buffer) const {
    const TPage& p = pages_.at(page);
    if (!loaded_)
        return texts_[page];
    const auto damaged = [&p] {
        return EArchiveError("The search index of " + p.Name + " is damaged");
    };
    std::string_view text;
    if (loaded_->Fd < 0) {
        // Adopt saw that every text lies within the bytes.
        text =
            std::string_view(reinterpret_cast<const char*>(loaded_->Texts + p.TextAt), p.TextSize);
    } else {
        buffer.resize(p.TextSize);
        size_t got = 0;
        while (got < buffer.size()) {
            const ssize_t n = ::pread(loaded_->Fd, buffer.data() + got, buffer.size() - got,
                                      static_cast<off_t>(loaded_->TextsAt + p.TextAt + got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                throw damaged(); // the file was cut short since it was opened
            got += static_cast<size_t>(n);
        }
        text = buffer;
    }
    if (Crc(text.data(), text.size()) != p.TextCrc)
        throw damaged();
    return text;
}

bool TBookIndex::Deserialize(std::string bytes) {
    auto loaded = std::make_unique<TLoaded>();
    loaded->Bytes = std::move(bytes); // a moved string keeps its buffer
    const auto* data = reinterpret_cast<const uint8_t*>(loaded->Bytes.data());
    const size_t size = loaded->Bytes.size();
    uint64_t headSize = 0;
    if (size < kPreamble || std::memcmp(data, kMagic, kMagicSize) != 0)
        return false;
    for (int i = 0; i < 8; ++i)
        headSize |= uint64_t{data[kMagicSize + static_cast<size_t>(i)]} << (8 * i);
    if (headSize > size - kPreamble)
        return false;
    loaded->Head = data;
    loaded->Texts = data + kPreamble + headSize;
    return Adopt(std::move(loaded), kPreamble + static_cast<size_t>(headSize),
                 size - kPreamble - headSize);
}

bool TBookIndex::Load(const std::string& path) {
    // A head is a few tens of megabytes for the largest books; a file far beyond that is no
    // index of ours. The head is read rather than mapped: the checksum reads every byte of it
    // anyway, and a mapped file that another program truncates would fault under us. The texts
    // stay in the file, read through the descriptor kept open: the name may be replaced by a
    // newer index meanwhile, and a file cut short gives a short read, never a fault.
    constexpr uint64_t kMaxBytes = uint64_t(1) << 31;
    auto loaded = std::make_unique<TLoaded>();
    loaded->Fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (loaded->Fd < 0)
        return false;
    const int fd = loaded->Fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<uint64_t>(st.st_size) < kPreamble)
        return false;
    const auto readAt = [fd](char* to, size_t n, uint64_t at) {
        size_t got = 0;
        while (got < n) {
            const ssize_t r = ::pread(fd, to + got, n - got, static_cast<off_t>(at + got));
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0)
                return false;
            got += static_cast<size_t>(r);
        }
        return true;
    };
    char preamble[kPreamble];
    if (!readAt(preamble, kPreamble, 0) || std::memcmp(preamble, kMagic, kMagicSize) != 0)
        return false;
    uint64_t headSize = 0;
    for (int i = 0; i < 8; ++i)
        headSize |= uint64_t{static_cast<uint8_t>(preamble[kMagicSize + static_cast<size_t>(i)])}
                    << (8 * i);
    const auto fileSize = static_cast<uint64_t>(st.st_size);
    if (headSize > kMaxBytes || headSize > fileSize - kPreamble)
        return false;
    std::string& head = loaded->Bytes;
    head.resize(kPreamble + static_cast<size_t>(headSize));
    std::memcpy(head.data(), preamble, kPreamble);
    if (!readAt(head.data() + kPreamble, static_cast<size_t>(headSize), kPreamble))
        return false;
    loaded->Head = reinterpret_cast<const uint8_t*>(head.data());
    loaded->TextsAt = kPreamble + headSize;
    return Adopt(std::move(loaded), head.size(), fileSize - kPreamble - headSize);
}

bool TBookIndex::Adopt(std::unique_ptr<TLoaded> loaded, size_t size, uint64_t textsSize) {
    const uint8_t* data = loaded->Head;
    // Too short for the magic, the head's size and the checksum, or no index at all.
    if (size < 64 || std::memcmp(data, kMagic, kMagicSize) != 0)
        return false;
    const size_t body = size - 4;
    uint32_t stored = 0;
    for (int i = 0; i < 4; ++i)
        stored |= uint32_t{data[body + static_cast<size_t>(i)]} << (8 * i);
    if (Crc(data, body) != stored)
        return false;
    TIndexReader r(data + kPreamble, data + body);
    const auto at = [data](std::string_view v) {
        return static_cast<uint64_t>(reinterpret_cast<const uint8_t*>(v.data()) - data);
    };
    if (r.Number(UINT32_MAX) != kVersion || r.Bytes(64) != key_ ||
        r.Number(SIZE_MAX) != candidates_.size())
        return false;
    const uint64_t pageCount = r.Number(candidates_.size());
    std::vector<TPage> pages;
    pages.reserve(static_cast<size_t>(pageCount));
    const int members = book_.Archive().Count();
    uint64_t textAt = 0;
    for (uint64_t i = 0; i < pageCount && r.Ok(); ++i) {
        TPage p;
        p.Member = static_cast<int>(r.Number(static_cast<uint64_t>(std::max(0, members - 1))));
        p.Name = r.Bytes(size);
        p.Title = r.Bytes(size);
        p.TextLength = static_cast<uint32_t>(r.Number(UINT32_MAX));
        p.TextBytes = static_cast<uint32_t>(r.Number(UINT32_MAX));
        p.TextSize = static_cast<uint32_t>(r.Number(UINT32_MAX));
        p.TextCrc = static_cast<uint32_t>(r.Number(UINT32_MAX));
        p.TextAt = textAt;
        textAt += p.TextSize;
        // Text() checks the rest when the page is unpacked.
        if (p.TextBytes > p.TextSize || p.TextLength > p.TextBytes)
            return false;
        pages.push_back(std::move(p));
    }
    // The texts the pages claim fill what follows the head, no more and no less.
    if (textAt != textsSize)
        return false;
    const uint64_t failureCount = r.Number(candidates_.size());
    std::vector<std::string> failures;
    for (uint64_t i = 0; i < failureCount && r.Ok(); ++i)
        failures.emplace_back(r.Bytes(size));
    if (!r.Ok() || pages.size() + failures.size() != candidates_.size())
        return false;
    const uint64_t wordCount = r.Number(size);
    TWordTable words;
    std::vector<TPostings> postings;
    postings.reserve(static_cast<size_t>(wordCount));
    for (uint64_t i = 0; i < wordCount && r.Ok(); ++i) {
        const std::string_view w = r.Bytes(size);
        bool added = false;
        words.Insert(w, added);
        if (!added || w.empty())
            return false; // every word once
        const std::string_view list = r.Bytes(size);
        TPostings p;
        p.At = at(list);
        p.Size = list.size();
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
    texts_.clear();
    texts_.shrink_to_fit();
    loaded_ = std::move(loaded);
    next_ = candidates_.size();
    return true;
}
