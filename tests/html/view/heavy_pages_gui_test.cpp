// Pages built to load the window: each must show within a deadline that only a cost growing
// faster than the page would miss (the speed itself is measured in bench/), and a frame set
// that loads itself must paint every frame without running out of the toolkit's clipping.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "html/doc/form_control.h"
#include "html/view/frame_viewer.h"
#include "html/view/html_viewer.h"
#include "platform/base/streams.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/paint_box.h"
#include "platform/gui/window.h"
#include "tests/support/fonts_env.h"
#include "tests/support/xvfb_session.h"

namespace {

using xvfb::PumpUntil;
using Clock = std::chrono::steady_clock;

// Generous enough for the sanitizer build on a busy machine; a quadratic cost misses it by far
// (20,000 inputs took 20 s before their layout was batched).
constexpr int kDeadlineMs = 60000;

class HeavyPagesTest : public xvfb::TSuiteTest {
protected:
    void SetUp() override {
        xvfb::TSuiteTest::SetUp();
        if (IsSkipped())
            return;
        window.SetCaption("Folio heavy page test");
        window.SetBounds(40, 40, 500, 400);
        viewer.SetParent(&window);
        viewer.SetAlign(TAlign::alClient);
        window.Show();
        ASSERT_NE(viewer.PaintPanel().Peer(), nullptr);
        // The pointer rests on the page, as after a click on a link: the toolkit then looks
        // for the widget under it whenever one is hidden or deleted.
        ASSERT_TRUE(xvfb::Xdotool({"mousemove", "300", "300"}));
        ASSERT_TRUE(xvfb::Xdotool({"mousemove", "250", "250"}));
        PumpUntil([] { return false; }, 200);
    }
    void TearDown() override { window.Hide(); }

    // Shows the page in the shown window (so every control gets its widget as it is read) and
    // waits until its first control is on the screen; the seconds it took.
    double Show(const std::string& page) {
        const auto start = Clock::now();
        viewer.ShowHtmlString(page);
        EXPECT_FALSE(viewer.Document().Controls.empty());
        if (viewer.Document().Controls.empty())
            return 0;
        TControl* first = viewer.Document().Controls.front()->Widget();
        EXPECT_TRUE(PumpUntil([&] { return first->Showing() && first->Peer(); }, kDeadlineMs));
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        RecordProperty("seconds", std::to_string(seconds));
        std::printf("    shown in %.2f s\n", seconds);
        return seconds;
    }

    TWindow window;
    THTMLViewer viewer;
};

TEST_F(HeavyPagesTest, FiftyThousandInputsShow) {
    std::string page = "<form>";
    for (int i = 0; i < 50000; ++i)
        page += "<input name=i" + std::to_string(i) + " size=4>";
    page += "</form>";
    EXPECT_LT(Show(page), kDeadlineMs / 1000.0);
    const auto& controls = viewer.Document().Controls;
    ASSERT_EQ(controls.size(), 50000u);
    for (TFormControlObj* c : controls)
        ASSERT_NE(c->Widget()->Peer(), nullptr);
    // The last one is reached by scrolling: it shows, and the first one goes away.
    viewer.SetPixelPosition(viewer.VScrollBar().MaxPosition());
    EXPECT_TRUE(PumpUntil([&] { return controls.back()->Widget()->Showing(); }, kDeadlineMs));
}

TEST_F(HeavyPagesTest, AHundredThousandOptionsShow) {
    std::string page = "<form><select name=s>";
    for (int i = 0; i < 100000; ++i)
        page += "<option" + std::string(i == 99999 ? " selected" : "") + ">Option " +
                std::to_string(i) + "\n";
    page += "</select></form>";
    EXPECT_LT(Show(page), kDeadlineMs / 1000.0);
    auto* combo = dynamic_cast<TComboBox*>(viewer.Document().Controls.front()->Widget());
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->Count(), 100000);
    EXPECT_EQ(combo->Text(), "Option 99999");
    EXPECT_NE(combo->Peer(), nullptr);
    // Options added to a list already shown, and the list replaced by a shorter one, both reach
    // the widget, which is drawn again each time (a stale menu would point at freed texts:
    // the sanitizer build runs this too).
    combo->AddItem("one more");
    combo->SetItemIndex(100000);
    PumpUntil([] { return false; }, 200);
    combo->SetItems({"a", "b"});
    combo->SetItemIndex(1);
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(combo->Text(), "b");
}

// A text area of megabytes shows at once. A line too long for the toolkit to measure and draw
// in one piece is shown cut into rows and cannot be edited there, so the page's text stays
// whole; a large text of ordinary lines stays editable.
TEST_F(HeavyPagesTest, TextAreasOfMegabytesShow) {
    std::string line;
    while (line.size() < 10'000'000)
        line += "wordy words ";
    std::string lines;
    while (lines.size() < 2'000'000)
        lines += "a line of wordy words\n";
    struct TCase {
        std::string attrs, text, afterKey;
    };
    const TCase cases[] = {
        {"", line, line},
        {" wrap=soft", line, line},
        {" wrap=soft", lines, "Z" + lines},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.attrs + " " + std::to_string(c.text.size()));
        EXPECT_LT(Show("<form><textarea name=t" + c.attrs + ">" + c.text + "</textarea></form>"),
                  kDeadlineMs / 1000.0);
        TFormControlObj* area = viewer.Document().Controls.front();
        const auto submitted = [&] {
            std::string text;
            area->SubmitPair(0, text);
            return text;
        };
        // One line, or the lines of a wrapping text area, which are sent joined as one.
        const auto sent = [&](std::string text) {
            text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
            return "t=" + text;
        };
        EXPECT_EQ(submitted(), sent(c.text));
        TControl* memo = area->Widget();
        memo->SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return memo->Focused(); }));
        ASSERT_TRUE(xvfb::Xdotool({"key", "ctrl+Home", "Z", "ctrl+End"}));
        // The keys were taken (the window answers): the text changed, or stayed whole.
        PumpUntil([&] { return submitted() == sent(c.afterKey); }, 3000);
        EXPECT_EQ(submitted(), sent(c.afterKey));
    }
}

// The toolkit's own complaint goes to the standard error: catch it while the set is painted.
class TStderrCapture {
public:
    TStderrCapture() {
        std::fflush(stderr);
        saved_ = ::dup(2);
        std::FILE* f = std::tmpfile();
        file_ = f;
        ::dup2(::fileno(f), 2);
    }
    ~TStderrCapture() { Restore(); }
    std::string Text() {
        Restore();
        std::string text;
        std::rewind(file_);
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, file_)) > 0)
            text.append(buf, n);
        return text;
    }

private:
    void Restore() {
        if (saved_ >= 0) {
            std::fflush(stderr);
            ::dup2(saved_, 2);
            ::close(saved_);
            saved_ = -1;
        }
    }
    int saved_ = -1;
    std::FILE* file_ = nullptr;
};

TEST_F(HeavyPagesTest, AFrameSetThatLoadsItselfPaintsEveryFrame) {
    TFrameViewer frames;
    TMemoryStream stream;
    frames.OnStreamRequest = [&](TObject*, const std::string& src, TMemoryStream*& out) {
        stream.Clear();
        const std::string page = src == "loop.html" ? "<frameset rows=\"*,*\"><frame src=loop.html>"
                                                      "<frame src=leaf.html></frameset>"
                                                    : "<body bgcolor=yellow><p>leaf</p></body>";
        stream.WriteString(page);
        stream.SetPosition(0);
        out = &stream;
    };
    viewer.SetParent(nullptr);
    frames.SetParent(&window);
    frames.SetAlign(TAlign::alClient);
    window.SetBounds(40, 40, 700, 560);

    TStderrCapture err;
    frames.Load("loop.html");
    const std::vector<THTMLViewer*> viewers = frames.Viewers();
    ASSERT_GE(viewers.size(), 8u);
    // Every frame big enough to show anything paints: none is left blank.
    std::vector<int> painted(viewers.size(), 0);
    for (size_t i = 0; i < viewers.size(); ++i) {
        TPaintBox& box = viewers[i]->PaintPanel();
        auto old = box.OnPaint;
        box.OnPaint = [old, &painted, i](TPaintBox& b, TCanvas& c, const TRect& r) {
            ++painted[i];
            if (old)
                old(b, c, r);
        };
        box.Invalidate();
    }
    const auto allPainted = [&] {
        for (size_t i = 0; i < viewers.size(); ++i)
            if (viewers[i]->PaintPanel().Width() > 0 && viewers[i]->PaintPanel().Height() > 0 &&
                viewers[i]->PaintPanel().Showing() && painted[i] == 0)
                return false;
        return true;
    };
    EXPECT_TRUE(PumpUntil(allPainted, kDeadlineMs));
    // Painted again on the whole window: the clipping is restored after every frame.
    window.SetBounds(40, 40, 720, 580);
    std::fill(painted.begin(), painted.end(), 0);
    EXPECT_TRUE(PumpUntil(allPainted, kDeadlineMs));
    const std::string complaints = err.Text();
    EXPECT_EQ(complaints.find("clip"), std::string::npos) << complaints;
    for (size_t i = 0; i < viewers.size(); ++i)
        viewers[i]->PaintPanel().OnPaint = nullptr;
    frames.SetParent(nullptr);
}

} // namespace
