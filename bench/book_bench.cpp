// A large site book as its reader meets it: 5,000 pages packed by the archive writer into a
// book, as the builder packs them. The pages are real: the corpus's manual pages of at most
// 20 KB (scripts/corpus.sh list), copied round and round under new names, some 33 MB of HTML;
// without the corpus installed, generated pages of 8 KB stand in. Nothing of it is kept in the
// repository: the book is made in a temporary folder at the start of each run.
//
//   first paint     from starting a fresh process to the home page painted: the book opened
//                   (trailer, archive index, configuration), the home page decompressed by
//                   the reader's page source, read, laid out at 800 pixels and its first
//                   800x600 band painted headless; the same again inside one process;
//   window          the reader program started on the book under the X server of DISPLAY, up
//                   to its window being mapped (xdotool), and its resident size then; Dillo
//                   beside it on the same home page; skipped without a display;
//   memory          the resident size of that fresh process once the page is painted, and
//                   again once the search index is built;
//   index           the whole index built on one thread and on two;
//   command line    the reader program's --search, cold (no cached index) and warm (the index
//                   its first run left in the cache folder), beside `unzip -p | grep` of a zip
//                   of the same pages in the same run;
//   later searches  queries against the built index: a rare word, a common word, a phrase.
//
// Goals: the cold --search in at most 1 s and at most twice the unzip and grep; warm under
// 50 ms; later searches under 50 ms.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "archive/backup_file.h"
#include "archive/book_file.h"
#include "bookreader/book_page_source.h"
#include "bookreader/book_search.h"
#include "bookreader/page_text.h"
#include "bookreader/site_book.h"
#include "html/load/headless_page.h"
#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"
#include "render_pages.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPages = 5000;
constexpr size_t kPageBytes = 8000;
// The queries: for the real pages, and for the generated ones.
const char* g_rareQuery = "uniq4321";
const char* g_firstQuery = "garden";
const char* g_phraseQuery = "the old library";

uint64_t g_seed = 0x2545F4914F6CDD1Dull;
uint32_t Next() {
    g_seed ^= g_seed << 13;
    g_seed ^= g_seed >> 7;
    g_seed ^= g_seed << 17;
    return static_cast<uint32_t>(g_seed >> 16);
}

// Four thousand made-up words of one to four syllables; low numbers are picked far more often,
// as in prose.
const std::vector<std::string>& Vocabulary() {
    static const std::vector<std::string> words = [] {
        static const char* const syl[] = {"ka", "lo", "mi", "ne", "ru",  "sa", "te", "vo",
                                          "an", "el", "is", "or", "un",  "ba", "di", "fu",
                                          "go", "he", "ji", "po", "qua", "ri", "st", "zy"};
        std::vector<std::string> w = {"the", "of", "and", "a", "to", "in", "is", "garden"};
        while (w.size() < 4000) {
            std::string s;
            for (uint32_t n = 1 + Next() % 4; n > 0; --n)
                s += syl[Next() % 24];
            w.push_back(s);
        }
        return w;
    }();
    return words;
}

const std::string& Word() {
    const double u = (Next() % 1000000) / 1e6;
    const auto& v = Vocabulary();
    return v[std::min(v.size() - 1, static_cast<size_t>(u * u * u * double(v.size())))];
}

std::string Words(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        if (i > 0)
            s += ' ';
        s += Word();
    }
    return s;
}

std::string Page(int index) {
    const std::string n = std::to_string(index);
    std::string s = "<html><head><title>Chapter " + n + ": " + Words(3) +
                    "</title></head>\r\n<body bgcolor=\"#FFFFF0\">\r\n<h1>Chapter " + n +
                    "</h1>\r\n";
    s += "<p>This chapter names uniq" + n + " once.</p>\r\n";
    while (s.size() < kPageBytes) {
        switch (Next() % 10) {
        case 0:
            s += "<h2>" + Words(3) + "</h2>\r\n";
            break;
        case 1:
            s += "<table border=1 cellpadding=2>";
            for (int r = 0; r < 3; ++r)
                s += "<tr><td>" + Words(2) + "</td><td>" + std::to_string(Next() % 1000) +
                     "</td></tr>";
            s += "</table>\r\n";
            break;
        case 2:
            s += "<ul><li>" + Words(4) + "<li>" + Words(5) + "<li>" + Words(3) + "</ul>\r\n";
            break;
        case 3:
            s += "<p>See <a href=\"p" + std::to_string(Next() % kPages) + ".html\">" + Words(2) +
                 "</a> and the old library of " + Words(6) + ".</p>\r\n";
            break;
        default:
            s += "<p>" + Words(12) + ", <b>" + Words(2) + "</b> " + Words(10) + " &amp; " +
                 Words(14) + ".</p>\r\n";
            break;
        }
    }
    return s + "</body></html>\r\n";
}

// The corpus's real pages of at most 20 KB; empty when the corpus is not installed.
const std::vector<std::string>& CorpusPages() {
    static const std::vector<std::string> pages = [] {
        std::vector<std::string> out;
        FILE* list = popen(FOLIO_SOURCE_DIR "/scripts/corpus.sh list 2>/dev/null", "r");
        if (!list)
            return out;
        char line[4096];
        while (std::fgets(line, sizeof line, list) != nullptr) {
            std::string path(line);
            while (!path.empty() && (path.back() == '\n' || path.back() == '\r'))
                path.pop_back();
            std::string page = render_bench::ReadFile(path);
            if (!page.empty() && page.size() <= 20000)
                out.push_back(std::move(page));
        }
        pclose(list);
        return out;
    }();
    return pages;
}

std::string BookPage(int index) {
    const std::vector<std::string>& real = CorpusPages();
    return real.empty() ? Page(index) : real[static_cast<size_t>(index) % real.size()];
}

// The folder of the run: pages, books, the zip for the peer and the cache folder.
render_bench::TPageFolder& Folder() {
    static render_bench::TPageFolder folder;
    return folder;
}
std::vector<std::string> g_pageFiles;

// The book, built once per run in a temporary folder: pages written, packed by TBackupFile
// after the reader program (so that it runs as a book; a stand-in when the program is not
// built), the trailer added.
const std::string& BookPath() {
    render_bench::TPageFolder& folder = Folder();
    static const std::string path = [&folder] {
        if (!CorpusPages().empty()) {
            g_rareQuery = "mutex";
            g_firstQuery = "the";
            g_phraseQuery = "regular expression";
        }
        TStringList files;
        g_pageFiles.push_back(folder.Write("index.html", BookPage(0)));
        for (int i = 1; i < kPages; ++i)
            g_pageFiles.push_back(folder.Write("p" + std::to_string(i) + ".html", BookPage(i)));
        for (const std::string& f : g_pageFiles)
            files.Add(f);
        files.Add(folder.Write("folioauthor.html", "homepage=/site/index.html\r\ncaption=Big "
                                                   "book\r\npassword=\r\niconfile=\r\n"));
        const std::string book = folder.Write("book", "");
        TFileStream out(book, fmCreate);
        std::string stand = render_bench::ReadFile(FOLIO_READER_PROGRAM);
        if (stand.empty())
            stand.assign(64 * 1024, '\x7f');
        out.Write(stand.data(), static_cast<int64_t>(stand.size()));
        TBackupFile packer;
        packer.BackupTitle = "Folio";
        if (!packer.BackupToStream(files, &out)) {
            std::fprintf(stderr, "book_bench: cannot pack the book\n");
            std::exit(1);
        }
        WriteBookTrailer(out, static_cast<int64_t>(stand.size()));
        chmod(book.c_str(), 0755);
        return book;
    }();
    return path;
}

long ResidentKB() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// What the reader does to show its home page, headless.
void OpenAndPaint(const std::string& path) {
    TSiteBook book(path);
    TBookPageSource source(book);
    const auto bytes = source.Fetch(book.HomePageName());
    if (!bytes) {
        std::fprintf(stderr, "book_bench: the book has no home page\n");
        std::exit(1);
    }
    THeadlessPage page;
    page.LoadHtml(*bytes, "");
    page.LayOut(800);
    TCanvas canvas(800, 600);
    page.Paint(canvas, 0);
    benchmark::DoNotOptimize(canvas.Width());
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The fresh process: opens and paints, reports its processor time (loading the program and
// its libraries included) and size, builds the index, reports again.
int ChildMain(const std::string& path) {
    OpenAndPaint(path);
    std::printf("painted %ld %.6f\n", ResidentKB(), CpuSeconds());
    std::fflush(stdout);
    TSiteBook book(path);
    TBookSearch search(book);
    search.BuildAll();
    benchmark::DoNotOptimize(search.Search(g_firstQuery).Total);
    std::printf("indexed %ld %zu\n", ResidentKB(), search.MemoryUsed());
    std::fflush(stdout);
    return 0;
}

// ---- the benchmarks ----

struct TChildFigures {
    double PaintSeconds = -1; // processor time
    double WallSeconds = -1;
    long PaintKB = -1, IndexKB = -1;
    size_t IndexBytes = 0;
};
TChildFigures g_child;

void ColdStart(benchmark::State& state) {
    const std::string book = BookPath();
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) {
        state.SkipWithError("cannot find the benchmark program");
        return;
    }
    self[n] = '\0';
    for (auto _ : state) {
        int out[2];
        if (pipe(out) != 0) {
            state.SkipWithError("no pipe");
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::string flag = "--open-book", arg = book;
        char* argv[] = {self, flag.data(), arg.data(), nullptr};
        pid_t pid = 0;
        const auto start = Clock::now();
        const int rc = posix_spawn(&pid, self, &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (rc != 0) {
            close(out[0]);
            state.SkipWithError("cannot start the child");
            return;
        }
        FILE* in = fdopen(out[0], "r");
        char line[128];
        TChildFigures f;
        if (std::fgets(line, sizeof line, in) != nullptr &&
            std::sscanf(line, "painted %ld %lf", &f.PaintKB, &f.PaintSeconds) == 2)
            f.WallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (std::fgets(line, sizeof line, in) != nullptr)
            std::sscanf(line, "indexed %ld %zu", &f.IndexKB, &f.IndexBytes);
        std::fclose(in);
        int status = 0;
        waitpid(pid, &status, 0);
        if (f.WallSeconds < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the child failed");
            return;
        }
        state.SetIterationTime(f.PaintSeconds);
        g_child = f;
    }
    state.counters["wall_ms"] = g_child.WallSeconds * 1000;
    state.counters["rss_MB"] = double(g_child.PaintKB) / 1024;
    state.counters["rss_indexed_MB"] = double(g_child.IndexKB) / 1024;
    state.counters["index_MB"] = double(g_child.IndexBytes) / (1 << 20);
}

void WarmStart(benchmark::State& state) {
    const std::string book = BookPath();
    for (auto _ : state)
        OpenAndPaint(book);
}

void FirstSearch(benchmark::State& state) {
    TSiteBook book(BookPath());
    size_t hits = 0, bytes = 0;
    for (auto _ : state) {
        TBookSearch search(book);
        search.BuildAll();
        hits = search.Search(g_firstQuery).Total;
        bytes = search.MemoryUsed();
    }
    state.counters["hits"] = double(hits);
    state.counters["index_MB"] = double(bytes) / (1 << 20);
    state.counters["pages/s"] = benchmark::Counter(double(kPages) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

// Every page decompressed and read by the document reader, as the index was once made: the
// lexer's text (page_words.h) now stands in for it.
void ReadPages(benchmark::State& state) {
    TSiteBook book(BookPath());
    for (auto _ : state) {
        TPageTextReader reader;
        for (int member : book.Served()) {
            const std::string name = TSiteBook::ServedName(book.Archive().Member(member).Name);
            if (IsPageName(name) && !SameText(name, TSiteBook::kConfigName))
                benchmark::DoNotOptimize(reader.Read(book.Archive().ExtractToString(member)));
        }
    }
}

TBookSearch& BuiltSearch() {
    static TSiteBook book(BookPath());
    static TBookSearch search(book);
    search.BuildAll();
    return search;
}

// query: the query's variable, read once the book (which chooses the queries) is made.
void LaterSearch(benchmark::State& state, const char* const* queryOf) {
    BookPath();
    const char* query = *queryOf;
    TBookSearch& search = BuiltSearch();
    size_t hits = 0, shown = 0;
    for (auto _ : state) {
        const TBookSearchResult r = search.Search(query);
        hits = r.Total;
        shown = r.Hits.size();
    }
    state.counters["hits"] = double(hits);
    state.counters["listed"] = double(shown);
}

// The peer: no index, every page decompressed and scanned.
void ScanSearch(benchmark::State& state) {
    TSiteBook book(BookPath());
    size_t pages = 0;
    for (auto _ : state) {
        pages = 0;
        for (int member : book.Served())
            if (ContainsText(book.Archive().ExtractToString(member), g_rareQuery))
                ++pages;
    }
    state.counters["hits"] = double(pages);
}

// The whole index on a given number of threads.
void BuildIndex(benchmark::State& state) {
    TSiteBook book(BookPath());
    const int threads = static_cast<int>(state.range(0));
    double cpu = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const double cpuStart = CpuSeconds();
        TBookSearch search(book);
        search.BuildAll(threads);
        benchmark::DoNotOptimize(search.PagesDone());
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        cpu += CpuSeconds() - cpuStart;
    }
    // Every thread's processor time: on a busy machine the wall time says little.
    state.counters["cpu_ms"] = cpu * 1000 / double(state.iterations());
}

// Processor time of the children waited for so far.
double ChildCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs a shell command line; its wall time in seconds, -1 when it fails to run.
double RunTimed(const std::string& command) {
    const auto start = Clock::now();
    const int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) > 1) // grep: 1 is no match
        return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string Quoted(const std::string& s) {
    std::string out = "'";
    for (const char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The reader's --search from a fresh process: cold with the cache folder emptied first, warm
// with the index the run before left there.
void CliSearch(benchmark::State& state, bool warm) {
    const std::string book = BookPath();
    const std::string cache = Folder().Write("cache-marker", "");
    const std::string dir = cache.substr(0, cache.rfind('/')) + "/cache";
    const std::string run = "XDG_CACHE_HOME=" + Quoted(dir) + " " + Quoted(book) + " --search " +
                            Quoted(g_rareQuery) + " >/dev/null";
    if (warm && RunTimed(run) < 0) { // makes the index
        state.SkipWithError("the reader's --search failed");
        return;
    }
    double cpu = 0;
    for (auto _ : state) {
        if (!warm)
            RunTimed("rm -rf " + Quoted(dir));
        const double cpuStart = ChildCpuSeconds();
        const double t = RunTimed(run);
        if (t < 0) {
            state.SkipWithError("the reader's --search failed");
            return;
        }
        cpu += ChildCpuSeconds() - cpuStart;
        state.SetIterationTime(t);
    }
    state.counters["cpu_ms"] = cpu * 1000 / double(state.iterations());
}

// The peer: the same pages in a zip (made once, at zip's default level), every one unpacked to
// a pipe and searched by grep, ignoring case.
void UnzipGrep(benchmark::State& state) {
    BookPath();
    const std::string list = Folder().Write("zip-list", "");
    {
        std::ofstream out(list);
        for (const std::string& f : g_pageFiles)
            out << f << '\n';
    }
    const std::string zip = list.substr(0, list.rfind('/')) + "/pages.zip";
    if (RunTimed("rm -f " + Quoted(zip) + " && zip -q -j " + Quoted(zip) + " -@ < " +
                 Quoted(list)) < 0) {
        state.SkipWithError("zip is not installed");
        return;
    }
    const std::string run =
        "unzip -p " + Quoted(zip) + " | grep -c -i " + Quoted(g_rareQuery) + " >/dev/null";
    double cpu = 0;
    for (auto _ : state) {
        const double cpuStart = ChildCpuSeconds();
        const double t = RunTimed(run);
        if (t < 0) {
            state.SkipWithError("unzip or grep failed");
            return;
        }
        cpu += ChildCpuSeconds() - cpuStart;
        state.SetIterationTime(t);
    }
    state.counters["cpu_ms"] = cpu * 1000 / double(state.iterations());
}

// A program started with `command` (in the background, under setsid) under the X server of DISPLAY,
// up to a window of it that xdotool finds with `search` being mapped; its resident size then is the
// counter rss_mb.
// Our reader lays out and paints its first page before it maps the window; a peer that maps
// first and paints after is timed in its favour.
void WindowShown(benchmark::State& state, const std::string& command, const std::string& search) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display || RunTimed("command -v xdotool >/dev/null") < 0) {
        state.SkipWithError("no display (or no xdotool): the window is not measured");
        return;
    }
    const std::string rss = Folder().Write("window-rss", "");
    // An X server resets when its last client leaves, and refuses clients while it does: one
    // client stays connected across the runs.
    const std::string keeper = Folder().Write("x-keeper", "");
    if (RunTimed("xprop -root -spy >/dev/null 2>&1 & echo $! >" + Quoted(keeper)) < 0) {
        state.SkipWithError("xprop did not start");
        return;
    }
    for (auto _ : state) {
        // A session of its own, so that helpers the program starts (Dillo's file server)
        // end with it.
        // xdotool's own --sync looks only every half second; this looks every 5 ms, and gives
        // up when the program has ended.
        const std::string run =
            command + " & pid=$!; until xdotool search --onlyvisible " + search +
            " >/dev/null 2>&1; do kill -0 $pid 2>/dev/null || exit 2; sleep 0.005; done; "
            "grep VmRSS: /proc/$pid/status >" +
            Quoted(rss) + "; kill -- -$pid; wait $pid 2>/dev/null; true";
        const double t = RunTimed(run);
        if (t < 0) {
            state.SkipWithError("the window did not show");
            break;
        }
        state.SetIterationTime(t);
    }
    RunTimed("kill $(cat " + Quoted(keeper) + ")");
    std::ifstream in(rss);
    std::string key;
    long kb = -1;
    if (in >> key >> kb)
        state.counters["rss_mb"] = double(kb) / 1024;
}

// The reader's window started on the book, fresh state and cache folders each run.
void OurWindowShown(benchmark::State& state) {
    const std::string book = BookPath();
    const std::string dir = Folder().Write("state-marker", "");
    const std::string home = dir.substr(0, dir.rfind('/'));
    WindowShown(state,
                "XDG_STATE_HOME=" + Quoted(home + "/state") + " XDG_CACHE_HOME=" +
                    Quoted(home + "/cache") + " setsid " + Quoted(book) + " >/dev/null 2>&1",
                "--name '^Big book$'");
}

// Dillo, a small browser from Debian, on the same home page from the folder the book was packed
// from, with a home folder of its own.
void DilloWindowShown(benchmark::State& state) {
    if (RunTimed("command -v dillo >/dev/null") < 0) {
        state.SkipWithError("dillo is not installed (scripts/deps.sh installs it)");
        return;
    }
    BookPath();
    const std::string page = g_pageFiles.front();
    const std::string home = page.substr(0, page.rfind('/')) + "/dillo-home";
    WindowShown(state,
                "mkdir -p " + Quoted(home) + "; HOME=" + Quoted(home) + " setsid dillo " +
                    Quoted(page) + " >/dev/null 2>&1",
                "--classname '^dillo$'");
}

// ---- summary ----

class TSummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.error_occurred)
                continue;
            if (const auto c = r.counters.find("cpu_ms"); c != r.counters.end())
                cpuMs[r.benchmark_name()] = c->second.value;
            if (const auto c = r.counters.find("rss_mb"); c != r.counters.end())
                rssMB[r.benchmark_name()] = c->second.value;
        }
        for (const Run& r : runs)
            if (!r.error_occurred)
                seconds[r.benchmark_name()] =
                    (r.run_name.time_type == "manual_time" ? r.GetAdjustedRealTime()
                                                           : r.GetAdjustedCPUTime()) /
                    benchmark::GetTimeUnitMultiplier(r.time_unit);
    }
    double Get(const std::string& name) const { return Find(seconds, name); }
    double Cpu(const std::string& name) const { return Find(cpuMs, name); }
    double Rss(const std::string& name) const { return Find(rssMB, name); }
    std::map<std::string, double> seconds;
    std::map<std::string, double> cpuMs; // every thread's or child's processor time
    std::map<std::string, double> rssMB; // a child's resident size

private:
    // The figure of the run whose name starts with `name`.
    static double Find(const std::map<std::string, double>& figures, const std::string& name) {
        for (const auto& [n, v] : figures)
            if (n.compare(0, name.size(), name) == 0)
                return v;
        return -1;
    }
};

std::string Fmt(double v, const char* unit) {
    if (v < 0)
        return "-";
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.1f %s", v, unit);
    return buf;
}

const char* Verdict(double v, double goal) {
    return v < 0 ? "not run" : (v < goal ? "met" : "missed");
}

void PrintSummary(const TSummaryReporter& rep) {
    const double cold = rep.Get("book/first_paint/fresh_process");
    const double warm = rep.Get("book/first_paint/in_process");
    const double first = rep.Get("book/first_search");
    double later = -1;
    for (const char* q :
         {"book/later_search/rare", "book/later_search/common", "book/later_search/phrase"})
        later = std::max(later, rep.Get(q));
    const double scan = rep.Get("book/scan_search");
    const double rssMB = g_child.PaintKB < 0 ? -1 : double(g_child.PaintKB) / 1024;
    const double rssIndexMB = g_child.IndexKB < 0 ? -1 : double(g_child.IndexKB) / 1024;
    std::printf("\n%-44s %14s %14s\n",
                CorpusPages().empty() ? "figure (5,000 generated pages, 40 MB)"
                                      : "figure (5,000 real pages, about 33 MB)",
                "ours", "goal");
    std::printf("%-44s %14s %14s\n", "first paint of the home page, fresh process",
                Fmt(cold * 1000, "ms").c_str(), "300 ms");
    std::printf("%-44s %14s %14s\n", "first paint of the home page, in process",
                Fmt(warm * 1000, "ms").c_str(), "-");
    std::printf("%-44s %14s %14s\n", "memory after opening (RSS)", Fmt(rssMB, "MB").c_str(),
                "50 MB");
    std::printf("%-44s %14s %14s\n", "memory with the search index (RSS)",
                Fmt(rssIndexMB, "MB").c_str(), "-");
    std::printf("%-44s %14s %14s\n", "first search (index built)", Fmt(first * 1000, "ms").c_str(),
                "2000 ms");
    std::printf("%-44s %14s %14s\n", "the pages read by the document reader instead",
                Fmt(rep.Get("book/first_search_reading_only") * 1000, "ms").c_str(), "-");
    std::printf("%-44s %14s %14s\n", "later search, slowest of three",
                Fmt(later * 1000, "ms").c_str(), "50 ms");
    std::printf("%-44s %14s %14s\n", "peer: a search without an index (scan)",
                Fmt(scan * 1000, "ms").c_str(), "-");
    const double cliCold = rep.Get("book/cli_search/cold");
    const double cliWarm = rep.Get("book/cli_search/warm");
    const double peer = rep.Get("book/cli_search/peer_unzip_grep");
    // Wall time, and processor time beside it: on a machine others use too, the wall time of a
    // program that runs on two threads says little.
    const auto line = [&rep](const char* what, const char* name, const char* goal) {
        const std::string wall = Fmt(rep.Get(name) * 1000, "ms");
        const std::string cpu = Fmt(rep.Cpu(name), "ms cpu");
        std::printf("%-44s %14s %14s   (%s)\n", what, wall.c_str(), goal, cpu.c_str());
    };
    line("index built on 1 thread", "book/index_build/threads:1", "-");
    line("index built on 2 threads", "book/index_build/threads:2", "-");
    line("BOOK --search, cold", "book/cli_search/cold", "1000 ms");
    line("BOOK --search, warm (cached index)", "book/cli_search/warm", "50 ms");
    line("peer: unzip -p | grep", "book/cli_search/peer_unzip_grep", "-");
    const double window = rep.Get("book/window_shown/ours");
    const double dillo = rep.Get("book/window_shown/peer_dillo");
    std::printf("%-44s %14s %14s\n", "window shown, fresh process",
                Fmt(window * 1000, "ms").c_str(),
                dillo < 0 ? "-" : Fmt(1.5 * dillo * 1000, "ms").c_str());
    std::printf("%-44s %14s %14s\n", "peer: Dillo's window on the same page",
                Fmt(dillo * 1000, "ms").c_str(), "-");
    std::printf("%-44s %14s %14s\n", "memory once the window shows (RSS)",
                Fmt(rep.Rss("book/window_shown/ours"), "MB").c_str(), "15 MB");
    std::printf("%-44s %14s %14s\n", "peer: Dillo's memory once its window shows",
                Fmt(rep.Rss("book/window_shown/peer_dillo"), "MB").c_str(), "-");
    std::printf("goals: first paint %s; memory %s; first search %s; later searches %s\n",
                Verdict(cold, 0.3), Verdict(rssMB, 50), Verdict(first, 2.0), Verdict(later, 0.05));
    std::printf("goals: window %s beside Dillo; window memory %s\n",
                window < 0 || dillo < 0 ? "not compared"
                                        : (window <= 1.5 * dillo ? "met" : "missed"),
                Verdict(rep.Rss("book/window_shown/ours"), 15));
    std::printf("goals: cold --search %s (and %s twice unzip | grep); warm --search %s\n",
                Verdict(cliCold, 1.0),
                peer < 0 || cliCold < 0 ? "not compared with"
                                        : (cliCold <= 2 * peer ? "within" : "not within"),
                Verdict(cliWarm, 0.05));
}

} // namespace

int main(int argc, char** argv) {
    // The packaged fonts only, as the tests use.
    setenv("FONTCONFIG_FILE", FOLIO_SOURCE_DIR "/tests/data/fontconfig/fonts.conf", 0);
    if (argc == 3 && std::string(argv[1]) == "--open-book")
        return ChildMain(argv[2]);
    // The book of the run copied out, to time it by hand (strace -c, perf, the window).
    if (argc == 3 && std::string(argv[1]) == "--write-book") {
        std::ifstream in(BookPath(), std::ios::binary);
        std::ofstream out(argv[2], std::ios::binary);
        out << in.rdbuf();
        out.close();
        return out && chmod(argv[2], 0755) == 0 ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("book/first_paint/fresh_process", ColdStart)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("book/first_paint/in_process", WarmStart)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
    benchmark::RegisterBenchmark("book/first_search", FirstSearch)
        ->Unit(benchmark::kMillisecond)
        ->MeasureProcessCPUTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("book/first_search_reading_only", ReadPages)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("book/later_search/rare", LaterSearch, &g_rareQuery)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("book/later_search/common", LaterSearch, &g_firstQuery)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("book/later_search/phrase", LaterSearch, &g_phraseQuery)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("book/index_build", BuildIndex)
        ->Arg(1)
        ->Arg(2)
        ->ArgName("threads")
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("book/cli_search/cold", CliSearch, false)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("book/cli_search/warm", CliSearch, true)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(5);
    benchmark::RegisterBenchmark("book/cli_search/peer_unzip_grep", UnzipGrep)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("book/window_shown/ours", OurWindowShown)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(5);
    benchmark::RegisterBenchmark("book/window_shown/peer_dillo", DilloWindowShown)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(5);
    benchmark::RegisterBenchmark("book/scan_search", ScanSearch)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    TSummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    benchmark::Shutdown();
    return 0;
}
