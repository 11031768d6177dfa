#pragma once
// The word index of a site book: for every folded word, where it occurs (page and word number
// in the page), delta-coded in a few bytes an occurrence; for every page its name, title, and
// its text (UTF-8) and section starts, so that hits can show their context without reading the
// page again. Phrases are words at consecutive word numbers.
//
// The text comes straight from the lexer (see page_words.h): finding words needs no layout.
// Pages are read on several threads at once and merged one by one in book order, so the index
// is the same whatever the number of threads. A whole index can be written to a file and read
// back: the file is checked throughout (a damaged or foreign one is refused, never trusted).
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bookreader/page_text.h"
#include "bookreader/word_table.h"

class TSiteBook;

// An occurrence: the page (its number in the index) and the word number in the page.
struct TWordMatch {
    uint32_t Page = 0;
    uint32_t Word = 0;
};

class TBookIndex {
public:
    explicit TBookIndex(const TSiteBook& book);
    ~TBookIndex();
    TBookIndex(const TBookIndex&) = delete;
    TBookIndex& operator=(const TBookIndex&) = delete;

    // Indexes at most maxPages more pages on this thread; true when every page is indexed.
    bool Step(int maxPages);
    // Indexes every remaining page on threads threads (0: one per processor).
    void BuildAll(int threads);
    // Makes a BuildAll under way on another thread stop after the page it merges, the index
    // unfinished.
    void Cancel() { cancel_ = true; }
    bool Ready() const { return next_.load() >= candidates_.size(); }
    int PagesDone() const { return static_cast<int>(next_.load()); }
    int PagesTotal() const { return static_cast<int>(candidates_.size()); }
    const std::vector<std::string>& Failures() const { return failures_; }
    size_t MemoryUsed() const;

    // Calls found for each place where the words follow each other (one word: where it
    // occurs), in book order, until found returns false. The lists of occurrences are walked
    // side by side, so the memory used does not grow with the hits or the phrase's length.
    void FindPhrase(const std::vector<std::string>& words,
                    const std::function<bool(const TWordMatch&)>& found) const;

    struct TPage {
        int Member = -1;
        std::string Name;
        std::string Title;       // UTF-8, may be empty
        uint32_t TextLength = 0; // in characters
        uint32_t TextBytes = 0;  // of the text in UTF-8
        // The text in UTF-8, then its section starts: where among a loaded index's texts, the
        // size of both, and their CRC-32.
        uint64_t TextAt = 0;
        uint32_t TextSize = 0;
        uint32_t TextCrc = 0;
    };
    uint32_t PageCount() const { return static_cast<uint32_t>(pages_.size()); }
    const TPage& Page(uint32_t page) const { return pages_[page]; }
    // The page's text and section starts (its title is in Page()); raises EArchiveError when
    // the kept text is damaged (or, in a cached index, cannot be read from its file).
    TPageText Text(uint32_t page) const;

    // The whole index as bytes for a file, in pieces to be written one after the other (the
    // head, then each page's text); only when Ready(). The pieces lie in store (cleared first)
    // or in the index, and stay valid while both are unchanged.
    std::vector<std::string_view> Serialize(std::vector<std::string>& store) const;
    // Replaces the index with one Serialize wrote for this same book (key: BookKey()), its
    // pieces joined. False, with the index left as it was, when the bytes are damaged or belong
    // to another book; a page text damaged since is refused when Text() reads it.
    bool Deserialize(std::string bytes);
    // The same from a file: its head is read and checked, the page texts are read from the
    // file when Text() asks for them (and checked then). False when the file is missing, no
    // regular file, too large or refused as above.
    bool Load(const std::string& path);
    // What tells this book apart from any other or from itself changed: the file's size and
    // time and a hash of its member table.
    const std::string& BookKey() const { return key_; }

private:
    struct TPostings {
        std::vector<uint8_t> Bytes; // while the index is built
        uint64_t At = 0;            // where they lie in a loaded index, and their size
        uint64_t Size = 0;
        uint32_t LastPage = 0; // of the last occurrence added
        uint32_t LastWord = 0;
        bool Any = false;
    };
    struct TLexed; // one page as a worker hands it to the merge
    struct TScratch;
    void Lex(int member, TLexed& out, class TFileStream& stream, TScratch& scratch) const;
    void Merge(TLexed& page);
    void Finish();
    // The page's kept text and section starts (see TPage), read into buffer when they lie in
    // the file; raises EArchiveError when they are damaged.
    std::string_view KeptText(uint32_t page, std::string& buffer) const;
    // A cached index: its head in memory, its texts in memory too or in the file.
    struct TLoaded {
        std::string Bytes;              // the head (from a file) or everything (from bytes)
        const uint8_t* Head = nullptr;  // Bytes' data
        const uint8_t* Texts = nullptr; // the texts, when in Bytes
        int Fd = -1;                    // the file, when the texts are read from it
        uint64_t TextsAt = 0;           // where in the file they start
        TLoaded() = default;
        TLoaded(const TLoaded&) = delete;
        TLoaded& operator=(const TLoaded&) = delete;
        ~TLoaded();
    };
    // Takes a serialized index: its head (size bytes at loaded's Head) checked and read, and
    // the sizes of its texts checked against the textsSize bytes after it.
    bool Adopt(std::unique_ptr<TLoaded> loaded, size_t size, uint64_t textsSize);
    std::span<const uint8_t> PostingsOf(uint32_t id) const;

    const TSiteBook& book_;
    std::vector<int> candidates_; // members that are pages, in book order
    std::atomic<size_t> next_{0};
    std::atomic<bool> cancel_{false};
    std::vector<std::string> failures_;
    std::unique_ptr<TScratch> scratch_; // for Step
    std::vector<TPage> pages_;
    TWordTable words_;
    std::vector<TPostings> postings_;
    std::vector<std::string> texts_;  // the kept page texts of an index built here
    std::unique_ptr<TLoaded> loaded_; // when the index was read back
    std::string key_;
};
