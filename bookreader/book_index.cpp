#include "bookreader/book_index.h"

#include <algorithm>
#include <malloc.h>
#include <zlib.h>

#include "bookreader/search_words.h"
#include "bookreader/site_book.h"
#include "platform/base/strings.h"

namespace {

// Pages of a book share a few style sheets; what they link is kept decompressed, up to this.
constexpr size_t kSheetCacheBytes = size_t(1) << 20;

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

} // namespace

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

TBookIndex::TBookIndex(const TSiteBook& book)
    : book_(book), sheets_(book, kSheetCacheBytes), packer_(std::make_unique<TPacker>()) {
    for (int member : book.Served()) {
        const std::string name = TSiteBook::ServedName(book.Archive().Member(member).Name);
        if (IsPageName(name) && !SameText(name, TSiteBook::kConfigName))
            candidates_.push_back(member);
    }
}

TBookIndex::~TBookIndex() = default;

bool TBookIndex::Step(int maxPages) {
    for (int n = std::max(1, maxPages); n > 0 && !Ready(); --n) {
        const int member = candidates_[next_++];
        const std::string name = TSiteBook::ServedName(book_.Archive().Member(member).Name);
        std::string bytes;
        try {
            bytes = book_.Archive().ExtractToString(member);
        } catch (const Exception& e) {
            failures_.push_back(name + ": " + e.what());
            continue;
        }
        AddPage(
            member, name,
            reader_.Read(bytes, [this](TObject* sender, const std::string& url, TMemoryStream*& s) {
                sheets_.StreamRequest(sender, url, s);
            }));
    }
    if (Ready()) {
        for (TPostings& p : postings_)
            p.Bytes.shrink_to_fit();
        pages_.shrink_to_fit();
        words_.Shrink();
        // Reading thousands of pages leaves the heap full of freed documents; hand what is free
        // back to the system, so the reader's size is that of what it keeps.
        malloc_trim(0);
    }
    return Ready();
}

void TBookIndex::AddPage(int member, const std::string& name, TPageText text) {
    // The viewer counts characters in 32-bit integers; what lies beyond is never shown. Packed,
    // a character takes at most 4 bytes of UTF-8 and a section start (a section holds one
    // character or more) 5 bytes of varint, and the whole must stay under 4 GB: some 470
    // million characters, more than any page holds.
    constexpr size_t kMaxChars = UINT32_MAX / 9;
    if (text.Text.size() > kMaxChars) {
        text.Text.resize(kMaxChars);
        std::erase_if(text.Sections, [](int32_t s) { return static_cast<size_t>(s) >= kMaxChars; });
    }
    const auto page = static_cast<uint32_t>(pages_.size());
    uint32_t word = 0;
    TWordReader reader(text.Text, text.Sections);
    for (TTextWord w; reader.Next(w); ++word) {
        bool added = false;
        const uint32_t id = words_.Insert(w.Folded, added);
        if (added)
            postings_.emplace_back();
        Add(id, page, word);
    }
    TPage p;
    p.Member = member;
    p.Name = name;
    p.Title = std::move(text.Title);
    p.TextLength = static_cast<uint32_t>(text.Text.size());
    p.Packed = packer_->Pack(text, p.TextBytes, p.RawSize);
    pages_.push_back(std::move(p));
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

std::vector<TWordMatch> TBookIndex::Occurrences(const std::string& word) const {
    std::vector<TWordMatch> out;
    const uint32_t id = words_.Find(word);
    if (id == TWordTable::kNone)
        return out;
    const std::vector<uint8_t>& bytes = postings_[id].Bytes;
    const uint8_t* p = bytes.data();
    const uint8_t* end = p + bytes.size();
    TWordMatch m;
    while (p < end) {
        const uint64_t v = GetVarint(p, end);
        if ((v & 1) != 0) {
            m.Word = static_cast<uint32_t>(v >> 1);
            m.Page += static_cast<uint32_t>(GetVarint(p, end));
        } else {
            m.Word += static_cast<uint32_t>(v >> 1);
        }
        out.push_back(m);
    }
    return out;
}

std::vector<TWordMatch> TBookIndex::FindPhrase(const std::vector<std::string>& words) const {
    if (words.empty())
        return {};
    std::vector<TWordMatch> found = Occurrences(words[0]);
    // Keep the starts whose k-th next word is words[k]: both lists are in book order, so one
    // merge walk per word.
    for (size_t k = 1; k < words.size() && !found.empty(); ++k) {
        const std::vector<TWordMatch> next = Occurrences(words[k]);
        std::vector<TWordMatch> kept;
        size_t j = 0;
        for (const TWordMatch& m : found) {
            const uint64_t want = uint64_t{m.Word} + k;
            while (j < next.size() &&
                   (next[j].Page < m.Page || (next[j].Page == m.Page && next[j].Word < want)))
                ++j;
            if (j < next.size() && next[j].Page == m.Page && next[j].Word == want)
                kept.push_back(m);
        }
        found = std::move(kept);
    }
    return found;
}

TPageText TBookIndex::Text(uint32_t page) const {
    const TPage& p = pages_[page];
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
