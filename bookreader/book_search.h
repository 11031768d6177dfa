#pragma once
// Search across a whole site book: every HTML and text page is read with the document reader
// (entities decoded, tags dropped, the page's own encoding honoured), its words are folded by
// Unicode's rules (case, accents, compatibility forms; see search_words.h) and kept in a compact
// index in memory. A query is one word or a phrase (words that follow each other in the page's
// text, whatever spaces, line breaks or tags lie between them), given in UTF-8 and matched
// without regard to case or accents. In Chinese, Japanese and the other scripts written without
// spaces every character is a word, so a query in them is found inside a line.
//
// The index is built a few pages at a time (Step), so a window can build it from its idle loop
// and stay responsive, or all at once (BuildAll) on the command line. Searching before the
// index is complete searches the pages indexed so far.
//
// A hit says where it lies in the page as the viewer shows it: [TextStart, TextEnd) are
// character indexes of the document's text (the unit of THTMLViewer::SetSelection and of the
// sections' FirstChar, counted once the page is laid out), so a window loads the page, selects
// that range and scrolls the selection into view.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TSiteBook;
class TBookIndex;

struct TBookSearchHit {
    int Member = -1;       // archive member of the page
    std::string Page;      // the page's served name (what the frame viewer loads)
    std::string Title;     // the page's title in UTF-8; the page name when it has none
    std::string Context;   // the line of text around the hit, UTF-8, on one line
    int32_t TextStart = 0; // the hit in the laid-out page's text: first character ...
    int32_t TextEnd = 0;   // ... and one past the last
    // Where the hit lies inside Context (bytes of the UTF-8 text), to show it marked.
    size_t ContextStart = 0;
    size_t ContextLength = 0;
};

struct TBookSearchResult {
    std::vector<TBookSearchHit> Hits; // in book order, then in page order; at most maxHits
    size_t Total = 0;                 // every hit, including those past maxHits
    bool Complete = true;             // false: the index did not cover every page yet
};

class TBookSearch {
public:
    // The book must outlive the search. Nothing is read until the first Step.
    explicit TBookSearch(const TSiteBook& book);
    ~TBookSearch();
    TBookSearch(const TBookSearch&) = delete;
    TBookSearch& operator=(const TBookSearch&) = delete;

    // Indexes at most maxPages more pages (at least one); true when every page is indexed.
    // A page that cannot be read (a damaged member) is skipped and counted in Failures.
    bool Step(int maxPages);
    // Indexes every remaining page.
    void BuildAll();
    bool Ready() const;
    int PagesDone() const;  // pages looked at so far
    int PagesTotal() const; // HTML and text pages in the book
    // Pages that could not be read, with the reason ("name: reason").
    const std::vector<std::string>& Failures() const;
    // Bytes the index holds in memory (for the benchmark and the memory goal).
    size_t MemoryUsed() const;

    // The hits of a word or phrase (UTF-8). A query without any letter or digit finds nothing.
    TBookSearchResult Search(std::string_view query, size_t maxHits = 1000) const;

private:
    std::unique_ptr<TBookIndex> index_;
};

// The reader's `--search WORDS`: builds the index and prints on out, for each page with hits,
// a line "page: title" and under it the context line of each hit, indented; then a count.
// Damaged pages and other problems go to err. Returns the reader's exit status: 0 with hits,
// 1 with none or on failure.
int PrintBookSearch(const TSiteBook& book, std::string_view query, std::FILE* out, std::FILE* err);
