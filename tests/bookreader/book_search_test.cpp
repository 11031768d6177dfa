// Search across a book: the fixture site under tests/data/bookreader/search/site packed into a
// book, the queries and the output expected for each in queries.txt; the hits' places checked
// against the page as the viewer lays it out; a generated book of 5,000 pages.
#include "bookreader/book_search.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bookreader/page_text.h"
#include "bookreader/private_file.h"
#include "bookreader/reader_app.h"
#include "bookreader/search_pane.h"
#include "bookreader/search_words.h"
#include "bookreader/site_book.h"
#include "html/doc/text_section.h"
#include "html/load/headless_page.h"
#include "platform/base/strings.h"
#include "tests/bookreader/archive_builder.h"
#include "tests/support/captured_output.h"
#include "tests/support/files.h"
#include "tests/support/fonts_env.h"
#include "tests/support/temp_dir.h"

namespace {

std::string DataDir() {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    return std::string(src != nullptr && *src != '\0' ? src : ".") +
           "/tests/data/bookreader/search";
}

// The fixture's members in the order the book holds them.
const char* const kSiteFiles[] = {"index.html", "sub/two.html", "cyr.html",
                                  "notes.txt",  "frames.html",  "style.css"};

class BookSearchTest : public ::testing::Test {
protected:
    // A book of the fixture site; extra members are packed after it.
    TSiteBook& FixtureBook(const std::vector<std::pair<std::string, std::string>>& extra = {}) {
        TArchiveBytes a;
        for (const char* name : kSiteFiles)
            a.Member(std::string("/site/") + name,
                     folio_test::ReadFile(DataDir() + "/site/" + name));
        for (const auto& [name, content] : extra)
            a.Member(name, content);
        a.Member("/b/folioauthor.html", ConfigText("/site/index.html")).End();
        return Open(a);
    }
    TSiteBook& Open(const TArchiveBytes& a) {
        folio_test::WriteFile(tmp / "book", a.Book("TEMPLATE"));
        book = std::make_unique<TSiteBook>(tmp / "book");
        return *book;
    }
    TBookSearchResult Find(const std::string& query, size_t maxHits = 1000) {
        TBookSearch search(*book);
        search.BuildAll();
        return search.Search(query, maxHits);
    }

    folio_test::TempDir tmp;
    std::unique_ptr<TSiteBook> book;
};

// queries.txt: "$ QUERY" starts a case; the lines up to the next case are what --search
// prints for it.
TEST_F(BookSearchTest, PrintsTheHitsOfEachQueryInBookOrder) {
    const std::string cases = folio_test::ReadFile(DataDir() + "/queries.txt");
    TSiteBook& b = FixtureBook();
    size_t at = cases.find("$ ");
    ASSERT_NE(at, std::string::npos);
    int checked = 0;
    while (at != std::string::npos) {
        const size_t eol = cases.find('\n', at);
        const std::string query = cases.substr(at + 2, eol - at - 2);
        const size_t next = cases.find("\n$ ", eol);
        const std::string expected =
            cases.substr(eol + 1, next == std::string::npos ? std::string::npos : next - eol);
        TCapture out, err;
        const int status = PrintBookSearch(b, query, out.File(), err.File());
        EXPECT_EQ(out.Text(), expected) << "query: " << query;
        EXPECT_EQ(status, expected.rfind("No page holds", 0) == 0 ? 1 : 0) << query;
        EXPECT_EQ(err.Text(), "") << query;
        ++checked;
        at = next == std::string::npos ? next : next + 1;
    }
    EXPECT_GE(checked, 10);
}

// The reader program's --search: after the password, the same lines as above.
TEST_F(BookSearchTest, TheReaderSearchesFromTheCommandLine) {
    TArchiveBytes a;
    a.Member("/s/index.html", "<title>Home</title><p>The rose garden.</p>")
        .Member("/b/folioauthor.html", ConfigText("/s/index.html", "pw"))
        .End();
    Open(a);
    TCapture out, err;
    TReaderEnvironment env;
    env.SelfPath = tmp / "book";
    env.Out = out.File();
    env.Err = err.File();
    int asked = 0;
    std::optional<std::string> answer = "wrong";
    env.AskPassword = [&](const std::string&) {
        ++asked;
        return answer;
    };
    EXPECT_EQ(RunBookReader({"--search", "garden"}, env), kReaderFailed);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(out.Text(), "");
    answer = "pw";
    EXPECT_EQ(RunBookReader({"--search", "ROSE garden"}, env), kReaderOk) << err.Text();
    EXPECT_EQ(out.Text(), "index.html: Home\n    The rose garden.\n1 hit in 1 page for \"ROSE "
                          "garden\".\n");
    EXPECT_EQ(RunBookReader({"--search", "tulip"}, env), kReaderFailed);
    EXPECT_NE(out.Text().find("No page holds \"tulip\"."), std::string::npos);
    EXPECT_EQ(RunBookReader({"--search", "rose", "--list"}, env), kReaderUsage);
    EXPECT_EQ(RunBookReader({"--search", "rose", "index.html"}, env), kReaderUsage);
    EXPECT_EQ(RunBookReader({"--search"}, env), kReaderUsage);
}

// The characters a hit names in the page as the viewer lays it out, folded: the query's words.
std::vector<std::string> WordsAt(THeadlessPage& page, int32_t start, int32_t end) {
    std::u32string text;
    std::vector<int32_t> sections;
    const TSectionBase* last = nullptr;
    for (int32_t i = start; i < end; ++i) {
        char32_t ch = 0;
        TSectionBase* section = nullptr;
        if (!page.Document().CharAt(i, ch, section))
            return {"no character at " + std::to_string(i)};
        if (section != last)
            sections.push_back(static_cast<int32_t>(text.size()));
        last = section;
        text += ch;
    }
    std::vector<std::string> words;
    TWordReader reader(text, sections);
    for (TTextWord w; reader.Next(w);)
        words.push_back(w.Folded);
    return words;
}

// Checks that each hit names the query's words in the page as the window shows it, and that
// its context marks them.
void ExpectHitsNameTheQuery(const TSiteBook& b, const TBookSearchResult& r,
                            const std::string& query) {
    for (TBookSearchHit hit : r.Hits) {
        SCOPED_TRACE(query + " in " + hit.Page);
        // The index reads pages with the lexer; the window places a hit in the laid-out page.
        ASSERT_TRUE(PlaceHit(b, query, hit));
        const std::string bytes = b.Archive().ExtractToString(hit.Member);
        THeadlessPage page;
        page.LoadHtml(bytes, ""); // as the window's frame viewer reads what it is served
        page.LayOut(300);
        EXPECT_EQ(WordsAt(page, hit.TextStart, hit.TextEnd), QueryWords(query));
        EXPECT_EQ(QueryWords(hit.Context.substr(hit.ContextStart, hit.ContextLength)),
                  QueryWords(query));
    }
}

TEST_F(BookSearchTest, AHitNamesTheCharactersTheViewerSelects) {
    TSiteBook& b = FixtureBook();
    for (const char* query :
         {"garden", "rose garden", "GARDEN HOURS", "walk", "closed", "second garden", "pre text",
          "café", "über", "москва", "ёлка", "tips not a tag"}) {
        const TBookSearchResult r = Find(query);
        ASSERT_FALSE(r.Hits.empty()) << query;
        ExpectHitsNameTheQuery(b, r, query);
    }
}

// Pages in UTF-8 (declared or not) beside one in Windows-1252: each query finds its pages by
// Unicode's case and accent folding, and its hits name the page's own characters.
TEST_F(BookSearchTest, FindsTheWordsOfEveryScript) {
    TArchiveBytes a;
    a.Member("/u/cafe.html", "<meta charset=\"utf-8\"><title>Café</title>"
                             "<p>Un café noir, s'il vous plaît.</p>")
        .Member("/u/old.html", "<title>Caf\xe9 cr\xe8me</title><p>Caf\xe9 cr\xe8me.</p>")
        .Member("/u/strasse.html", "<title>Straße</title>"
                                   "<p>Die Hauptstraße ist lang. Maße und Straße.</p>")
        .Member("/u/moskva.html", "<title>Москва</title><p>Улица в москве. Ёлка.</p>")
        .Member("/u/greek.html", "<p>Ο λόγος και το τέλος.</p>")
        .Member("/u/zh.html", "<title>中文</title><p>我们在北京大学学习中文。</p>")
        .Member("/u/ja.html", "<p>これは<b>カタカナ</b>のテストです。</p>")
        .Member("/b/folioauthor.html", ConfigText("/u/cafe.html"))
        .End();
    TSiteBook& b = Open(a);
    struct TCase {
        const char* Query;
        std::vector<std::string> Pages; // hit by hit
    };
    const TCase cases[] = {
        {"cafe", {"cafe.html", "old.html"}},
        {"CAFÉ", {"cafe.html", "old.html"}},
        {"café noir", {"cafe.html"}},
        {"creme", {"old.html"}},
        {"plait", {"cafe.html"}},
        {"STRASSE", {"strasse.html"}},
        {"hauptstrasse", {"strasse.html"}},
        {"masse und strasse", {"strasse.html"}},
        {"УЛИЦА В МОСКВЕ", {"moskva.html"}},
        {"елка", {"moskva.html"}},
        {"ΛΟΓΟΣ", {"greek.html"}},
        {"τελος", {"greek.html"}},
        {"北京大学", {"zh.html"}},
        {"京大", {"zh.html"}},
        {"中文", {"zh.html"}},
        {"北大", {}},
        {"カタカナ", {"ja.html"}},
        {"タカ", {"ja.html"}},
        {"カタカナのテスト", {"ja.html"}},
        {"テスト", {"ja.html"}},
    };
    for (const TCase& c : cases) {
        const TBookSearchResult r = Find(c.Query);
        std::vector<std::string> pages;
        for (const TBookSearchHit& hit : r.Hits)
            pages.push_back(hit.Page);
        EXPECT_EQ(pages, c.Pages) << c.Query;
        ExpectHitsNameTheQuery(b, r, c.Query);
    }
    // The hits list shows titles and context in their own script, the hit marked on the page's
    // own characters: "Straße" where "strasse" was asked, at character places although "ß"
    // folds to two letters.
    const TBookSearchResult strasse = Find("strasse");
    ASSERT_EQ(strasse.Hits.size(), 1u);
    const TBookSearchHit& s = strasse.Hits[0];
    EXPECT_EQ(s.Title, "Straße");
    EXPECT_EQ(s.Context, "Die Hauptstraße ist lang. Maße und Straße.");
    EXPECT_EQ(s.Context.substr(s.ContextStart, s.ContextLength), "Straße");
    EXPECT_EQ(s.TextEnd - s.TextStart, 6);
    const TBookSearchResult und = Find("UND");
    ASSERT_EQ(und.Hits.size(), 1u);
    EXPECT_EQ(und.Hits[0].TextStart, s.TextStart - 4);
    EXPECT_EQ(und.Hits[0].Context.substr(und.Hits[0].ContextStart, und.Hits[0].ContextLength),
              "und");
    const TBookSearchResult zh = Find("京大");
    ASSERT_EQ(zh.Hits.size(), 1u);
    EXPECT_EQ(zh.Hits[0].Title, "中文");
    EXPECT_EQ(zh.Hits[0].Context, "我们在北京大学学习中文。");
    EXPECT_EQ(zh.Hits[0].Context.substr(zh.Hits[0].ContextStart, zh.Hits[0].ContextLength), "京大");
    EXPECT_EQ(zh.Hits[0].TextEnd - zh.Hits[0].TextStart, 2);
    const TBookSearchResult old = Find("creme");
    ASSERT_EQ(old.Hits.size(), 1u);
    EXPECT_EQ(old.Hits[0].Title, "Café crème");
    EXPECT_EQ(Find("москве").Hits.at(0).Title, "Москва");
}

TEST_F(BookSearchTest, QueriesWithoutWordsFindNothing) {
    FixtureBook();
    for (const char* query : {"", "   ", "&", "—", "\xff\xfe"}) {
        const TBookSearchResult r = Find(query);
        EXPECT_TRUE(r.Hits.empty()) << query;
        EXPECT_EQ(r.Total, 0u);
    }
    TCapture out, err;
    EXPECT_EQ(PrintBookSearch(*book, " - ", out.File(), err.File()), 1);
    EXPECT_EQ(err.Text(), "Nothing to search for in \" - \": give a word or a phrase.\n");
}

TEST_F(BookSearchTest, ADamagedPageIsReportedAndTheOthersAreSearched) {
    TArchiveBytes a;
    // Between two good pages, one whose only block claims five compressed bytes that are no
    // zlib stream.
    a.Member("/site/a.html", "<p>first garden</p>")
        .Member("/site/broken.html", "")
        .Raw(std::string("EC2\0", 4))
        .Int(5)
        .Raw("junk!")
        .Int(0)
        .Member("/site/c.html", "<p>last garden</p>")
        .Member("/b/folioauthor.html", ConfigText("/site/a.html"))
        .End();
    Open(a);
    TBookSearch search(*book);
    search.BuildAll();
    ASSERT_EQ(search.Failures().size(), 1u);
    EXPECT_EQ(search.Failures()[0].rfind("broken.html: ", 0), 0u) << search.Failures()[0];
    const TBookSearchResult r = search.Search("garden");
    ASSERT_EQ(r.Hits.size(), 2u);
    EXPECT_EQ(r.Hits[0].Page, "a.html");
    EXPECT_EQ(r.Hits[1].Page, "c.html");
    TCapture out, err;
    EXPECT_EQ(PrintBookSearch(*book, "garden", out.File(), err.File()), 0);
    EXPECT_EQ(err.Text().rfind("Not searched, the page is damaged: broken.html: ", 0), 0u)
        << err.Text();
}

TEST_F(BookSearchTest, NothingThatReachesTheTerminalHoldsControlCharacters) {
    TArchiveBytes a;
    // In UTF-8 too: U+009B is the terminals' one-character escape sequence introducer.
    a.Member("/s/evil\x1b[2J.html", "<title>Two\r\nlines\x1b]0;x\x07\xc2\x9b"
                                    "2J</title>"
                                    "<p>rose\x7f garden &#27;[31m red\xc2\x9b"
                                    "2J</p>")
        .Member("/b/folioauthor.html", ConfigText("/s/index.html"))
        .End();
    Open(a);
    TCapture out, err;
    EXPECT_EQ(PrintBookSearch(*book, "garden", out.File(), err.File()), 0);
    const std::string text = out.Text();
    for (const char32_t c : Utf8ToU32(text))
        EXPECT_TRUE(c == '\n' || (c >= 0x20 && (c < 0x7F || c > 0x9F)))
            << "control character " << int(c) << " in " << text;
    EXPECT_EQ(text.rfind("evil\\x1b[2J.html: Two lines", 0), 0u) << text;
    EXPECT_NE(text.find(" rose garden "), std::string::npos) << text;
}

// 5,000 small pages, packed raw so the test spends its time on the index: every page has
// its own word, every tenth a phrase, and all of them one common word.
TEST_F(BookSearchTest, ABookOfFiveThousandPages) {
    constexpr int kPages = 5000;
    TArchiveBytes a;
    for (int i = 0; i < kPages; ++i) {
        const std::string n = std::to_string(i);
        std::string page = "<html><head><title>Page " + n + "</title></head><body><h2>Chapter " +
                           n + "</h2><p>Every page holds the word folio and its own word w" + n +
                           ".</p>";
        if (i % 10 == 0)
            page += "<p>Here the <b>old</b> <i>library</i> stands.</p>";
        a.Member("/big/p" + n + ".html", page + "</body></html>");
    }
    a.Member("/b/folioauthor.html", ConfigText("/big/p0.html")).End();
    Open(a);

    TBookSearch search(*book);
    EXPECT_EQ(search.PagesTotal(), kPages);
    EXPECT_FALSE(search.Step(100));
    EXPECT_EQ(search.PagesDone(), 100);
    // Searching a partial index finds what was indexed so far, and says so.
    TBookSearchResult partial = search.Search("folio");
    EXPECT_FALSE(partial.Complete);
    EXPECT_EQ(partial.Total, 100u);
    search.BuildAll();
    EXPECT_TRUE(search.Ready());
    EXPECT_EQ(search.PagesDone(), kPages);

    const TBookSearchResult all = search.Search("FOLIO", 300);
    EXPECT_TRUE(all.Complete);
    EXPECT_EQ(all.Total, size_t{kPages});
    ASSERT_EQ(all.Hits.size(), 300u);
    for (size_t i = 0; i < all.Hits.size(); ++i)
        ASSERT_EQ(all.Hits[i].Page, "p" + std::to_string(i) + ".html");
    EXPECT_EQ(all.Hits[7].Title, "Page 7");
    EXPECT_EQ(all.Hits[7].Context,
              "Chapter 7 Every page holds the word folio and its own word w7.");

    const TBookSearchResult one = search.Search("w4321");
    ASSERT_EQ(one.Hits.size(), 1u);
    EXPECT_EQ(one.Hits[0].Page, "p4321.html");

    const TBookSearchResult phrase = search.Search("the old library");
    EXPECT_EQ(phrase.Total, size_t{kPages / 10});
    ASSERT_FALSE(phrase.Hits.empty());
    EXPECT_EQ(phrase.Hits.back().Page, "p4990.html");
    EXPECT_TRUE(search.Search("old the library").Hits.empty());
}

// The index kept in the cache folder: written once, read back by the next search of the same
// book with the same answers, built again when the book changes or the file is damaged.
TEST_F(BookSearchTest, TheIndexIsKeptBetweenRunsAndNeverTrusted) {
    TSiteBook& b = FixtureBook();
    const std::string cache = tmp / "cache/foliobuilder";
    TCapture first, err;
    ASSERT_EQ(PrintBookSearch(b, "rose garden", first.File(), err.File(), cache), 0);
    std::string file;
    {
        TBookSearch search(b, cache);
        file = search.CacheFile();
        search.Prepare();
        EXPECT_TRUE(search.FromCache());
    }
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0) << file;
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(cache.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    TCapture again;
    ASSERT_EQ(PrintBookSearch(b, "rose garden", again.File(), err.File(), cache), 0);
    EXPECT_EQ(again.Text(), first.Text());
    EXPECT_EQ(err.Text(), "");

    // Every way of damaging the file: each is refused and the index built again, and the
    // answer stays the same. A damaged head is refused when the file is opened, a damaged page
    // text when a hit shows it: "garden" is on every page with text, so its search reads them
    // all.
    const std::string good = folio_test::ReadFile(file);
    const auto contexts = [](const TBookSearchResult& r) {
        std::vector<std::string> lines;
        for (const TBookSearchHit& h : r.Hits)
            lines.push_back(h.Page + ": " + h.Context);
        return lines;
    };
    std::vector<std::string> gardens;
    {
        TBookSearch search(b, cache);
        search.Prepare();
        ASSERT_TRUE(search.FromCache());
        gardens = contexts(search.Search("garden"));
        ASSERT_EQ(gardens.size(), 12u);
    }
    std::vector<std::string> damaged = {"",
                                        good.substr(0, good.size() / 2),
                                        "FOLIOIDX",
                                        std::string(good.size(), '\0'),
                                        good.substr(0, 16),
                                        good.substr(0, good.size() - 1),
                                        good + "x"};
    for (size_t at : {size_t{9}, size_t{20}, good.size() / 3, good.size() / 2, good.size() - 1}) {
        std::string d = good;
        d[at] = static_cast<char>(d[at] ^ 0x41);
        damaged.push_back(d);
    }
    for (const std::string& d : damaged) {
        folio_test::WriteFile(file, d);
        TBookSearch search(b, cache);
        search.Prepare();
        EXPECT_EQ(contexts(search.Search("garden")), gardens) << d.size();
        EXPECT_FALSE(search.FromCache()) << d.size();
        EXPECT_EQ(folio_test::ReadFile(file), good) << d.size(); // written again
        TCapture out;
        ASSERT_EQ(PrintBookSearch(b, "rose garden", out.File(), err.File(), cache), 0);
        EXPECT_EQ(out.Text(), first.Text());
    }

    // The page texts are read from the file when shown: a file cut short after it was opened
    // is found out then, and the index built again.
    {
        TBookSearch search(b, cache);
        search.Prepare();
        ASSERT_TRUE(search.FromCache());
        ASSERT_EQ(::truncate(file.c_str(), static_cast<off_t>(good.size() - 10)), 0);
        EXPECT_EQ(contexts(search.Search("garden")), gardens);
        EXPECT_FALSE(search.FromCache());
        EXPECT_EQ(folio_test::ReadFile(file), good);
    }

    // Another book (one more page) has an index of its own.
    TSiteBook& other = FixtureBook({{"/site/more.html", "<p>A rose garden more.</p>"}});
    TBookSearch changed(other, cache);
    EXPECT_NE(changed.CacheFile(), file);
    changed.Prepare();
    EXPECT_FALSE(changed.FromCache());
    EXPECT_EQ(changed.Search("rose garden").Pages.back().Page, "more.html");
}

// Results grouped by page: each page once, with its count of hits and its best line.
TEST_F(BookSearchTest, HitsAreGroupedByPage) {
    TSiteBook& b = FixtureBook();
    TBookSearch search(b);
    search.Prepare(2);
    const TBookSearchResult r = search.Search("garden");
    ASSERT_EQ(r.Pages.size(), 4u);
    EXPECT_EQ(r.Total, 12u);
    const std::vector<std::pair<std::string, size_t>> expected = {
        {"index.html", 7}, {"two.html", 2}, {"cyr.html", 1}, {"notes.txt", 2}};
    size_t sum = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        const TBookSearchPage& p = r.Pages[i];
        EXPECT_EQ(p.Page, expected[i].first);
        EXPECT_EQ(p.Count, expected[i].second) << p.Page;
        ASSERT_EQ(p.FirstHit, static_cast<int>(sum)) << p.Page;
        ASSERT_GE(p.BestHit, p.FirstHit);
        ASSERT_LT(p.BestHit, static_cast<int>(sum + p.Count));
        EXPECT_EQ(r.Hits[static_cast<size_t>(p.BestHit)].Page, p.Page);
        sum += p.Count;
    }
    // The best line of the first page shows "garden" more often than its first line does.
    EXPECT_NE(r.Pages[0].BestHit, r.Pages[0].FirstHit);
    EXPECT_EQ(r.Pages[0].Title, "The Rose Garden");
    const std::vector<std::string> lines = TSearchPane::Lines(r, "garden");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "4 pages hold \"garden\" (12 hits):");
    EXPECT_EQ(lines[2].rfind("Café du jardin  (2 hits)  -  ", 0), 0u) << lines[2];

    // Fewer hits listed than found: the pages past them are counted, not listed.
    const TBookSearchResult few = search.Search("garden", 8);
    EXPECT_EQ(few.Hits.size(), 8u);
    EXPECT_EQ(few.Total, 12u);
    EXPECT_EQ(few.Pages.size(), 4u);
    EXPECT_EQ(few.Pages[2].FirstHit, -1);
    EXPECT_EQ(TSearchPane::Lines(few, "garden")[0],
              "4 pages hold \"garden\" (12 hits); the first 2 are listed:");
    EXPECT_EQ(TSearchPane::Lines(search.Search("nothinghere"), "nothinghere"),
              std::vector<std::string>{"No page holds \"nothinghere\"."});
}

// A long phrase over a word that occurs everywhere: matched without holding the occurrences,
// and the count stops at its limit.
TEST_F(BookSearchTest, LongPhrasesAndCommonWordsStayBounded) {
    constexpr int kPages = 20;
    constexpr int kWords = 1500; // "la" on every page
    TArchiveBytes a;
    for (int i = 0; i < kPages; ++i) {
        std::string page = "<p>";
        for (int w = 0; w < kWords; ++w)
            page += "la ";
        a.Member("/s/p" + std::to_string(i) + ".html", page + (i == 17 ? "end</p>" : "</p>"));
    }
    a.Member("/b/folioauthor.html", ConfigText("/s/p0.html")).End();
    Open(a);
    TBookSearch search(*book);
    search.Prepare();
    std::string phrase;
    for (int i = 0; i < 1000; ++i)
        phrase += "la ";
    const TBookSearchResult tail = search.Search(phrase + "end", 10);
    EXPECT_EQ(tail.Total, 1u);
    ASSERT_EQ(tail.Hits.size(), 1u);
    EXPECT_EQ(tail.Hits[0].Page, "p17.html");
    EXPECT_EQ(tail.Hits[0].Occurrence, 0u);
    const TBookSearchResult many = search.Search(phrase, 10);
    EXPECT_EQ(many.Total, size_t{kPages} * (kWords - 1000 + 1));
    EXPECT_EQ(many.Hits.size(), 10u);
    EXPECT_EQ(many.Pages.size(), size_t{kPages});
    EXPECT_EQ(many.Hits[9].Occurrence, 9u);
    EXPECT_FALSE(many.Stopped);
    const TBookSearchResult limited = search.Search("la", 5, 1000);
    EXPECT_TRUE(limited.Stopped);
    EXPECT_EQ(limited.Total, 1000u);
    EXPECT_EQ(limited.Hits.size(), 5u);
    EXPECT_EQ(limited.Pages.size(), 1u);
}

// Built on one thread, on two, or page by page: the same index.
TEST_F(BookSearchTest, ThreadsDoNotChangeTheIndex) {
    TSiteBook& b = FixtureBook();
    TBookSearch one(b), two(b), steps(b);
    one.BuildAll(1);
    two.BuildAll(2);
    while (!steps.Step(1)) {
    }
    for (const char* query : {"garden", "rose garden", "москва", "pre text", "café"}) {
        const TBookSearchResult r1 = one.Search(query), r2 = two.Search(query),
                                r3 = steps.Search(query);
        ASSERT_EQ(r1.Hits.size(), r2.Hits.size()) << query;
        ASSERT_EQ(r1.Hits.size(), r3.Hits.size()) << query;
        for (size_t i = 0; i < r1.Hits.size(); ++i) {
            EXPECT_EQ(r1.Hits[i].Context, r2.Hits[i].Context);
            EXPECT_EQ(r1.Hits[i].Context, r3.Hits[i].Context);
        }
    }
}

// A book of more pages than the workers may read ahead of the merge: on any number of threads
// the index written to the cache is the same, byte for byte, as the one built on one thread.
TEST_F(BookSearchTest, ThreadsWriteTheSameIndexFile) {
    TArchiveBytes a;
    size_t word17 = 0; // the times "word17" is written
    for (int i = 0; i < 700; ++i) {
        const std::string n = std::to_string(i);
        std::string page = "<title>Page " + n + "</title><p>Page " + n + " of the book";
        for (int w = 0; w < i % 37; ++w) {
            page += " word" + std::to_string((i * 7 + w) % 101);
            word17 += (i * 7 + w) % 101 == 17;
        }
        a.Member("/s/p" + n + ".html", page + ".</p>");
    }
    a.Member("/b/folioauthor.html", ConfigText("/s/p0.html")).End();
    Open(a);
    std::string first;
    for (int threads : {1, 2, 3, 8}) {
        const std::string cache = tmp / ("cache" + std::to_string(threads));
        TBookSearch search(*book, cache);
        search.Prepare(threads);
        ASSERT_TRUE(search.Ready());
        EXPECT_EQ(search.Search("word17").Total, word17) << threads;
        const std::string bytes = folio_test::ReadFile(search.CacheFile());
        ASSERT_GT(bytes.size(), 1000u) << threads;
        if (first.empty())
            first = bytes;
        else
            EXPECT_TRUE(bytes == first) << threads << " threads";
        const TBookSearchResult r = search.Search("page 699 of");
        ASSERT_EQ(r.Hits.size(), 1u) << threads;
        EXPECT_EQ(r.Hits[0].Page, "p699.html");
        // And the file reads back, with the same answers.
        TBookSearch again(*book, cache);
        again.Prepare();
        EXPECT_TRUE(again.FromCache()) << threads;
        EXPECT_EQ(again.Search("word17").Total, word17) << threads;
        const TBookSearchResult back = again.Search("page 699 of");
        ASSERT_EQ(back.Hits.size(), 1u) << threads;
        EXPECT_EQ(back.Hits[0].Context, r.Hits[0].Context);
    }
}

// The cache file is written in pieces, many to a system call: they lie in it one after the
// other, empty and large ones among them.
TEST(PrivateFileTest, PiecesAreWrittenOneAfterTheOther) {
    folio_test::TempDir dir;
    std::vector<std::string> texts;
    std::string whole;
    for (int i = 0; i < 1500; ++i) {
        std::string piece(static_cast<size_t>(i % 7 == 0 ? 0 : (i * 37) % 300),
                          static_cast<char>('a' + i % 26));
        if (i == 700)
            piece.assign(size_t(3) << 20, 'L');
        whole += piece;
        texts.push_back(std::move(piece));
    }
    const std::vector<std::string_view> pieces(texts.begin(), texts.end());
    const std::string file = dir / "pieces";
    ASSERT_TRUE(ReplaceFileContents(file, pieces));
    EXPECT_TRUE(folio_test::ReadFile(file) == whole);
    ASSERT_TRUE(ReplaceFileContents(file, std::span<const std::string_view>()));
    EXPECT_EQ(folio_test::ReadFile(file), "");
    ASSERT_TRUE(ReplaceFileContents(file, "one piece"));
    EXPECT_EQ(folio_test::ReadFile(file), "one piece");
    ASSERT_TRUE(ReplaceFileContents(file, ""));
    EXPECT_EQ(folio_test::ReadFile(file), "");
    const std::vector<std::string_view> empties(3, std::string_view());
    ASSERT_TRUE(ReplaceFileContents(file, empties));
}

} // namespace
