#include "bookreader/book_search.h"

#include <algorithm>
#include <cstdlib>

#include "bookreader/book_index.h"
#include "bookreader/book_page_source.h"
#include "bookreader/page_text.h"
#include "bookreader/private_file.h"
#include "bookreader/search_words.h"
#include "bookreader/site_book.h"
#include "platform/base/printable_name.h"
#include "platform/base/strings.h"

namespace {

// Characters of context shown on each side of a hit, before rounding to whole words.
constexpr int32_t kContextChars = 40;

// Spaces and the no-break space read as one space in a line of context, as do the characters
// that would break or rewrite the line (the engine's codes for images, controls and breaks
// among them).
bool IsBlank(char32_t c) {
    return c == ' ' || c == 0xA0 || BreaksLine(c);
}

// The line of context around [start, end) of a page's text, with the hit's place in it.
void MakeContext(const TWordReader& text, int32_t length, int32_t start, int32_t end,
                 TBookSearchHit& hit) {
    int32_t from = std::max(0, start - kContextChars);
    int32_t to = std::min(length, end + kContextChars);
    // Whole words only: a cut word is left out (a character of Chinese or Japanese is a word).
    while (from > 0 && from < start && text.Joins(from))
        ++from;
    while (to < length && to > end && text.Joins(to))
        --to;
    std::string& out = hit.Context;
    bool space = false; // a blank is waiting to be written
    if (from > 0)
        out += "\u2026";
    const size_t lead = out.size();
    for (int32_t i = from; i < to; ++i) {
        const char32_t c = text.CharAt(i);
        if (i == end)
            hit.ContextLength = out.size() - hit.ContextStart;
        if (IsBlank(c) || (i > from && text.StartsSection(i))) // a new block, cell or line too
            space = true;
        if (IsBlank(c))
            continue;
        if (space && out.size() > lead)
            out += ' ';
        space = false;
        if (i == start)
            hit.ContextStart = out.size();
        AppendUtf8(out, c);
    }
    if (end >= to)
        hit.ContextLength = out.size() - hit.ContextStart;
    if (to < length)
        out += "\u2026";
}

// How many of the query's words a line of context shows: the line that shows the most is the
// one a list of pages shows for its page.
size_t QueryWordsShown(const std::string& context, const std::vector<std::string>& words) {
    size_t n = 0;
    for (const std::string& w : QueryWords(context))
        n += std::find(words.begin(), words.end(), w) != words.end();
    return n;
}

} // namespace

std::string DefaultSearchCacheDir() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
        return std::string(cache) + "/foliobuilder";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.cache/foliobuilder";
    return {};
}

TBookSearch::TBookSearch(const TSiteBook& book, std::string cacheDir)
    : book_(book), index_(std::make_unique<TBookIndex>(book)), cacheDir_(std::move(cacheDir)) {}

TBookSearch::~TBookSearch() {
    index_->Cancel();
    Wait();
}

bool TBookSearch::Step(int maxPages) {
    Wait();
    return index_->Step(maxPages);
}

void TBookSearch::BuildAll(int threads) {
    Wait();
    index_->BuildAll(threads);
}

std::string TBookSearch::CacheFile() const {
    if (cacheDir_.empty())
        return {};
    // The file is named by a hash of the book's key; the key itself is checked inside it.
    uint64_t h = 0xCBF29CE484222325ull;
    for (const char c : index_->BookKey()) {
        h ^= static_cast<uint8_t>(c);
        h *= 0x100000001B3ull;
    }
    char name[40];
    std::snprintf(name, sizeof name, "/search-%016llx.idx", static_cast<unsigned long long>(h));
    return cacheDir_ + name;
}

void TBookSearch::Prepare(int threads) {
    if (index_->Ready())
        return;
    const std::string file = CacheFile();
    if (!file.empty() && !distrustCache_ && index_->PagesDone() == 0 && index_->Load(file)) {
        fromCache_ = true;
        return;
    }
    index_->BuildAll(threads);
    if (index_->Ready() && !file.empty() && MakePrivateDirectory(cacheDir_)) {
        std::vector<std::string> store;
        const std::vector<std::string_view> pieces = index_->Serialize(store);
        ReplaceFileContents(file, pieces);
    }
}

void TBookSearch::StartPreparing(int threads) {
    if (preparing_ || index_->Ready())
        return;
    preparing_ = true;
    worker_ = std::thread([this, threads] {
        try {
            Prepare(threads);
        } catch (const std::exception&) {
            // What could not be read is read again, page by page, by the first search.
        }
        preparing_ = false;
    });
}

void TBookSearch::Wait() {
    if (worker_.joinable())
        worker_.join();
}

bool TBookSearch::Ready() const {
    return !preparing_ && index_->Ready();
}

int TBookSearch::PagesDone() const {
    return index_->PagesDone();
}

int TBookSearch::PagesTotal() const {
    return index_->PagesTotal();
}

const std::vector<std::string>& TBookSearch::Failures() const {
    return index_->Failures();
}

size_t TBookSearch::MemoryUsed() const {
    return index_->MemoryUsed();
}

TBookSearchResult TBookSearch::Search(std::string_view query, size_t maxHits, size_t countLimit) {
    Wait();
    try {
        return SearchIndex(query, maxHits, countLimit);
    } catch (const EArchiveError&) {
        if (!fromCache_)
            throw;
    }
    // A page text of the cached index was damaged after the file was opened and checked (its
    // texts are read when shown): nothing more of the file is trusted; the index is built
    // again, written again, and asked again.
    index_ = std::make_unique<TBookIndex>(book_);
    fromCache_ = false;
    distrustCache_ = true;
    Prepare();
    return SearchIndex(query, maxHits, countLimit);
}

TBookSearchResult TBookSearch::SearchIndex(std::string_view query, size_t maxHits,
                                           size_t countLimit) {
    TBookSearchResult result;
    result.Complete = index_->Ready();
    const std::vector<std::string> words = QueryWords(query);
    // The matches are walked once: the first maxHits are kept, the others only counted (each
    // page with hits takes one entry), so memory stays with what is shown.
    std::vector<TWordMatch> listed;
    index_->FindPhrase(words, [&](const TWordMatch& m) {
        if (result.Total >= countLimit) {
            result.Stopped = true;
            return false;
        }
        const TBookIndex::TPage& p = index_->Page(m.Page);
        if (result.Pages.empty() || result.Pages.back().Member != p.Member ||
            result.Pages.back().Count == 0) {
            TBookSearchPage page;
            page.Member = p.Member;
            page.Page = p.Name;
            page.Title = p.Title.empty() ? p.Name : p.Title;
            result.Pages.push_back(std::move(page));
        }
        ++result.Pages.back().Count;
        ++result.Total;
        if (listed.size() < maxHits)
            listed.push_back(m);
        return true;
    });
    result.Hits.reserve(listed.size());
    // The matches of one page are next to each other: each page is unpacked and its words
    // found once, as far as its last hit.
    size_t pageAt = 0;
    for (size_t i = 0; i < listed.size();) {
        const uint32_t page = listed[i].Page;
        const TBookIndex::TPage& p = index_->Page(page);
        while (pageAt < result.Pages.size() && result.Pages[pageAt].Member != p.Member)
            ++pageAt;
        TBookSearchPage* group = pageAt < result.Pages.size() ? &result.Pages[pageAt] : nullptr;
        const TPageText text = index_->Text(page);
        TWordReader reader(text.Text, text.Sections);
        TWordReader chars(text.Text, text.Sections);
        std::vector<TTextWord> spans;
        size_t bestShown = 0;
        for (uint32_t occurrence = 0; i < listed.size() && listed[i].Page == page;
             ++i, ++occurrence) {
            const size_t last = size_t{listed[i].Word} + words.size() - 1;
            for (TTextWord w; spans.size() <= last && reader.Next(w);)
                spans.push_back({w.Start, w.End, {}});
            if (spans.size() <= last)
                break; // only a damaged index: the index was made from this text
            TBookSearchHit hit;
            hit.Member = p.Member;
            hit.Page = p.Name;
            hit.Title = p.Title.empty() ? p.Name : p.Title;
            hit.Occurrence = occurrence;
            hit.TextStart = spans[listed[i].Word].Start;
            hit.TextEnd = spans[last].End;
            MakeContext(chars, static_cast<int32_t>(text.Text.size()), hit.TextStart, hit.TextEnd,
                        hit);
            if (group) {
                const size_t shown = QueryWordsShown(hit.Context, words);
                if (group->FirstHit < 0 || shown > bestShown) {
                    group->BestHit = static_cast<int>(result.Hits.size());
                    bestShown = shown;
                }
                if (group->FirstHit < 0)
                    group->FirstHit = static_cast<int>(result.Hits.size());
            }
            result.Hits.push_back(std::move(hit));
        }
        while (i < listed.size() && listed[i].Page == page)
            ++i;
    }
    return result;
}

bool PlaceHit(const TSiteBook& book, std::string_view query, TBookSearchHit& hit) {
    const std::vector<std::string> words = QueryWords(query);
    if (words.empty())
        return false;
    TBookPageSource sheets(book, size_t(1) << 20);
    TPageTextReader reader;
    const TPageText text =
        reader.Read(book.Archive().ExtractToString(hit.Member),
                    [&sheets](TObject* sender, const std::string& url, TMemoryStream*& s) {
                        sheets.StreamRequest(sender, url, s);
                    });
    // The page's words in a ring as long as the query: a place is where the ring holds it.
    std::vector<TTextWord> ring(words.size());
    TWordReader wordsOf(text.Text, text.Sections);
    uint32_t occurrence = 0;
    size_t n = 0;
    bool found = false;
    int32_t start = 0, end = 0;
    for (TTextWord w; wordsOf.Next(w); ++n) {
        ring[n % words.size()] = std::move(w);
        if (n + 1 < words.size())
            continue;
        bool match = true;
        for (size_t k = 0; k < words.size() && match; ++k)
            match = ring[(n + 1 + k) % words.size()].Folded == words[k];
        if (!match)
            continue;
        // The last place found stands in when the page holds fewer than the index counted.
        start = ring[(n + 1) % words.size()].Start;
        end = ring[n % words.size()].End;
        found = true;
        if (occurrence++ == hit.Occurrence)
            break;
    }
    if (!found)
        return false;
    hit.TextStart = start;
    hit.TextEnd = end;
    return true;
}

int PrintBookSearch(const TSiteBook& book, std::string_view query, std::FILE* out, std::FILE* err,
                    const std::string& cacheDir, size_t maxHits) {
    const std::string shown(query);
    if (QueryWords(query).empty()) {
        std::fprintf(err, "Nothing to search for in \"%s\": give a word or a phrase.\n",
                     shown.c_str());
        return 1;
    }
    TBookSearch search(book, cacheDir);
    TBookSearchResult result;
    try {
        search.Prepare();
        result = search.Search(query, maxHits);
    } catch (const Exception& e) {
        std::fprintf(err, "Cannot search %s: %s\n", book.Path().c_str(), e.what());
        return 1;
    }
    for (const std::string& failure : search.Failures())
        std::fprintf(err, "Not searched, the page is damaged: %s\n", failure.c_str());
    int member = -1;
    for (const TBookSearchHit& hit : result.Hits) {
        if (hit.Member != member) {
            member = hit.Member;
            // A member's name may hold any byte; the title and context hold no control
            // characters.
            const std::string name = PrintableName(hit.Page);
            if (hit.Title == hit.Page)
                std::fprintf(out, "%s\n", name.c_str());
            else
                std::fprintf(out, "%s: %s\n", name.c_str(), hit.Title.c_str());
        }
        std::fprintf(out, "    %s\n", hit.Context.c_str());
    }
    if (result.Hits.empty()) {
        std::fprintf(out, "No page holds \"%s\".\n", shown.c_str());
        return 1;
    }
    const size_t pages = result.Pages.size();
    if (result.Hits.size() < result.Total)
        std::fprintf(out, "The first %zu hits are shown.\n", result.Hits.size());
    std::fprintf(out, "%s%zu %s in %zu %s for \"%s\".\n", result.Stopped ? "At least " : "",
                 result.Total, result.Total == 1 ? "hit" : "hits", pages,
                 pages == 1 ? "page" : "pages", shown.c_str());
    return 0;
}
