#pragma once
// Asking for a password on the terminal without showing it.
#include <optional>
#include <string>

// Reads one line from standard input, with echo off when it is a terminal; the prompt goes to
// standard error. Interrupted (SIGINT, SIGTERM, SIGHUP, SIGQUIT) while echo is off, it gives the
// terminal its echo back before the signal takes its course. Nothing at the end of input.
std::optional<std::string> AskPasswordOnTerminal(const std::string& prompt);
