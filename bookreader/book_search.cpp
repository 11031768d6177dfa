#include "bookreader/book_search.h"

#include <algorithm>
#include <limits>

#include "bookreader/book_index.h"
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

} // namespace

TBookSearch::TBookSearch(const TSiteBook& book) : index_(std::make_unique<TBookIndex>(book)) {}

TBookSearch::~TBookSearch() = default;

bool TBookSearch::Step(int maxPages) {
    return index_->Step(maxPages);
}

void TBookSearch::BuildAll() {
    while (!index_->Step(256)) {
    }
}

bool TBookSearch::Ready() const {
    return index_->Ready();
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

TBookSearchResult TBookSearch::Search(std::string_view query, size_t maxHits) const {
    TBookSearchResult result;
    result.Complete = index_->Ready();
    const std::vector<std::string> words = QueryWords(query);
    const std::vector<TWordMatch> matches = index_->FindPhrase(words);
    result.Total = matches.size();
    const size_t count = std::min(maxHits, matches.size());
    result.Hits.reserve(count);
    // The matches of one page are next to each other: each page is unpacked and its words
    // found once, as far as its last hit.
    for (size_t i = 0; i < count;) {
        const uint32_t page = matches[i].Page;
        const TBookIndex::TPage& p = index_->Page(page);
        const TPageText text = index_->Text(page);
        TWordReader reader(text.Text, text.Sections);
        TWordReader chars(text.Text, text.Sections);
        std::vector<TTextWord> spans;
        for (; i < count && matches[i].Page == page; ++i) {
            const size_t last = size_t{matches[i].Word} + words.size() - 1;
            for (TTextWord w; spans.size() <= last && reader.Next(w);)
                spans.push_back({w.Start, w.End, {}});
            if (spans.size() <= last)
                break; // cannot happen: the index was made from this text
            TBookSearchHit hit;
            hit.Member = p.Member;
            hit.Page = p.Name;
            hit.Title = p.Title.empty() ? p.Name : p.Title;
            hit.TextStart = spans[matches[i].Word].Start;
            hit.TextEnd = spans[last].End;
            MakeContext(chars, static_cast<int32_t>(text.Text.size()), hit.TextStart, hit.TextEnd,
                        hit);
            result.Hits.push_back(std::move(hit));
        }
        while (i < count && matches[i].Page == page)
            ++i;
    }
    return result;
}

int PrintBookSearch(const TSiteBook& book, std::string_view query, std::FILE* out, std::FILE* err) {
    const std::string shown(query);
    if (QueryWords(query).empty()) {
        std::fprintf(err, "Nothing to search for in \"%s\": give a word or a phrase.\n",
                     shown.c_str());
        return 1;
    }
    TBookSearch search(book);
    TBookSearchResult result;
    try {
        search.BuildAll();
        result = search.Search(query, std::numeric_limits<size_t>::max());
    } catch (const Exception& e) {
        std::fprintf(err, "Cannot search %s: %s\n", book.Path().c_str(), e.what());
        return 1;
    }
    for (const std::string& failure : search.Failures())
        std::fprintf(err, "Not searched, the page is damaged: %s\n", failure.c_str());
    size_t pages = 0;
    int member = -1;
    for (const TBookSearchHit& hit : result.Hits) {
        if (hit.Member != member) {
            member = hit.Member;
            ++pages;
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
    std::fprintf(out, "%zu %s in %zu %s for \"%s\".\n", result.Hits.size(),
                 result.Hits.size() == 1 ? "hit" : "hits", pages, pages == 1 ? "page" : "pages",
                 shown.c_str());
    return 0;
}
