// The password prompt on a real (pseudo) terminal: echo is off while it waits, and Ctrl-C or a
// kill at the prompt gives the terminal its echo back.
#include "bookreader/terminal_prompt.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace {

// A pseudo terminal pair; the child process gets the terminal side as its standard streams.
class TPseudoTerminal {
public:
    TPseudoTerminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
            terminal_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY | O_CLOEXEC);
        }
    }
    ~TPseudoTerminal() {
        if (terminal_ >= 0) {
            ::close(terminal_);
        }
        if (master_ >= 0) {
            ::close(master_);
        }
    }
    bool Ok() const { return master_ >= 0 && terminal_ >= 0; }
    bool Echoes() const {
        termios t{};
        return ::tcgetattr(terminal_, &t) == 0 && (t.c_lflag & ECHO) != 0;
    }
    // Reads what the child writes until text has appeared; false when the child falls silent.
    bool WaitFor(const std::string& text) {
        std::string seen;
        while (seen.find(text) == std::string::npos) {
            pollfd p = {master_, POLLIN, 0};
            if (::poll(&p, 1, 20000) <= 0) { // a guard against a hang, not a measurement
                return false;
            }
            char buffer[256];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) {
                return false;
            }
            seen.append(buffer, static_cast<size_t>(n));
        }
        return true;
    }
    void Type(const std::string& text) const {
        ASSERT_EQ(::write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    // Runs the prompt in a child whose standard input and error are the terminal.
    pid_t StartPrompt() const {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const rlimit noCore = {0, 0}; // SIGQUIT would leave a core file
            ::setrlimit(RLIMIT_CORE, &noCore);
            ::dup2(terminal_, STDIN_FILENO);
            ::dup2(terminal_, STDERR_FILENO);
            const auto answer = AskPasswordOnTerminal("Password: ");
            ::_exit(answer && *answer == "secret" ? 0 : 3);
        }
        return pid;
    }

private:
    int master_ = -1;
    int terminal_ = -1;
};

int WaitForChild(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// Waits for the prompt; a child that never shows it is ended, so no test leaves one behind.
bool PromptShown(TPseudoTerminal& pty, pid_t child) {
    if (pty.WaitFor("Password: ")) {
        return true;
    }
    ::kill(child, SIGKILL);
    WaitForChild(child);
    return false;
}

TEST(TerminalPrompt, EchoIsOffWhileAskingAndBackAfterTheAnswer) {
    TPseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    ASSERT_TRUE(pty.Echoes());
    const pid_t child = pty.StartPrompt();
    ASSERT_GT(child, 0);
    ASSERT_TRUE(PromptShown(pty, child));
    EXPECT_FALSE(pty.Echoes());
    pty.Type("secret\n");
    const int status = WaitForChild(child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(pty.Echoes());
}

TEST(TerminalPrompt, ASignalAtThePromptGivesTheEchoBack) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(signal);
        TPseudoTerminal pty;
        ASSERT_TRUE(pty.Ok());
        const pid_t child = pty.StartPrompt();
        ASSERT_GT(child, 0);
        ASSERT_TRUE(PromptShown(pty, child));
        EXPECT_FALSE(pty.Echoes());
        ::kill(child, signal);
        const int status = WaitForChild(child);
        // The signal still ends the program, as it would have without the prompt.
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_TRUE(pty.Echoes());
    }
}

} // namespace
