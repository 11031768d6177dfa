// A page as the user waits for it: read from disk, laid out at 800 pixels and painted into an
// image (the whole document height, in bands of at most 4096 rows), in pages per second. Beside
// each figure, litehtml doing the same with a small cairo host of ours (litehtml_container.h)
// in the same run; litehtml has no form controls, so the form page has no peer. Times are the
// process's CPU time (both engines run on one thread), so other work on the machine does not
// count against either.
//
// Peak memory: after the timed runs, the process gives its free heap back (malloc_trim), resets
// its peak resident size (/proc/self/clear_refs) and renders the page set once more; "peak_MB"
// is the peak resident size reached minus the resident size before. Fonts and the peer's user
// style sheet are then already made, so it is the cost of the pages themselves, the band image
// (up to 800 x 4096 x 4 bytes, 12.5 MB) included for both engines.
//
// Goals: at least three times litehtml's pages per second, and cost linear in the page: the
// 2 MB paragraph page and the 2,000-row table take about twice as long as their halves.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "html/load/headless_page.h"
#include "litehtml_container.h"
#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"
#include "render_pages.h"

using namespace render_bench;

namespace {

constexpr int kWidth = 800;
constexpr int kBand = 4096;

long ProcStatusKB(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t n = std::string(key).size();
    while (std::getline(in, line))
        if (line.compare(0, n, key) == 0)
            return std::atol(line.c_str() + n + 1);
    return -1;
}

// The peak resident growth of one call, in MB (-1 when the system cannot tell).
double PeakGrowthMB(const std::function<void()>& work) {
    malloc_trim(0);
    {
        std::ofstream reset("/proc/self/clear_refs");
        reset << "5" << std::flush;
        if (!reset)
            return -1;
    }
    const long before = ProcStatusKB("VmRSS:");
    work();
    const long peak = ProcStatusKB("VmHWM:");
    if (before < 0 || peak < 0)
        return -1;
    return double(peak - before) / 1024.0;
}

int BandHeight(int docHeight) {
    return std::clamp(docHeight, 1, kBand);
}

// Ours: the headless page the renderer and the reader's viewer share.
int RenderOurs(const std::string& path) {
    THeadlessPage page;
    std::string error;
    if (!page.LoadFile(path, error))
        throw std::runtime_error(error);
    const int height = page.LayOut(kWidth);
    TCanvas canvas(kWidth, BandHeight(height));
    for (int top = 0; top < height; top += canvas.Height())
        page.Paint(canvas, top);
    return height;
}

// The peer: litehtml with its user style sheet parsed once, as a host keeps it.
struct TPeer {
    litehtml::context context;
    TLitehtmlContainer container{kWidth};
    TPeer() { context.load_master_stylesheet(TLitehtmlContainer::MasterCss()); }
};

TPeer& Peer() {
    static TPeer peer;
    return peer;
}

int RenderPeer(const std::string& path) {
    TPeer& peer = Peer();
    const std::string html = ReadFile(path);
    auto doc = litehtml::document::createFromUTF8(html.c_str(), &peer.container, &peer.context);
    doc->render(kWidth);
    const int height = doc->height();
    const int band = BandHeight(height);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, band);
    cairo_t* cr = cairo_create(surface);
    for (int top = 0; top < height; top += band) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        litehtml::position clip(0, 0, kWidth, band);
        doc->draw(reinterpret_cast<litehtml::uint_ptr>(cr), 0, -top, &clip);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return height;
}

struct TCase {
    std::string name;
    std::vector<std::string> files;
    bool peer = true;
};

TPageFolder& Folder() {
    static TPageFolder folder;
    return folder;
}

std::vector<TCase>& Cases() {
    static std::vector<TCase> cases;
    return cases;
}

void MakeCases() {
    TPageFolder& f = Folder();
    auto& c = Cases();
    c.push_back({"docs", f.CopyHelpPages(FOLIO_HELP_PAGES)});
    // The corpus of real manuals the engine is judged on, when a list of its pages is given:
    // FOLIO_CORPUS_PAGES=<(scripts/corpus.sh list) scripts/bench.sh build/release render_bench
    if (const char* list = std::getenv("FOLIO_CORPUS_PAGES"); list != nullptr && *list) {
        std::ifstream in(list);
        std::vector<std::string> pages;
        for (std::string line; std::getline(in, line);)
            if (!line.empty())
                pages.push_back(line);
        if (!pages.empty())
            c.push_back({"corpus", pages});
    }
    c.push_back({"paragraphs_1MB", {f.Write("para1.html", ParagraphPage(1u << 20))}});
    c.push_back({"paragraphs_2MB", {f.Write("para2.html", ParagraphPage(2u << 20))}});
    c.push_back({"nested_lists_200", {f.Write("lists.html", NestedListPage(200))}});
    c.push_back({"table_1000_rows", {f.Write("table1.html", TablePage(1000))}});
    c.push_back({"table_2000_rows", {f.Write("table2.html", TablePage(2000))}});
    c.push_back({"forms_500", {f.Write("forms.html", FormPage(500))}, false});
    // One page in Windows-1252 and the same page in UTF-8: decoding must not cost much.
    const std::string accented = AccentedParagraphPage(256u << 10);
    c.push_back({"latin_1252", {f.Write("latin1252.html", FromUtf8(accented))}});
    c.push_back({"latin_utf8", {f.Write("latinutf8.html", accented)}});
    c.push_back({"cjk_utf8", {f.Write("cjk.html", CjkParagraphPage(256u << 10))}});
}

std::string Name(const TCase& c, const char* engine) {
    return "render/" + c.name + "/" + engine;
}

std::map<std::string, double> g_peak;

// Fonts matched, caches filled and libraries started before any timing, once per engine, so
// the first case measured does not carry them.
void Warm(int (*render)(const std::string&)) {
    static std::map<int (*)(const std::string&), bool> warmed;
    if (warmed[render])
        return;
    warmed[render] = true;
    static const std::string page = Folder().Write(
        "warm.html", "<html><body><h1>Warm</h1><p>Text <b>bold</b> <i>italic</i> <tt>mono</tt> "
                     "<a href=x>link</a><pre>pre</pre><table border=1><tr><th>h<td>d</table>"
                     "<ul><li>item</ul></body></html>");
    render(page);
} // by benchmark name, measured once

void Run(benchmark::State& state, const TCase& c, const std::string& key,
         int (*render)(const std::string&)) {
    if (c.files.empty()) {
        state.SkipWithError("no pages: is lynx-common installed? (scripts/deps.sh)");
        return;
    }
    long long height = 0;
    try {
        Warm(render);
        for (auto _ : state) {
            height = 0;
            for (const auto& path : c.files)
                height += render(path);
            benchmark::DoNotOptimize(height);
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    if (!g_peak.count(key))
        g_peak[key] = PeakGrowthMB([&] {
            for (const auto& path : c.files)
                render(path);
        });
    state.SetItemsProcessed(state.iterations() * int64_t(c.files.size()));
    state.counters["pages"] = double(c.files.size());
    state.counters["height_px"] = double(height); // both engines should lay out alike
    state.counters["peak_MB"] = g_peak[key];
}

// Console output as usual, and the figures the summary compares.
class TSummaryReporter : public benchmark::ConsoleReporter {
public:
    struct TFigure {
        double pagesPerSecond = 0, seconds = 0, peakMB = -1;
        bool failed = false;
    };
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            TFigure f;
            f.failed = r.error_occurred;
            if (auto it = r.counters.find("items_per_second"); it != r.counters.end())
                f.pagesPerSecond = it->second.value;
            if (auto it = r.counters.find("peak_MB"); it != r.counters.end())
                f.peakMB = it->second.value;
            f.seconds = r.GetAdjustedCPUTime() * benchmark::GetTimeUnitMultiplier(r.time_unit);
            figures[r.benchmark_name()] = f;
        }
    }
    std::map<std::string, TFigure> figures;
};

void PrintSummary(const TSummaryReporter& rep) {
    // A figure of a run that ended well; "failed" and "-" (not run) otherwise.
    auto find = [&](const std::string& n) -> const TSummaryReporter::TFigure* {
        for (const auto& [name, f] : rep.figures)
            if (name.compare(0, n.size() + 1, n + "/") == 0)
                return &f;
        return nullptr;
    };
    auto get = [&](const std::string& n) {
        const auto* f = find(n);
        return f != nullptr && !f->failed ? f : nullptr;
    };
    auto missing = [&](const std::string& n) {
        const auto* f = find(n);
        return f != nullptr && f->failed ? "failed" : "-";
    };
    std::printf("\n%-18s %12s %12s %9s %10s %10s\n", "page", "ours p/s", "litehtml p/s",
                "ours/peer", "ours MB", "peer MB");
    for (const TCase& c : Cases()) {
        const auto* ours = get(Name(c, "folio"));
        const auto* peer = c.peer ? get(Name(c, "litehtml")) : nullptr;
        std::printf("%-18s", c.name.c_str());
        ours ? std::printf(" %12.2f", ours->pagesPerSecond)
             : std::printf(" %12s", missing(Name(c, "folio")));
        peer ? std::printf(" %12.2f", peer->pagesPerSecond)
             : std::printf(" %12s", c.peer ? missing(Name(c, "litehtml")) : "-");
        if (ours && peer && peer->pagesPerSecond > 0)
            std::printf(" %8.2fx", ours->pagesPerSecond / peer->pagesPerSecond);
        else
            std::printf(" %9s", "-");
        ours ? std::printf(" %10.1f", ours->peakMB) : std::printf(" %10s", "-");
        peer ? std::printf(" %10.1f\n", peer->peakMB) : std::printf(" %10s\n", "-");
    }
    if (const auto* u = get("render/latin_utf8/folio"), *w = get("render/latin_1252/folio");
        u && w && w->pagesPerSecond > 0)
        std::printf("UTF-8 page / its Windows-1252 twin: %.2f of the speed (goal >= 0.90)\n",
                    u->pagesPerSecond / w->pagesPerSecond);
    std::printf("goal: ours/peer >= 3.00x\n\nlinearity (time of the 2x page / time of the 1x "
                "page; linear cost gives 2.00):\n");
    const std::pair<const char*, const char*> pairs[] = {{"paragraphs_2MB", "paragraphs_1MB"},
                                                         {"table_2000_rows", "table_1000_rows"}};
    for (const auto& [big, small] : pairs) {
        std::printf("  %-16s", big);
        for (const char* engine : {"folio", "litehtml"}) {
            const auto* b = get(std::string("render/") + big + "/" + engine);
            const auto* s = get(std::string("render/") + small + "/" + engine);
            if (b && s && s->seconds > 0)
                std::printf("  %s %.2f", engine, b->seconds / s->seconds);
            else
                std::printf("  %s -", engine);
        }
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char** argv) {
    // The packaged fonts only, as the tests use: the same faces for both engines everywhere.
    setenv("FONTCONFIG_FILE", FOLIO_SOURCE_DIR "/tests/data/fontconfig/fonts.conf", 0);
    benchmark::Initialize(&argc, argv);
    MakeCases();
    for (const TCase& c : Cases()) {
        if (c.peer)
            benchmark::RegisterBenchmark(
                Name(c, "litehtml").c_str(),
                [&c](benchmark::State& s) { Run(s, c, Name(c, "litehtml"), RenderPeer); })
                ->Unit(benchmark::kMillisecond)
                ->MinTime(1.0);
        benchmark::RegisterBenchmark(
            Name(c, "folio").c_str(),
            [&c](benchmark::State& s) { Run(s, c, Name(c, "folio"), RenderOurs); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0);
    }
    TSummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    benchmark::Shutdown();
    return 0;
}
