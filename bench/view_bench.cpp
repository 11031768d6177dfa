// The viewer as a user waits for it, headless (the window's pixels are the viewer's paint into
// an off-screen canvas, so the same code runs with and without a display):
//
//   first paint   from asking for a page to its first painted frame: the builder's start page
//                 (help.html served from the built-in pages to the main window's viewer, the
//                 window painted at its design size), and the largest page of the
//                 render benchmark (2 MB of paragraphs) in a 1280x1024 frame viewer;
//   scrolling     one page down a 10,000-line page and the visible 1280x1024 band painted
//                 again, in frames per second (back to the top at the end).
//
// Beside the large page and the scrolling, litehtml does the same with the cairo host of the
// render benchmark (render once, then draw the band at the new offset). Times are CPU time.
// Goals: the start page painted in under 50 ms; at least 120 frames per second scrolling.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "html/view/frame_viewer.h"
#include "litehtml_container.h"
#include "platform/graphics/canvas.h"
#include "render_pages.h"

using namespace render_bench;

namespace {

constexpr int kWidth = 1280, kHeight = 1024;

TPageFolder& Folder() {
    static TPageFolder folder;
    return folder;
}

const std::string& LargePage() {
    static const std::string path = Folder().Write("para2.html", ParagraphPage(2u << 20));
    return path;
}

// Ten thousand lines of text with a link and some bold type every few lines.
const std::string& LinesPage() {
    static const std::string path = [] {
        std::string html = "<html><body>\n";
        for (int i = 0; i < 10000; ++i) {
            html += "Line " + std::to_string(i) + " of the long page";
            if (i % 7 == 0)
                html += " with <a href=\"#l" + std::to_string(i) + "\">a link</a>";
            if (i % 5 == 0)
                html += " and <b>bold words</b>";
            html += "<br>\n";
        }
        html += "</body></html>\n";
        return Folder().Write("lines.html", html);
    }();
    return path;
}

// Pixels neither white nor the window's grey: text and pictures.
int CountInk(const TCanvas& canvas) {
    int n = 0;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            const TColor c = canvas.GetPixel(x, y);
            n += c != clWhite && c != clSilver;
        }
    return n;
}

std::string IniPath() {
    return (std::filesystem::temp_directory_path() / "folio-view-bench.ini").string();
}

// ---- ours ----

void StartPage(benchmark::State& state) {
    TBuilderWindowEnvironment env;
    env.BuilderDir = env.SettingsDir = std::filesystem::temp_directory_path().string();
    env.IniFileName = IniPath();
    // The window is made once (closing it writes the settings, which has nothing to do with
    // showing a page); each round asks its viewer for the start page again, as the window
    // does when it opens, and paints the whole window.
    {
        TFolioerF window(env);
        TCanvas canvas(window.Width(), window.Height());
        window.PaintTo(canvas, 0, 0);
        if (CountInk(canvas) < canvas.Width() * canvas.Height() / 50) {
            state.SkipWithError("the start page did not paint");
            return;
        }
        for (auto _ : state) {
            // Loading the page already shown would only move to its top.
            state.PauseTiming();
            window.Viewer().Clear();
            state.ResumeTiming();
            window.Viewer().Load("help.html");
            window.PaintTo(canvas, 0, 0);
            benchmark::DoNotOptimize(canvas.GetPixel(40, 40));
        }
    }
    std::filesystem::remove(IniPath());
}

void SetUpViewer(TFrameViewer& fv) {
    fv.SetBounds(0, 0, kWidth, kHeight);
    fv.SetDefBackground(clWhite);
    fv.SetfvOptions({fvMetaRefresh, fvPrintTableBackground, fvNoBorder});
}

void LargePageOurs(benchmark::State& state) {
    for (auto _ : state) {
        TFrameViewer fv;
        SetUpViewer(fv);
        fv.Load(LargePage());
        TCanvas canvas(kWidth, kHeight);
        fv.PaintTo(canvas, 0, 0);
        benchmark::DoNotOptimize(canvas.GetPixel(40, 40));
    }
}

void ScrollOurs(benchmark::State& state) {
    TFrameViewer fv;
    SetUpViewer(fv);
    fv.Load(LinesPage());
    THTMLViewer* v = fv.ActiveViewer();
    if (!v) {
        state.SkipWithError("no viewer");
        return;
    }
    TCanvas canvas(kWidth, kHeight);
    fv.PaintTo(canvas, 0, 0);
    const int page = v->PaintPanel().Height();
    for (auto _ : state) {
        const int before = v->PixelPosition();
        v->SetPixelPosition(before + page);
        if (v->PixelPosition() == before)
            v->SetPixelPosition(0); // the end: start over
        fv.PaintTo(canvas, 0, 0);
        benchmark::DoNotOptimize(canvas.GetPixel(40, 40));
    }
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// ---- the peer ----

struct TPeer {
    litehtml::context context;
    TLitehtmlContainer container{kWidth, kHeight};
    TPeer() { context.load_master_stylesheet(TLitehtmlContainer::MasterCss()); }
};

TPeer& Peer() {
    static TPeer peer;
    return peer;
}

struct TSurface {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    ~TSurface() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    void Draw(litehtml::document& doc, int top) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        litehtml::position clip(0, 0, kWidth, kHeight);
        doc.draw(reinterpret_cast<litehtml::uint_ptr>(cr), 0, -top, &clip);
    }
};

void LargePagePeer(benchmark::State& state) {
    TPeer& peer = Peer();
    for (auto _ : state) {
        const std::string html = ReadFile(LargePage());
        auto doc = litehtml::document::createFromUTF8(html.c_str(), &peer.container, &peer.context);
        doc->render(kWidth);
        TSurface s;
        s.Draw(*doc, 0);
    }
}

void ScrollPeer(benchmark::State& state) {
    TPeer& peer = Peer();
    const std::string html = ReadFile(LinesPage());
    auto doc = litehtml::document::createFromUTF8(html.c_str(), &peer.container, &peer.context);
    doc->render(kWidth);
    TSurface s;
    int top = 0;
    for (auto _ : state) {
        top += kHeight;
        if (top + kHeight > doc->height())
            top = 0;
        s.Draw(*doc, top);
    }
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// ---- summary ----

class TSummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (!r.error_occurred)
                seconds[r.benchmark_name()] =
                    r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
    }
    // Seconds per iteration of the run whose name starts with name; -1 when it did not run.
    double Get(const std::string& name) const {
        for (const auto& [n, s] : seconds)
            if (n.compare(0, name.size(), name) == 0)
                return s;
        return -1;
    }
    std::map<std::string, double> seconds;
};

void PrintSummary(const TSummaryReporter& rep) {
    auto fmt = [](double v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.1f", v);
        return std::string(buf);
    };
    auto ms = [&](double s) { return s < 0 ? std::string("-") : fmt(s * 1000); };
    auto fps = [&](double s) { return s <= 0 ? std::string("-") : fmt(1.0 / s); };
    const double start = rep.Get("view/first_paint/start_page/folio");
    const double largeOurs = rep.Get("view/first_paint/paragraphs_2MB/folio");
    const double largePeer = rep.Get("view/first_paint/paragraphs_2MB/litehtml");
    const double scrollOurs = rep.Get("view/scroll_10000_lines/folio");
    const double scrollPeer = rep.Get("view/scroll_10000_lines/litehtml");
    std::printf("\n%-34s %14s %14s\n", "figure", "ours", "litehtml");
    std::printf("%-34s %14s %14s\n", "first paint, start page (ms)", ms(start).c_str(), "-");
    std::printf("%-34s %14s %14s\n", "first paint, paragraphs_2MB (ms)", ms(largeOurs).c_str(),
                ms(largePeer).c_str());
    std::printf("%-34s %14s %14s\n", "scrolling 1280x1024 (frames/s)", fps(scrollOurs).c_str(),
                fps(scrollPeer).c_str());
    std::printf("goals: start page under 50 ms (%s); scrolling at least 120 frames/s (%s)\n",
                start < 0 ? "not run" : (start < 0.050 ? "met" : "missed"),
                scrollOurs <= 0 ? "not run" : (1.0 / scrollOurs >= 120 ? "met" : "missed"));
}

} // namespace

int main(int argc, char** argv) {
    // The packaged fonts only, as the tests use: the same faces for both engines everywhere.
    setenv("FONTCONFIG_FILE", FOLIO_SOURCE_DIR "/tests/data/fontconfig/fonts.conf", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("view/first_paint/start_page/folio", StartPage)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
    benchmark::RegisterBenchmark("view/first_paint/paragraphs_2MB/folio", LargePageOurs)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
    benchmark::RegisterBenchmark("view/first_paint/paragraphs_2MB/litehtml", LargePagePeer)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
    benchmark::RegisterBenchmark("view/scroll_10000_lines/folio", ScrollOurs)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
    benchmark::RegisterBenchmark("view/scroll_10000_lines/litehtml", ScrollPeer)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
    TSummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    benchmark::Shutdown();
    return 0;
}
