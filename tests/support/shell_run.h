#pragma once
// Running a shell command from a test and keeping what it printed, for tests that look at the
// programs from outside as a user's shell does.
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace folio_test {

struct TShellRun {
    int Status = -1;    // the exit status; -1 when it could not run or ended on a signal
    std::string Output; // standard output and error together
};

inline TShellRun RunShell(const std::string& command) {
    TShellRun r;
    std::FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (p == nullptr)
        return r;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        r.Output.append(buf, n);
    const int st = ::pclose(p);
    r.Status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

// A word the shell passes through untouched, whatever it holds.
inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

} // namespace folio_test
