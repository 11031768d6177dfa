#pragma once
// Search across a whole site book: every HTML and text page is read with the document reader
// (entities decoded, tags dropped, the page's own encoding honoured), its words are folded by
// Unicode's rules (case, accents, compatibility forms; see search_words.h) and kept in a compact
// index in memory. A query is one word or a phrase (words that follow each other in the page's
// text, whatever spaces, line breaks or tags lie between them), given in UTF-8 and matched
// without regard to case or accents. In Chinese, Japanese and the other scripts written without
// spaces every character is a word, so a query in them is found inside a line.
//
// The index is made from the lexer's text of every page (no layout), on all processors, and
// can be kept in a cache folder keyed by the book's identity, so that the next run of the same
// book reads it back instead. A window builds it on a thread of its own (StartPreparing) and a
// search waits only for what is still missing; Step builds it a few pages at a time instead.
// Searching a partial index built by Step searches the pages indexed so far.
//
// A hit says where it lies in the page: [TextStart, TextEnd) are character indexes of the
// page's text as the lexer reads it, close to the laid-out page's. PlaceHit reads the page with
// the document reader and gives the hit the characters the viewer counts (the unit of
// THTMLViewer::SetSelection and of the sections' FirstChar), so a window loads the page, selects
// that range and scrolls the selection into view.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
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
    uint32_t Occurrence = 0; // the how-manieth hit of the query in its page, from 0
};

// A page with hits, for a list that shows each page once.
struct TBookSearchPage {
    int Member = -1;
    std::string Page;
    std::string Title; // as in the hits: the page name when the page has none
    size_t Count = 0;  // hits in this page
    int FirstHit = -1; // its first hit in Hits; -1 when its hits lie past the listed ones
    int BestHit = -1;  // the listed hit whose line of context shows the most of the query
};

struct TBookSearchResult {
    std::vector<TBookSearchHit> Hits;   // in book order, then in page order; at most maxHits
    std::vector<TBookSearchPage> Pages; // every page with hits, in book order
    size_t Total = 0;                   // every hit counted, including those past maxHits
    bool Complete = true;               // false: the index did not cover every page yet
    // True when counting stopped at the count limit: Total and Pages are then the least there
    // are.
    bool Stopped = false;
};

// Where search indexes are kept: $XDG_CACHE_HOME/foliobuilder, else ~/.cache/foliobuilder;
// empty when neither can be told.
std::string DefaultSearchCacheDir();

class TBookSearch {
public:
    // Hits past this are not counted: a query that finds a common word in every page stops
    // there, in time and memory.
    static constexpr size_t kCountLimit = 1000000;

    // The book must outlive the search. Nothing is read until the first Step or Prepare.
    // cacheDir: where to keep the index between runs; empty: nowhere.
    explicit TBookSearch(const TSiteBook& book, std::string cacheDir = {});
    ~TBookSearch();
    TBookSearch(const TBookSearch&) = delete;
    TBookSearch& operator=(const TBookSearch&) = delete;

    // Indexes at most maxPages more pages (at least one); true when every page is indexed.
    // A page that cannot be read (a damaged member) is skipped and counted in Failures.
    bool Step(int maxPages);
    // Indexes every remaining page on threads threads (0: one per processor).
    void BuildAll(int threads = 0);
    // The whole index: read from the cache when it holds this book's, else built on threads
    // threads and written there. A cache that cannot be read or written costs only the time.
    void Prepare(int threads = 0);
    // Prepare on a thread of its own: until Ready(), only Ready, PagesDone, PagesTotal and
    // Search (which waits for the rest) may be called.
    void StartPreparing(int threads = 0);
    void Wait();
    bool Ready() const;
    // Whether the index came from the cache. A page text found damaged in the cache when a
    // search shows it makes the search build the index again (and write it again).
    bool FromCache() const { return fromCache_; }
    // The cache file of this book; empty without a cache folder.
    std::string CacheFile() const;
    int PagesDone() const;  // pages looked at so far
    int PagesTotal() const; // HTML and text pages in the book
    // Pages that could not be read, with the reason ("name: reason").
    const std::vector<std::string>& Failures() const;
    // Bytes the index holds in memory (for the benchmark and the memory goal).
    size_t MemoryUsed() const;

    // The hits of a word or phrase (UTF-8). A query without any letter or digit finds nothing.
    // At most maxHits hits are listed, with their context; counting goes on to countLimit.
    TBookSearchResult Search(std::string_view query, size_t maxHits = 1000,
                             size_t countLimit = kCountLimit);

private:
    TBookSearchResult SearchIndex(std::string_view query, size_t maxHits, size_t countLimit);

    const TSiteBook& book_;
    std::unique_ptr<TBookIndex> index_;
    std::string cacheDir_;
    bool fromCache_ = false;
    bool distrustCache_ = false; // the cache file was found damaged: built again, not read
    std::thread worker_;
    std::atomic<bool> preparing_{false};
};

// Gives the hit the characters of the laid-out page that the viewer selects, reading its page
// with the document reader (as the window does): the hit's Occurrence-th place of the query in
// the page. False when the page no longer holds the query there (the hit is left as it was).
bool PlaceHit(const TSiteBook& book, std::string_view query, TBookSearchHit& hit);

// The reader's `--search WORDS`: builds the index and prints on out, for each page with hits,
// a line "page: title" and under it the context line of each hit, indented; then a count.
// Damaged pages and other problems go to err. Returns the reader's exit status: 0 with hits,
// 1 with none or on failure.
// At most maxHits hits are printed; the count line says how many there were. cacheDir as for
// TBookSearch.
int PrintBookSearch(const TSiteBook& book, std::string_view query, std::FILE* out, std::FILE* err,
                    const std::string& cacheDir = {}, size_t maxHits = 10000);
