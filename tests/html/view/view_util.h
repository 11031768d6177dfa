#pragma once
// A viewer on the test clock, with its paint panel painted on demand (hit tests answer for
// the picture last painted) and pages written to a scratch folder.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "html/view/html_viewer.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/application.h"
#include "platform/gui/clock.h"
#include "tests/support/files.h"
#include "tests/support/fonts_env.h"
#include "tests/support/temp_dir.h"

namespace folio_test {

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application().SetClock(&clock);
        viewer = std::make_unique<THTMLViewer>();
        viewer->SetBounds(0, 0, 400, 300);
    }
    void TearDown() override {
        viewer.reset();
        Application().ProcessMessages();
        Application().SetClock(nullptr);
    }

    // Writes a file into the scratch folder and answers its full name.
    std::string Write(const std::string& name, const std::string& text) {
        const std::string path = dir / name;
        folio_test::WriteFile(path, text);
        return path;
    }
    // Paints what the panel shows, as the screen would.
    void Paint() {
        TPaintPanel& p = viewer->PaintPanel();
        TCanvas canvas(std::max(p.Width(), 1), std::max(p.Height(), 1));
        p.Paint(canvas, p.ClientRect());
    }
    // Lets posted calls and due timers run after the clock moved on.
    void Advance(uint64_t ms) {
        clock.Advance(ms);
        Application().ProcessMessages();
    }
    // A page of n numbered paragraphs.
    static std::string Paragraphs(int n) {
        std::string s = "<html><body>";
        for (int i = 0; i < n; ++i)
            s += "<p>Paragraph number " + std::to_string(i) + "</p>";
        return s + "</body></html>";
    }

    TManualClock clock{1000};
    TempDir dir;
    std::unique_ptr<THTMLViewer> viewer;
};

} // namespace folio_test
