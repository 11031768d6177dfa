#pragma once
// A private X server for GUI tests: starts Xvfb on a free display, turns the FLTK GUI on, and
// drives the windows with xdotool while the application's loop keeps running. Every wait has a
// deadline, so a window that never shows or a click that never lands fails the test instead of
// hanging it.
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

#include "platform/fltk/fltk_gui.h"
#include "platform/gui/application.h"
#include "platform/gui/control.h"
#include "platform/gui/window.h"

extern char** environ;

namespace xvfb {

using Clock = std::chrono::steady_clock;

// Whether program is an executable in one of PATH's folders (where Spawn looks for it).
inline bool InPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    const std::string p = path ? path : "/usr/bin:/bin";
    for (size_t start = 0; start <= p.size();) {
        const size_t colon = p.find(':', start);
        const std::string dir =
            p.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0)
            return true;
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    return false;
}

inline pid_t Spawn(const std::vector<std::string>& args, int outFd = -1) {
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

// Runs the application's loop until done() or the deadline.
template <class F> bool PumpUntil(F done, int ms = 5000) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        Application().ProcessMessages();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

// A process that runs beside the test (an xdotool waiting for a dialog to appear); killed
// when it has not finished by the time it is reaped.
class TBackground {
public:
    explicit TBackground(std::vector<std::string> args) : pid_(Spawn(args)) {}
    ~TBackground() { Reap(0); }
    bool Started() const { return pid_ > 0; }
    // Waits (running the loop) for the process to end; true when it ended with status 0.
    bool Reap(int ms = 5000) {
        if (pid_ <= 0)
            return ok_;
        int status = 0;
        if (!PumpUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, ms)) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            pid_ = -1;
            return ok_ = false;
        }
        pid_ = -1;
        return ok_ = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    pid_t pid_;
    bool ok_ = false;
};

// Runs xdotool while the loop keeps running, so the windows answer the X server.
inline bool Xdotool(std::vector<std::string> args, int ms = 5000) {
    args.insert(args.begin(), "xdotool");
    TBackground run(args);
    return run.Started() && run.Reap(ms);
}

// The screen position of a control of a shown window (without a window manager the window
// sits exactly where it was put).
inline TPoint ScreenCentre(const TControl& control) {
    int x = control.Width() / 2, y = control.Height() / 2;
    for (const TControl* c = &control; c; c = c->Parent()) {
        x += c->Left();
        y += c->Top();
    }
    return {x, y};
}

inline bool ClickAt(TPoint p) {
    return Xdotool({"mousemove", "--sync", std::to_string(p.X), std::to_string(p.Y), "click", "1"});
}

// Starts Xvfb with a screen of the given geometry (width x height x depth); answers its display
// number ("" when it cannot). Xvfb picks a free display itself and writes its number to fd 3;
// -noreset keeps it up when the probing connection closes (otherwise FLTK's connection made
// meanwhile is refused and FLTK ends the program).
inline std::string StartXvfb(pid_t& server, const std::string& screen = "1024x768x24") {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    server =
        Spawn({"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"},
              fds[1]);
    close(fds[1]);
    std::string number;
    char c = 0;
    const auto end = Clock::now() + std::chrono::seconds(10);
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

// One X server and the FLTK GUI for a whole test suite (or program). Not Up() when Xvfb or
// xdotool is missing or the server does not start; Problem() then says which.
class TSession {
public:
    explicit TSession(const std::string& screen = "1024x768x24") {
        for (const char* program : {"Xvfb", "xdotool"}) {
            if (!InPath(program)) {
                problem_ = std::string(program) + " is not installed (scripts/deps.sh installs it)";
                return;
            }
        }
        const std::string number = StartXvfb(server_, screen);
        if (number.empty()) {
            problem_ = "Xvfb did not start";
            return;
        }
        setenv("DISPLAY", (":" + number).c_str(), 1);
        if (TFltkGui::DisplayAvailable())
            gui_ = new TFltkGui();
        else
            problem_ = "Xvfb started on :" + number + ", but its display cannot be opened";
    }
    ~TSession() {
        delete gui_;
        if (server_ > 0) {
            kill(server_, SIGTERM);
            int status = 0;
            waitpid(server_, &status, 0);
        }
    }
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;
    bool Up() const { return gui_ != nullptr; }
    const std::string& Problem() const { return problem_; }

private:
    pid_t server_ = -1;
    TFltkGui* gui_ = nullptr;
    std::string problem_;
};

// One X server for a whole test program, for programs whose windows must outlive a suite (FLTK
// keeps its display connection to the end). ProgramSession() is null until the program's
// tests start; a test program asks for it once at namespace scope:
//     [[maybe_unused]] const bool xvfbForAll = xvfb::UseProgramSession();
inline TSession*& ProgramSession() {
    static TSession* session = nullptr;
    return session;
}

// A GUI test that cannot get its X server fails: skipping would let CTest count the program as
// passed although none of its windows was ever shown.
class TProgramEnvironment : public testing::Environment {
public:
    void SetUp() override {
        ProgramSession() = new TSession();
        if (!ProgramSession()->Up())
            FAIL() << "no X server for the GUI tests: " << ProgramSession()->Problem();
    }
    void TearDown() override {
        delete ProgramSession();
        ProgramSession() = nullptr;
    }
};

inline bool UseProgramSession() {
    testing::AddGlobalTestEnvironment(new TProgramEnvironment);
    return true;
}

// True when the program's X server is up. When it is not, the program has already failed (in
// the environment's set-up), and its tests only need to stop.
inline bool ProgramSessionUp() {
    return ProgramSession() != nullptr && ProgramSession()->Up();
}

// A test suite with its own X server on an 800 x 600 screen (window positions and the
// maximised size in the tests rely on it); its tests fail when the server is not up.
class TSuiteTest : public testing::Test {
protected:
    static void SetUpTestSuite() { session = new TSession("800x600x24"); }
    static void TearDownTestSuite() {
        delete session;
        session = nullptr;
    }
    void SetUp() override {
        if (!session || !session->Up())
            FAIL() << "no X server for the GUI tests: "
                   << (session ? session->Problem() : std::string("no session"));
    }

    inline static TSession* session = nullptr;
};

} // namespace xvfb
