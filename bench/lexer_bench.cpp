// The HTML lexer over a large document made of realistic pages, beside libxml2's HTML parser
// and gumbo parsing the same bytes in the same run. Both peers also build a tree; the lexer
// only produces symbols, which is all the document reader asks of it. Goal: the lexer at least
// twice as fast as the faster peer.
#include <benchmark/benchmark.h>
#include <gumbo.h>
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "html/reader/html_lexer.h"

namespace {

constexpr size_t kDocumentBytes = 12u << 20; // at least 10 MB

// The realistic pages, each as it is on disk (ASCII and Windows-1252).
const std::vector<std::string>& Pages() {
    static const std::vector<std::string> pages = [] {
        std::vector<std::string> out;
        for (const auto& entry : std::filesystem::directory_iterator(FOLIO_LEXER_PAGES)) {
            if (entry.path().extension() != ".html")
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream s;
            s << in.rdbuf();
            out.push_back(s.str());
        }
        return out;
    }();
    return pages;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    std::string out;
    size_t at = 0;
    for (size_t hit; (hit = text.find(from, at)) != std::string::npos; at = hit + from.size())
        out.append(text, at, hit - at).append(to);
    return out.append(text, at, std::string::npos);
}

// The same pages written in UTF-8 with accented words, and a Chinese page: what most pages of
// the last fifteen years look like.
const std::vector<std::string>& Utf8Pages() {
    static const std::vector<std::string> pages = [] {
        std::vector<std::string> out;
        for (const std::string& page : Pages())
            out.push_back(ReplaceAll(ReplaceAll(page, " the ", " thé "), " and ", " ånd "));
        std::string cjk = "<html><head><meta charset=\"utf-8\"><title>文字</title></head><body>";
        for (int p = 0; p < 400; ++p)
            cjk += "<p>中文没有空格也可以在任何两个汉字之间换行。日本語の<b>テキスト</"
                   "b>、カタカナ。</p>\n";
        out.push_back(cjk + "</body></html>");
        return out;
    }();
    return pages;
}

const std::string& Document() {
    static const std::string doc = [] {
        const std::vector<std::string>& pages = Pages();
        std::string d;
        if (pages.empty())
            return d;
        d.reserve(kDocumentBytes + 8192);
        for (size_t i = 0; d.size() < kDocumentBytes; ++i)
            d += pages[i % pages.size()];
        return d;
    }();
    return doc;
}

// What the document reader does with the symbols: every symbol read, SCRIPT text gathered for
// a handler, STYLE text read through the folded-character reader.
int64_t LexDocument(const std::string& doc) {
    THtmlLexer lx;
    lx.LoadView(doc);
    lx.Start();
    int64_t work = 0;
    const TScriptEvent onScript = [&work](TObject*, const std::string&, const std::string&,
                                          std::string text) { work += text.size(); };
    do {
        lx.ReadSymbol();
        work += lx.Token.Length() + lx.Attributes.Count();
        if (lx.Sy == ScriptSym) {
            lx.ReadScript(onScript);
        } else if (lx.Sy == StyleSym) {
            lx.ReadFoldedChar();
            while (!(lx.LCh == '<' && lx.PeekRawChar() != '!') && lx.LCh != EofChar)
                lx.ReadFoldedChar();
        }
    } while (lx.Sy != EofSym);
    return work;
}

void BM_FolioLexer(benchmark::State& state) {
    const std::string& doc = Document();
    for (auto _ : state)
        benchmark::DoNotOptimize(LexDocument(doc));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void Silent(void*, const char*, ...) {}

void BM_Libxml2Html(benchmark::State& state) {
    const std::string& doc = Document();
    xmlSetGenericErrorFunc(nullptr, Silent);
    for (auto _ : state) {
        htmlDocPtr d = htmlReadMemory(
            doc.data(), static_cast<int>(doc.size()), "bench.html", "ISO-8859-1",
            HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
        benchmark::DoNotOptimize(d);
        xmlFreeDoc(d);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void BM_Gumbo(benchmark::State& state) {
    const std::string& doc = Document();
    for (auto _ : state) {
        GumboOutput* out = gumbo_parse_with_options(&kGumboDefaultOptions, doc.data(), doc.size());
        benchmark::DoNotOptimize(out);
        gumbo_destroy_output(&kGumboDefaultOptions, out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

// Pages one at a time, as a viewer meets them: each found out (its encoding sniffed and
// decoded when it needs it) and lexed on its own, beside libxml2 reading each page.
void FolioPages(benchmark::State& state, const std::vector<std::string>& pages) {
    int64_t bytes = 0;
    for (auto _ : state)
        for (const std::string& page : pages) {
            benchmark::DoNotOptimize(LexDocument(page));
            bytes += static_cast<int64_t>(page.size());
        }
    state.SetBytesProcessed(bytes);
}

void Libxml2Pages(benchmark::State& state, const std::vector<std::string>& pages,
                  const char* encoding) {
    xmlSetGenericErrorFunc(nullptr, Silent);
    int64_t bytes = 0;
    for (auto _ : state)
        for (const std::string& page : pages) {
            htmlDocPtr d = htmlReadMemory(
                page.data(), static_cast<int>(page.size()), "page.html", encoding,
                HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
            benchmark::DoNotOptimize(d);
            xmlFreeDoc(d);
            bytes += static_cast<int64_t>(page.size());
        }
    state.SetBytesProcessed(bytes);
}

void BM_FolioLexerPages(benchmark::State& state) {
    FolioPages(state, Pages());
}
void BM_Libxml2Pages(benchmark::State& state) {
    Libxml2Pages(state, Pages(), "windows-1252");
}
void BM_FolioLexerPagesUtf8(benchmark::State& state) {
    FolioPages(state, Utf8Pages());
}
void BM_Libxml2PagesUtf8(benchmark::State& state) {
    Libxml2Pages(state, Utf8Pages(), "UTF-8");
}

BENCHMARK(BM_FolioLexer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolioLexerPages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2Pages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolioLexerPagesUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2PagesUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2Html)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gumbo)->Unit(benchmark::kMillisecond);

// Console output plus the MB/s of each run, for the ratio printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const auto it = r.counters.find("bytes_per_second");
            if (it != r.counters.end())
                mbps[r.benchmark_name()] = it->second.value / 1e6;
        }
    }
    std::map<std::string, double> mbps;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (Document().empty()) {
        std::fprintf(stderr, "lexer_bench: no pages in %s\n", FOLIO_LEXER_PAGES);
        return 1;
    }
    std::printf("document: %.1f MB of realistic pages\n", Document().size() / 1e6);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double lexer = reporter.mbps["BM_FolioLexer"];
    const double xml = reporter.mbps["BM_Libxml2Html"];
    const double gumbo = reporter.mbps["BM_Gumbo"];
    if (lexer > 0 && xml > 0 && gumbo > 0) {
        const double peer = std::max(xml, gumbo);
        std::printf("lexer %.0f MB/s, libxml2 %.0f MB/s, gumbo %.0f MB/s: %.2fx the faster peer "
                    "(goal 2x)\n",
                    lexer, xml, gumbo, lexer / peer);
    }
    for (const char* set : {"", "Utf8"}) {
        const double ours = reporter.mbps[std::string("BM_FolioLexerPages") + set];
        const double theirs = reporter.mbps[std::string("BM_Libxml2Pages") + set];
        if (ours > 0 && theirs > 0)
            std::printf("pages one at a time%s: lexer %.0f MB/s, libxml2 %.0f MB/s: %.2fx (goal "
                        "4x)\n",
                        *set ? " in UTF-8" : "", ours, theirs, ours / theirs);
    }
    benchmark::Shutdown();
    return 0;
}
