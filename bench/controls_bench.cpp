// Pages that load the window with controls, shown by the viewer as a user waits for them:
//
//   inputs    a form of N one-line inputs, read, laid out and painted, every input given its
//             widget as it is read (in a shown window);
//   options   one drop-down list of N options, likewise;
//   textarea  one text area holding a single line of N bytes.
//
// With a display (DISPLAY set, e.g. under xvfb-run) the viewer sits in a shown window and the
// controls get their toolkit widgets; without one the same runs headless, which measures the
// engine and the control layer only. Times are CPU time of this process.
//
// Goal: the cost grows linearly. Each *Doubling case shows a page of N and of 2N and reports
// their ratio; it fails when the larger page takes more than 2.3 times as long.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <string>

#include "html/view/html_viewer.h"
#include "platform/fltk/fltk_gui.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/application.h"
#include "platform/gui/window.h"

namespace {

constexpr double kMostForDouble = 2.3;

struct TStage {
    std::unique_ptr<TFltkGui> gui;
    TWindow window;
    THTMLViewer viewer;
    TStage() {
        if (TFltkGui::DisplayAvailable())
            gui = std::make_unique<TFltkGui>();
        window.SetBounds(20, 20, 800, 600);
        viewer.SetParent(&window);
        viewer.SetAlign(TAlign::alClient);
        if (gui)
            window.Show();
    }
};

TStage& Stage() {
    static TStage stage;
    return stage;
}

std::string InputsPage(int n) {
    std::string page = "<form>";
    for (int i = 0; i < n; ++i)
        page += "<input name=i" + std::to_string(i) + " size=4>";
    return page + "</form>";
}

std::string OptionsPage(int n) {
    std::string page = "<form><select name=s>";
    for (int i = 0; i < n; ++i)
        page += "<option>Option " + std::to_string(i) + "\n";
    return page + "</select></form>";
}

std::string TextAreaPage(int n) {
    std::string line;
    while (static_cast<int>(line.size()) < n)
        line += "wordy words ";
    return "<form><textarea name=t>" + line + "</textarea></form>";
}

// Shows page and lets the window paint it; the CPU seconds it took. The page shown before is
// cleared first, outside the measurement.
double ShowPage(const std::string& page) {
    TStage& s = Stage();
    s.viewer.ShowHtmlString("");
    Application().ProcessMessages();
    const std::clock_t start = std::clock();
    s.viewer.ShowHtmlString(page);
    if (s.gui) {
        s.viewer.PaintPanel().Invalidate();
        Application().ProcessMessages();
    } else {
        TCanvas canvas(s.viewer.PaintPanel().Width(), s.viewer.PaintPanel().Height());
        s.viewer.PaintPanel().Paint(canvas, Rect(0, 0, canvas.Width(), canvas.Height()));
    }
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

void Show(benchmark::State& state, std::string (*make)(int)) {
    const std::string page = make(static_cast<int>(state.range(0)));
    for (auto _ : state)
        state.SetIterationTime(ShowPage(page));
    state.SetComplexityN(state.range(0));
    state.SetLabel(Stage().gui ? "window" : "headless");
}

void Doubling(benchmark::State& state, std::string (*make)(int)) {
    const int n = static_cast<int>(state.range(0));
    const std::string small = make(n), large = make(2 * n);
    // The quickest of each, so that a run disturbed by other work does not decide.
    double bestSmall = 1e9, bestLarge = 1e9;
    for (auto _ : state) {
        const double a = ShowPage(small);
        const double b = ShowPage(large);
        bestSmall = std::min(bestSmall, a);
        bestLarge = std::min(bestLarge, b);
        state.SetIterationTime(a + b);
    }
    const double ratio = bestLarge / std::max(bestSmall, 1e-6);
    state.counters["ratio"] = ratio;
    state.SetLabel(Stage().gui ? "window" : "headless");
    if (ratio > kMostForDouble)
        state.SkipWithError(("doubling the page took " + std::to_string(ratio) +
                             " times as long (at most 2.3 allowed)")
                                .c_str());
}

void BM_Inputs(benchmark::State& state) {
    Show(state, InputsPage);
}
void BM_InputsDoubling(benchmark::State& state) {
    Doubling(state, InputsPage);
}
void BM_Options(benchmark::State& state) {
    Show(state, OptionsPage);
}
void BM_OptionsDoubling(benchmark::State& state) {
    Doubling(state, OptionsPage);
}
void BM_TextAreaDoubling(benchmark::State& state) {
    Doubling(state, TextAreaPage);
}

} // namespace

BENCHMARK(BM_Inputs)
    ->Arg(12500)
    ->Arg(25000)
    ->Arg(50000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_InputsDoubling)
    ->Arg(25000)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Options)
    ->Arg(25000)
    ->Arg(50000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_OptionsDoubling)
    ->Arg(50000)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextAreaDoubling)
    ->Arg(5'000'000)
    ->UseManualTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
