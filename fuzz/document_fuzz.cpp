// libFuzzer target: a page read from the input, laid out, dumped, and painted into a small band
// at its top (and at its middle when the picking byte asks). The page has no folder, so nothing
// is read from disk. Any crash, hang or sanitizer report is a finding; so is a height that is
// negative or not what the page reports.
//
// The last byte picks the one width the page is laid out at (the page is the whole input, so
// seed pages are read as they are): one layout per input keeps the rate high, and the fuzzer
// still reaches every width by changing that byte. document_fuzz_full (built from this file with
// FOLIO_FUZZ_EVERY_WIDTH) lays each whole input out at every width instead, for long runs.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

#include "html/load/headless_page.h"
#include "platform/graphics/canvas.h"

namespace {
void Check(bool ok) {
    if (!ok)
        std::abort();
}

// One pixel (every word on a line of its own), narrow and wide windows, and one wider than
// most pages' tables.
constexpr int32_t kWidths[] = {1, 120, 300, 800, 1200, 2400};

void LayOutAndPaint(THeadlessPage& page, int32_t width, bool paintMiddle) {
    const int32_t height = page.LayOut(width);
    Check(height >= 0 && height == page.DocHeight());
    const std::string dump = page.Dump(); // walks every section of the tree
    TCanvas band(std::min(width, 320), 48);
    page.Paint(band, 0);
    if (paintMiddle && height > band.Height())
        page.Paint(band, height / 2);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    THeadlessPage page;
#ifdef FOLIO_FUZZ_EVERY_WIDTH
    page.LoadHtml(std::string(reinterpret_cast<const char*>(data), size), "");
    for (const int32_t width : kWidths)
        LayOutAndPaint(page, width, true);
#else
    if (size == 0)
        return 0;
    const uint8_t pick = data[size - 1];
    page.LoadHtml(std::string(reinterpret_cast<const char*>(data), size), "");
    LayOutAndPaint(page, kWidths[pick % std::size(kWidths)], (pick & 0x80) != 0);
#endif
    return 0;
}
