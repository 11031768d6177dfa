#include "bookreader/terminal_prompt.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>

namespace {

// The signals that end a program at a prompt; each one must leave the terminal as it was.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];

// What a signal handler needs; set before the handlers are installed, read only by them.
termios gSavedTerminal;
struct sigaction gPreviousActions[kSignalCount];

void RestoreTerminalAndResend(int signal) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &gSavedTerminal);
    // The program's own disposition of the signal takes over again, then the signal is sent
    // again: the default ends the program as the user asked, with the status a shell expects.
    for (int i = 0; i < kSignalCount; ++i) {
        if (kEndingSignals[i] == signal) {
            ::sigaction(signal, &gPreviousActions[i], nullptr);
        }
    }
    ::raise(signal);
}

// Turns echo off for its lifetime, and back on when it ends or an ending signal arrives.
class TQuietTerminal {
public:
    TQuietTerminal() {
        if (!::isatty(STDIN_FILENO) || ::tcgetattr(STDIN_FILENO, &gSavedTerminal) != 0) {
            return;
        }
        struct sigaction action = {};
        action.sa_handler = RestoreTerminalAndResend;
        sigfillset(&action.sa_mask);
        for (int i = 0; i < kSignalCount; ++i) {
            ::sigaction(kEndingSignals[i], &action, &gPreviousActions[i]);
        }
        termios quiet = gSavedTerminal;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        active_ = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
        if (!active_) {
            RestoreHandlers();
        }
    }
    ~TQuietTerminal() {
        if (active_) {
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &gSavedTerminal);
            RestoreHandlers();
            std::fprintf(stderr, "\n"); // the Enter that ended the line was not echoed
        }
    }
    TQuietTerminal(const TQuietTerminal&) = delete;
    TQuietTerminal& operator=(const TQuietTerminal&) = delete;

private:
    static void RestoreHandlers() {
        for (int i = 0; i < kSignalCount; ++i) {
            ::sigaction(kEndingSignals[i], &gPreviousActions[i], nullptr);
        }
    }
    bool active_ = false;
};

} // namespace

std::optional<std::string> AskPasswordOnTerminal(const std::string& prompt) {
    std::string line;
    bool got = false;
    {
        // Echo is off before the prompt shows, so nothing typed after it appears.
        const TQuietTerminal quiet;
        std::fprintf(stderr, "%s", prompt.c_str());
        std::fflush(stderr);
        got = static_cast<bool>(std::getline(std::cin, line));
    }
    if (!got) {
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}
