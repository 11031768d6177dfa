#pragma once
// foliobuilder's command line: building, listing and extracting books without the window.
//
//   foliobuilder build SRC --home PAGE [--title T] [--password P | --password-file F]
//                [--icon ICO] [--level fastest|normal|max] -o BOOK [--force] [--verbose]
//   foliobuilder list BOOK
//   foliobuilder extract BOOK DIR
//   foliobuilder render PAGE -o OUT.png [--width N] [--dump]
//   foliobuilder --help | --version
// Every command answers --help; "--" ends the options.
//
// build runs the window's own commands (directory, homepage, title, password, icon, create)
// with the options as the answers to their dialogs, so a book built here is the book the
// window would build. The password may also come from the environment variable
// FOLIO_PASSWORD, since arguments are visible to other users.
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct TCommandLineEnvironment {
    std::string BuilderDir;                         // where Folio3.bin lies, with a trailing "/"
    std::string SettingsDir;                        // the settings directory, with a trailing "/"
    std::function<const char*(const char*)> GetEnv; // the process environment
    std::FILE* Out = stdout;
    std::FILE* Err = stderr;
};

// Exit statuses.
enum : int {
    kExitOk = 0,
    kExitFailed = 1,
    kExitUsage = 2,
    kExitFilesChanged = 3, // the book was made, but files changed while they were packed
};

// args excludes the program name. No arguments is for the window, which main opens when there
// is a display; here it prints a note and the usage and returns kExitUsage.
int RunFolioBuilderCommandLine(const std::vector<std::string>& args,
                               const TCommandLineEnvironment& env);

void PrintFolioBuilderUsage(std::FILE* to);

class TOptionParser;

// A command line that cannot be run: prints what is wrong and where the help is, and returns
// kExitUsage. command is the subcommand ("build"), empty for the program itself.
int CommandLineProblem(const TCommandLineEnvironment& env, const std::string& command,
                       const std::string& problem);

// Parses a subcommand's arguments (args[0] being the subcommand). Returns an exit status when
// the command ends here: its help was asked for (usage, then the option table, to standard
// output) or the command line is wrong. Nothing when the command goes on.
std::optional<int> ParseSubcommand(TOptionParser& parser, const std::vector<std::string>& args,
                                   const std::string& command, const std::string& usage,
                                   const TCommandLineEnvironment& env);
