// The viewer in a real X server: it paints, takes the focus and keys, scrolls with the wheel,
// follows a clicked link and hands Ctrl+C to the clipboard. Each run starts its own Xvfb
// (skipped when Xvfb or xdotool is missing).
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

#include "html/doc/form_control.h"
#include "html/view/html_viewer.h"
#include "platform/fltk/fltk_gui.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/application.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/window.h"
#include "tests/support/fonts_env.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

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
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        Application().ProcessMessages();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

// Runs xdotool while the loop keeps running, so the window answers the X server.
bool Xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    const pid_t pid = Spawn(args);
    if (pid < 0)
        return false;
    int status = 0;
    if (!PumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 4000)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Starts Xvfb and answers its display number, or "" when it cannot.
std::string StartXvfb(pid_t& server) {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    server = Spawn(
        {"Xvfb", "-displayfd", "3", "-screen", "0", "800x600x24", "-nolisten", "tcp", "-noreset"},
        fds[1]);
    close(fds[1]);
    std::string number;
    char c = 0;
    const auto end = Clock::now() + std::chrono::seconds(5);
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    while (Clock::now() < end) {
        const ssize_t n = read(fds[0], &c, 1);
        if (n == 1 && c == '\n')
            break;
        if (n == 1)
            number += c;
        else if (n == 0)
            break;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    close(fds[0]);
    return number;
}

class ViewerXvfbTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (access("/usr/bin/Xvfb", X_OK) != 0 || access("/usr/bin/xdotool", X_OK) != 0)
            return;
        const std::string number = StartXvfb(server);
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
            int status = 0;
            waitpid(server, &status, 0);
            server = -1;
        }
    }
    void SetUp() override {
        if (!gui)
            GTEST_SKIP() << "no Xvfb with xdotool";
    }

    static pid_t server;
    static TFltkGui* gui;
};
pid_t ViewerXvfbTest::server = -1;
TFltkGui* ViewerXvfbTest::gui = nullptr;

} // namespace

TEST_F(ViewerXvfbTest, ShowsScrollsFollowsLinksAndCopies) {
    TWindow window;
    window.SetCaption("Folio viewer test");
    window.SetBounds(40, 40, 400, 300);
    THTMLViewer viewer;
    viewer.SetParent(&window);
    viewer.SetAlign(TAlign::alClient);
    std::string page = "<p><a href=\"#end\">to the end</a> <input name=q value=x></p>";
    for (int i = 0; i < 80; ++i)
        page += "<p>Line " + std::to_string(i) + "</p>";
    page += "<p id=\"end\">end</p>";
    viewer.ShowHtmlString(page);
    window.Show();
    ASSERT_NE(viewer.PaintPanel().Peer(), nullptr);
    ASSERT_TRUE(Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Folio viewer test$"}));
    ASSERT_TRUE(viewer.VScrollBar().Visible());
    ASSERT_NE(viewer.VScrollBar().Peer(), nullptr);
    // The first paint places the edit box and records the link's place.
    TControl* edit = viewer.Document().Controls.front()->Widget();
    EXPECT_TRUE(PumpUntil([&] { return edit->Showing(); }));

    // A click on the link text follows it inside the page.
    TCanvas canvas(1, 1);
    int32_t x = 0, y = 0;
    ASSERT_TRUE(viewer.Document().CaretPoint(canvas, 2, x, y));
    const int ox = 40 + viewer.PaintPanel().Left() + 1, oy = 40 + viewer.PaintPanel().Top() + 1;
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", std::to_string(ox + x + 2),
                         std::to_string(oy + y + 4), "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return viewer.PixelPosition() > 0; }));
    EXPECT_TRUE(viewer.PaintPanel().Focused());

    // Home, then the wheel and the arrow keys.
    ASSERT_TRUE(Xdotool({"key", "Home"}));
    EXPECT_TRUE(PumpUntil([&] { return viewer.PixelPosition() == 0; }));
    ASSERT_TRUE(Xdotool(
        {"mousemove", "--sync", std::to_string(ox + 100), std::to_string(oy + 150), "click", "5"}));
    EXPECT_TRUE(PumpUntil([&] { return viewer.PixelPosition() == 60; }));
    ASSERT_TRUE(Xdotool({"key", "Down"}));
    EXPECT_TRUE(PumpUntil([&] { return viewer.PixelPosition() == 76; }));

    // Ctrl+A and Ctrl+C put the page's text on the clipboard.
    SetClipboardText("");
    ASSERT_TRUE(Xdotool({"key", "ctrl+a", "ctrl+c"}));
    EXPECT_TRUE(PumpUntil([&] { return ClipboardText().find("Line 79") != std::string::npos; }));
    window.Hide();
}
