// Documents on several threads at once: each thread reads, lays out and paints pages of its
// own (the pages of tests/data/layout), and every result must equal the one the same page gives
// when it is done alone. Run in the ThreadSanitizer build (make test-tsan), this also proves
// that the engine keeps no unguarded state that documents share.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "html/load/headless_page.h"
#include "platform/graphics/canvas.h"
#include "tests/support/fonts_env.h"

namespace fs = std::filesystem;

namespace {

std::string SourceDir() {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    return src && *src ? src : fs::current_path().string();
}

// Pages too large to paint four times over in a sanitizer build in reasonable time are left
// out; the rest of the folder covers text, tables, forms, images, lists and frames of style.
std::vector<fs::path> Pages() {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(fs::path(SourceDir()) / "tests/data/layout"))
        if (e.path().extension() == ".html" && e.path().stem() != "nested-3000")
            out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

struct TResult {
    std::string Error;
    std::string Dump;
    std::vector<uint32_t> Pixels;
    int32_t Width = 0, Height = 0;
};

// One page read, laid out at 640 pixels and painted (its first 2,000 rows).
TResult Render(const fs::path& page) {
    TResult r;
    THeadlessPage p;
    if (!p.LoadFile(page.string(), r.Error))
        return r;
    p.LayOut(640);
    r.Dump = p.Dump();
    r.Width = p.Width();
    r.Height = std::clamp(p.DocHeight(), 1, 2000);
    TCanvas canvas(r.Width, r.Height);
    p.Paint(canvas, 0);
    canvas.Flush();
    r.Pixels.reserve(static_cast<size_t>(r.Width) * static_cast<size_t>(r.Height));
    for (int y = 0; y < r.Height; ++y)
        for (int x = 0; x < r.Width; ++x)
            r.Pixels.push_back(canvas.Row(y)[x] & 0xFFFFFF);
    return r;
}

TEST(EngineThreads, FourThreadsRenderDifferentPagesAsEachAloneWould) {
    const std::vector<fs::path> pages = Pages();
    ASSERT_GE(pages.size(), 20u);
    std::vector<TResult> alone;
    for (const fs::path& page : pages) {
        alone.push_back(Render(page));
        ASSERT_TRUE(alone.back().Error.empty()) << page << ": " << alone.back().Error;
    }

    // Every thread walks the whole list from its own starting point, so at any moment the
    // four threads work on different pages, and every page is done on every thread.
    constexpr size_t kThreads = 4;
    std::mutex failuresLock;
    std::vector<std::string> failures;
    std::atomic<int> rendered{0};
    auto work = [&](size_t t) {
        for (size_t k = 0; k < pages.size(); ++k) {
            const size_t i = (k + t * pages.size() / kThreads) % pages.size();
            const TResult r = Render(pages[i]);
            ++rendered;
            std::string why;
            if (!r.Error.empty())
                why = r.Error;
            else if (r.Dump != alone[i].Dump)
                why = "the layout differs";
            else if (r.Width != alone[i].Width || r.Height != alone[i].Height ||
                     r.Pixels != alone[i].Pixels)
                why = "the picture differs";
            if (!why.empty()) {
                std::lock_guard<std::mutex> hold(failuresLock);
                failures.push_back(pages[i].filename().string() + " on thread " +
                                   std::to_string(t) + ": " + why);
            }
        }
    };
    std::vector<std::thread> threads;
    for (size_t t = 0; t < kThreads; ++t)
        threads.emplace_back(work, t);
    for (std::thread& th : threads)
        th.join();
    EXPECT_EQ(rendered.load(), static_cast<int>(kThreads * pages.size()));
    for (const std::string& f : failures)
        ADD_FAILURE() << f;
}

} // namespace
