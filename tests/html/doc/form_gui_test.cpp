// Form controls in a real X server: the document's paint panel sits in a shown window, so the
// controls placed by a paint get FLTK widgets, and a click on one reaches the document's
// object-click event. Each run starts its own Xvfb (skipped when Xvfb or xdotool is missing).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "html/load/html_reader.h"
#include "platform/fltk/fltk_gui.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/application.h"
#include "platform/gui/buttons.h"
#include "platform/gui/edit.h"
#include "platform/gui/panel.h"
#include "platform/gui/window.h"
#include "tests/html/doc/form_test_util.h"
#include "tests/support/fonts_env.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

bool InPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string p = path ? path : "/usr/bin:/bin";
    for (size_t start = 0; start <= p.size();) {
        size_t colon = p.find(':', start);
        std::string dir = p.substr(start, colon == std::string::npos ? colon : colon - start);
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0)
            return true;
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    return false;
}

pid_t Spawn(const std::vector<std::string>& args, int outFd = -1) {
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    if (outFd >= 0)
        posix_spawn_file_actions_adddup2(&fa, outFd, 3);
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    return pid;
}

template <class F> bool PumpUntil(F done, int ms = 3000) {
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        Application().ProcessMessages();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

// Runs xdotool while the loop keeps running, so the window answers the X server.
bool RunWhilePumping(const std::vector<std::string>& args, int ms = 4000) {
    pid_t pid = Spawn(args);
    if (pid < 0)
        return false;
    int status = 0;
    bool finished = PumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, ms);
    if (!finished) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class FormXvfbTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!InPath("Xvfb") || !InPath("xdotool"))
            return;
        int fds[2];
        if (pipe(fds) != 0)
            return;
        // Xvfb writes the display number it chose to fd 3; -noreset keeps it up when the
        // probing connection closes.
        server = Spawn({"Xvfb", "-displayfd", "3", "-screen", "0", "800x600x24", "-nolisten", "tcp",
                        "-noreset"},
                       fds[1]);
        close(fds[1]);
        std::string number;
        char c;
        auto end = Clock::now() + std::chrono::seconds(5);
        fcntl(fds[0], F_SETFL, O_NONBLOCK);
        while (Clock::now() < end) {
            ssize_t n = read(fds[0], &c, 1);
            if (n == 1) {
                if (c == '\n')
                    break;
                number += c;
            } else if (n == 0) {
                break;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        close(fds[0]);
        if (number.empty())
            return;
        setenv("DISPLAY", (":" + number).c_str(), 1);
        if (TFltkGui::DisplayAvailable())
            gui = new TFltkGui();
    }
    static void TearDownTestSuite() {
        delete gui;
        gui = nullptr;
        if (server > 0) {
            kill(server, SIGTERM);
            int status;
            waitpid(server, &status, 0);
            server = -1;
        }
    }
    void SetUp() override {
        if (!InPath("Xvfb") || !InPath("xdotool"))
            GTEST_SKIP() << "Xvfb or xdotool is not installed";
        if (!gui)
            GTEST_SKIP() << "Xvfb did not start";
    }

    static pid_t server;
    static TFltkGui* gui;
};
pid_t FormXvfbTest::server = -1;
TFltkGui* FormXvfbTest::gui = nullptr;

} // namespace

TEST_F(FormXvfbTest, PaintedControlsGetWidgetsAndReportClicks) {
    TWindow window;
    window.SetCaption("Folio form test");
    window.SetBounds(40, 40, 400, 200);
    TPanel paintPanel;
    paintPanel.SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    paintPanel.SetParent(&window);
    paintPanel.SetAlign(TAlign::alClient);
    TFormPage page(&paintPanel);
    page.Listen();
    page.Read(R"(<form><input type=button name=b value="&1 Directory" onclick="create">
                 <input name=q value=text><input type=radio name=r value=1>
                 <input type=submit name=go value=Go><input type=hidden name=h value=x></form>)");
    window.Show();
    ASSERT_NE(paintPanel.Peer(), nullptr);
    // Before a paint places them the controls wait above the panel.
    TCanvas canvas(400, 200);
    page.Doc.Forms[0]->FitAll(canvas);
    page.Named("b")->DrawAt(canvas, 10, 10);
    page.Named("q")->DrawAt(canvas, 10, 60);
    page.Named("r")->DrawAt(canvas, 10, 100);
    page.Named("go")->DrawAt(canvas, 100, 140);
    for (const char* n : {"b", "q", "r", "go"}) {
        TControl* w = page.Named(n)->Widget();
        EXPECT_NE(w->Peer(), nullptr) << n;
        EXPECT_TRUE(w->Showing()) << n;
    }
    EXPECT_NE(page.Get<TRadioButtonFormControlObj>("r")->Radio().Peer(), nullptr);
    ASSERT_TRUE(RunWhilePumping(
        {"xdotool", "search", "--sync", "--onlyvisible", "--name", "^Folio form test$"}))
        << "the window was not mapped";

    // A click in the middle of the button (the window sits where it was put: no window
    // manager) reaches the object-click event with the onclick text.
    TControl* b = page.Named("b")->Widget();
    const int bx = 40 + b->Left() + b->Width() / 2, by = 40 + b->Top() + b->Height() / 2;
    ASSERT_TRUE(RunWhilePumping(
        {"xdotool", "mousemove", "--sync", std::to_string(bx), std::to_string(by), "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return !page.Clicks.empty(); }));
    EXPECT_EQ(page.Clicks, (std::vector<std::string>{"create"}));

    // The radio button in its frame takes a click too.
    TControl* r = page.Named("r")->Widget();
    ASSERT_TRUE(RunWhilePumping({"xdotool", "mousemove", "--sync", std::to_string(40 + 16),
                                 std::to_string(40 + r->Top() + 7), "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return page.Clicks.size() == 2; }));
    EXPECT_TRUE(page.Get<TRadioButtonFormControlObj>("r")->Checked());

    // Alt+1 presses the button through the access key of its caption.
    ASSERT_TRUE(RunWhilePumping({"xdotool", "key", "alt+1"}));
    EXPECT_TRUE(PumpUntil([&] { return page.Clicks.size() == 3; }));

    // The submit button hands over every pair, its own last.
    TControl* go = page.Named("go")->Widget();
    ASSERT_TRUE(RunWhilePumping({"xdotool", "mousemove", "--sync",
                                 std::to_string(40 + go->Left() + go->Width() / 2),
                                 std::to_string(40 + go->Top() + go->Height() / 2), "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return !page.Submits.empty(); }));
    ASSERT_EQ(page.Submits.size(), 1u);
    EXPECT_EQ(page.Submits[0].Results, (std::vector<std::string>{"q=text", "r=1", "h=x", "go=Go"}));

    // Typing in the text box and pressing Enter submits without a button pair.
    TControl* q = page.Named("q")->Widget();
    ASSERT_TRUE(RunWhilePumping({"xdotool", "mousemove", "--sync",
                                 std::to_string(40 + q->Left() + q->Width() - 4),
                                 std::to_string(40 + q->Top() + q->Height() / 2), "click", "1",
                                 "key", "End", "type", "--delay", "5", "!"}));
    EXPECT_TRUE(PumpUntil([&] {
        return page.Get<TEditFormControlObj>("q")->Edit().Text() == "text!";
    })) << page.Get<TEditFormControlObj>("q")->Edit().Text();
    ASSERT_TRUE(RunWhilePumping({"xdotool", "key", "Return"}));
    EXPECT_TRUE(PumpUntil([&] { return page.Submits.size() == 2; }));
    ASSERT_EQ(page.Submits.size(), 2u);
    EXPECT_EQ(page.Submits[1].Results, (std::vector<std::string>{"q=text!", "r=1", "h=x"}));
    window.Hide();
}

TEST_F(FormXvfbTest, LayoutAndPaintPlaceTheWidgetsAndScrollingHidesThem) {
    TWindow window;
    window.SetCaption("Folio form page test");
    window.SetBounds(40, 40, 400, 200);
    TPanel paintPanel;
    paintPanel.SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    paintPanel.SetParent(&window);
    paintPanel.SetAlign(TAlign::alClient);
    TFormPage page(&paintPanel);
    page.Listen();
    TSectionList& doc = page.Doc;
    doc.SetDefaults("Times New Roman", "Courier New", 12, clBlack, clBlue, clPurple, clBlue, false,
                    clBtnFace, true, 10, 5, 0);
    const std::string html = R"(<p>Top <input name=q value=first>
<table border=1><tr><td>Cell</td><td><input type=button name=b value="&Create"
onclick="create"></td></tr></table>
<p style="margin-top: 400px">Far below <input name=far value=x>)";
    ParseHTMLDocument(doc, THtmlSource::Text(html), TReaderHost{});
    for (TFormControlObj* c : doc.Controls)
        page.All.push_back(c);
    window.Show();
    TCanvas canvas(400, 200);
    int32_t needed = 0, chars = 0;
    doc.LayOut(canvas, 0, 400, 200, needed, chars);
    doc.ScrollTo(0);
    doc.DrawCell(canvas, Rect(0, 0, 400, 200), 400, 0, 0, 0, 0);
    TFormControlObj* q = page.Named("q");
    TFormControlObj* b = page.Named("b");
    TFormControlObj* far = page.Named("far");
    ASSERT_TRUE(q && b && far);
    EXPECT_TRUE(q->Widget()->Showing());
    EXPECT_TRUE(b->Widget()->Showing());
    EXPECT_NE(b->Widget()->Peer(), nullptr);
    // Laid out below the band: never placed, hidden after the layout.
    EXPECT_FALSE(far->Shown);
    EXPECT_FALSE(far->Widget()->Visible());
    ASSERT_TRUE(RunWhilePumping(
        {"xdotool", "search", "--sync", "--onlyvisible", "--name", "^Folio form page test$"}))
        << "the window was not mapped";
    TControl* w = b->Widget();
    ASSERT_TRUE(RunWhilePumping({"xdotool", "mousemove", "--sync",
                                 std::to_string(40 + w->Left() + w->Width() / 2),
                                 std::to_string(40 + w->Top() + w->Height() / 2), "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return !page.Clicks.empty(); }));
    EXPECT_EQ(page.Clicks, (std::vector<std::string>{"create"}));

    // Scrolled down, the controls at the top are no longer drawn; the clicked button has the
    // focus, so they stay shown far to the left, where Tab still reaches them. The one far
    // below comes into the band.
    EXPECT_TRUE(PumpUntil([&] { return b->Widget()->Focused(); }));
    doc.ScrollTo(far->DocY - 50);
    doc.DrawCell(canvas, Rect(0, 0, 400, 200), 400, 0, far->DocY - 50, 0, 0);
    EXPECT_TRUE(far->Widget()->Showing());
    for (TFormControlObj* c : {q, b}) {
        EXPECT_TRUE(c->Widget()->Visible()) << c->Name;
        EXPECT_EQ(c->Widget()->Left(), -4000) << c->Name;
    }
    // The focus leaves the document: the next scroll hides them.
    window.SetActiveControl(nullptr);
    doc.ScrollTo(far->DocY - 40);
    doc.DrawCell(canvas, Rect(0, 0, 400, 200), 400, 0, far->DocY - 40, 0, 0);
    EXPECT_FALSE(q->Widget()->Visible());
    EXPECT_FALSE(b->Widget()->Visible());
    EXPECT_TRUE(far->Widget()->Showing());
    window.Hide();
}
