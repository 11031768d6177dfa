#pragma once
// The word index of a site book, kept in memory: for every folded word, where it occurs (page
// and word number in the page), delta-coded in a few bytes an occurrence; for every page its
// name, title, and its text and section starts compressed, so that hits can show their context
// and their place in the page without reading the page again. Phrases are words at consecutive
// word numbers. Nothing of it is written anywhere: it lives as long as the reader's window.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bookreader/book_page_source.h"
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

    bool Step(int maxPages);
    bool Ready() const { return next_ >= candidates_.size(); }
    int PagesDone() const { return static_cast<int>(next_); }
    int PagesTotal() const { return static_cast<int>(candidates_.size()); }
    const std::vector<std::string>& Failures() const { return failures_; }
    size_t MemoryUsed() const;

    // Where the words follow each other (one word: where it occurs), in book order: by page,
    // then by word number.
    std::vector<TWordMatch> FindPhrase(const std::vector<std::string>& words) const;

    struct TPage {
        int Member = -1;
        std::string Name;
        std::string Title;           // UTF-8, may be empty
        uint32_t TextLength = 0;     // in characters
        uint32_t TextBytes = 0;      // of the text in UTF-8
        uint32_t RawSize = 0;        // of the text and its section starts before packing
        std::vector<uint8_t> Packed; // the text in UTF-8, then its section starts, compressed
    };
    const TPage& Page(uint32_t page) const { return pages_[page]; }
    // The page's text and section starts (its title is in Page()).
    TPageText Text(uint32_t page) const;

private:
    struct TPostings {
        std::vector<uint8_t> Bytes;
        uint32_t LastPage = 0; // of the last occurrence added
        uint32_t LastWord = 0;
        bool Any = false;
    };
    void AddPage(int member, const std::string& name, TPageText text);
    void Add(uint32_t id, uint32_t page, uint32_t word);
    std::vector<TWordMatch> Occurrences(const std::string& word) const;

    const TSiteBook& book_;
    std::vector<int> candidates_; // members that are pages, in book order
    size_t next_ = 0;
    std::vector<std::string> failures_;
    TPageTextReader reader_;
    TBookPageSource sheets_; // the pages' linked style sheets, as the window serves them
    struct TPacker;
    std::unique_ptr<TPacker> packer_;
    std::vector<TPage> pages_;
    TWordTable words_;
    std::vector<TPostings> postings_;
};
