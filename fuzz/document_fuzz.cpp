// libFuzzer target: a page read from the input, laid out at three widths (one pixel, a narrow
// window, a wide one), dumped, and painted into a small band at its top and its middle. The
// page has no folder, so nothing is read from disk. Any crash, hang or sanitizer report is a
// finding; so is a height that is negative or not what the page reports.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "html/load/headless_page.h"
#include "platform/graphics/canvas.h"

namespace {
void Check(bool ok) {
    if (!ok)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    THeadlessPage page;
    page.LoadHtml(std::string(reinterpret_cast<const char*>(data), size), "");
    for (const int32_t width : {1, 300, 1200}) {
        const int32_t height = page.LayOut(width);
        Check(height >= 0 && height == page.DocHeight());
        const std::string dump = page.Dump(); // walks every section of the tree
        TCanvas band(std::min(width, 320), 48);
        page.Paint(band, 0);
        if (height > band.Height())
            page.Paint(band, height / 2);
    }
    return 0;
}
