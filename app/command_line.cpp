#include "app/command_line.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>

#include "app/book_config_file.h"
#include "app/command_line_dialogs.h"
#include "app/folio_builder.h"
#include "app/homepage_picker.h"
#include "app/progress_bar.h"
#include "app/render_command.h"
#include "bookreader/book_commands.h"
#include "platform/base/files.h"
#include "platform/base/interrupt_cleanup.h"
#include "platform/base/option_parser.h"
#include "platform/base/prefixed_stream.h"
#include "platform/base/printable_name.h"

#ifndef FOLIO_VERSION
#define FOLIO_VERSION "unknown"
#endif

namespace {

// Groups of clashing names the build lists before "and N more"; --verbose lists them all.
constexpr size_t kClashGroupsShown = 5;

struct TBuildOptions {
    std::string Source, Home, Output, Icon, PasswordFile;
    std::optional<std::string> Title, Password;
    TCompressionLevel Level = clFastest; // the builder's stored default
    bool Force = false;
    bool Verbose = false;
};

// Absolute, with "." and ".." pieces resolved and no trailing "/" (except the root itself).
std::string AbsolutePath(const std::string& path) {
    std::string p = std::filesystem::absolute(path).lexically_normal().string();
    while (p.size() > 1 && p.back() == '/') {
        p.pop_back();
    }
    return p;
}

int Fail(const TCommandLineEnvironment& env, const std::string& problem) {
    std::fprintf(env.Err, "foliobuilder: %s\n", problem.c_str());
    return kExitFailed;
}

const char* const kBuildUsage =
    "Usage: foliobuilder build SRC --home PAGE -o BOOK [OPTIONS]\n"
    "Packs every page, style sheet, image and sound below SRC (.htm .html .txt .css .bmp\n"
    ".gif .jpg .jpeg .png .wav .mid .mp3) into BOOK, a program that shows them, opening at\n"
    "PAGE (a file below SRC, given relative to SRC or as a path). The password may also come\n"
    "from the environment variable FOLIO_PASSWORD, since arguments are visible to other\n"
    "users.\n";

void DeclareBuildOptions(TOptionParser& p, TBuildOptions& o, bool& passwordGiven) {
    p.Value("--home", "PAGE", "the page the book opens at", o.Home);
    p.Value("-o, --output", "BOOK", "the book to write", o.Output);
    p.Value("--title", "TEXT", "the book's window title", [&o](const std::string& v) {
        o.Title = v;
        return TOptionParser::TRefusal();
    });
    p.Value("--password", "TEXT", "the password the book asks for", [&](const std::string& v) {
        o.Password = v;
        passwordGiven = true;
        return TOptionParser::TRefusal();
    });
    p.Value("--password-file", "FILE", "the password: the first line of FILE", o.PasswordFile);
    p.Value("--icon", "FILE", "an icon to pack with the book", o.Icon);
    p.Choice("--level", {"fastest", "normal", "max"}, "how hard to compress (default fastest)",
             [&o](size_t i) {
                 static const TCompressionLevel kLevels[] = {clFastest, clDefault, clMax};
                 o.Level = kLevels[i];
             });
    p.Flag("--force", "replace BOOK when it exists", [&o] { o.Force = true; });
    p.Flag("-v, --verbose", "list every clashing file name", [&o] { o.Verbose = true; });
}

// Checks what the options cannot check one by one; returns a problem or nothing.
std::optional<std::string> CheckBuild(const TBuildOptions& o, bool passwordGiven) {
    if (passwordGiven && !o.PasswordFile.empty()) {
        return "give either --password or --password-file, not both";
    }
    if (o.Source.empty()) {
        return "build needs a source directory";
    }
    if (o.Home.empty()) {
        return "build needs --home PAGE";
    }
    if (o.Output.empty()) {
        return "build needs -o BOOK";
    }
    return std::nullopt;
}

int RunBuild(const std::vector<std::string>& args, const TCommandLineEnvironment& env) {
    TBuildOptions o;
    bool passwordGiven = false;
    TOptionParser parser;
    DeclareBuildOptions(parser, o, passwordGiven);
    if (const auto status = ParseSubcommand(parser, args, "build", kBuildUsage, env)) {
        return *status;
    }
    if (parser.Operands().size() > 1) {
        return CommandLineProblem(
            env, "build", "more than one source directory: " + PrintableName(parser.Operands()[1]));
    }
    if (!parser.Operands().empty()) {
        o.Source = parser.Operands()[0];
    }
    if (const auto problem = CheckBuild(o, passwordGiven)) {
        return CommandLineProblem(env, "build", *problem);
    }
    if (!o.PasswordFile.empty()) {
        std::string reason;
        o.Password = ReadPasswordFile(o.PasswordFile, reason);
        if (!o.Password) {
            return Fail(env, reason);
        }
    } else if (!o.Password && env.GetEnv) {
        if (const char* fromEnv = env.GetEnv("FOLIO_PASSWORD"); fromEnv && *fromEnv) {
            o.Password = std::string(fromEnv);
        }
    }
    // Checked before any command runs: the title and password commands would refuse such a
    // value and go on with the old one, building a book without the title or the password.
    if (const auto problem =
            BookConfigProblem("", o.Title.value_or(""), o.Password.value_or(""), "")) {
        return Fail(env, *problem);
    }
    if (!DirectoryExists(o.Source)) {
        return Fail(env, "the source directory " + PrintableName(o.Source) + " does not exist");
    }

    TCommandLineDialogs dialogs;
    dialogs.SourceDir = AbsolutePath(o.Source);
    dialogs.Target = AbsolutePath(o.Output);
    dialogs.Title = o.Title;
    dialogs.Password = o.Password;
    dialogs.Force = o.Force;
    dialogs.WarningsTo = env.Err;
    if (!o.Icon.empty()) {
        if (!FileExists(o.Icon)) {
            return Fail(env, "the icon file " + PrintableName(o.Icon) + " does not exist");
        }
        dialogs.Icon = AbsolutePath(o.Icon);
    }
    TDialogProviderScope scope(dialogs);
    // Ctrl-C or a TERM signal must not leave half a book (or the configuration) behind.
    InstallInterruptCleanup();

    TFixedHomePagePicker picker("");
    TFolioBuilder builder(env.BuilderDir, env.SettingsDir, picker);
    builder.CreateLevel = o.Level;
    builder.NameClashGroupsShown =
        o.Verbose ? std::numeric_limits<size_t>::max() : kClashGroupsShown;
    builder.NameClashMoreHint = " (--verbose lists them all)";
    TProgressBar progress(env.Err);
    dialogs.OnBeforeWarning = [&progress] { progress.Clear(); };
    builder.BackupFile1.OnProgress = [&progress](TObject*, const std::string& file,
                                                 TPercentage percent,
                                                 bool&) { progress.Update(file, percent); };

    builder.seldirClick();
    if (builder.FileList.Count() == 0) {
        return Fail(env, "no files to pack in " + PrintableName(dialogs.SourceDir) +
                             " (a book takes .htm .html .txt .css .bmp .gif .jpg .jpeg .png "
                             ".wav .mid .mp3 files)");
    }
    // --home names a file of the source tree, relative to it or to the current directory.
    std::string home;
    for (const std::string& candidate : {dialogs.SourceDir + "/" + o.Home, AbsolutePath(o.Home)}) {
        // Spelled as the walk spells it, the page is found without resolving every path.
        for (int i = 0; home.empty() && i < builder.FileList.Count(); ++i) {
            if (builder.FileList[i] == candidate) {
                home = builder.FileList[i];
            }
        }
        const std::string resolved = home.empty() ? RealPath(candidate) : std::string();
        for (int i = 0; home.empty() && !resolved.empty() && i < builder.FileList.Count(); ++i) {
            if (RealPath(builder.FileList[i]) == resolved) {
                home = builder.FileList[i];
            }
        }
    }
    if (home.empty()) {
        return Fail(env, "the home page " + PrintableName(o.Home) +
                             " is not among the files collected from " +
                             PrintableName(dialogs.SourceDir));
    }
    // The page is named already; the picker (which lists pages only) is not asked.
    builder.HomePage = home;
    builder.btntitleclick();
    builder.btnpwclick();
    builder.btniconclick();
    const TCreateOutcome outcome = builder.Create1Click();
    progress.Clear();

    const bool created = outcome == TCreateOutcome::coCreated;
    for (const std::string& message : dialogs.Messages()) {
        if (created) {
            std::fprintf(env.Out, "%s\n", message.c_str());
        } else {
            Fail(env, message);
        }
    }
    if (created) {
        return builder.BackupFile1.ChangedFiles().empty() ? kExitOk : kExitFilesChanged;
    }
    if (outcome == TCreateOutcome::coNotOverwritten) {
        return Fail(env, PrintableName(dialogs.Target) + " already exists; give --force to " +
                             "overwrite it");
    }
    if (dialogs.Messages().empty()) {
        return Fail(env, "the book was not created");
    }
    return kExitFailed;
}

// Opens BOOK for list and extract, with the password check; nothing after reporting. The
// reader's own messages go to messages, which puts the program's name in front.
std::unique_ptr<TSiteBook> OpenBook(const std::string& path, const TCommandLineEnvironment& env,
                                    std::FILE* messages) {
    std::unique_ptr<TSiteBook> book;
    const std::string shown = PrintableName(path);
    try {
        book = std::make_unique<TSiteBook>(path);
    } catch (const ENotABook&) {
        Fail(env, shown + " is not a site book (it carries no book archive)");
        return nullptr;
    } catch (const EDamagedBook& e) {
        // Names the book, says what is damaged and what can still be saved.
        Fail(env, e.Message());
        return nullptr;
    } catch (const EArchiveError& e) {
        Fail(env, shown + " is damaged: " + e.Message());
        return nullptr;
    } catch (const Exception& e) {
        Fail(env, e.Message());
        return nullptr;
    }
    TAskPassword ask = AskPasswordOnTerminal;
    if (env.GetEnv) {
        if (const char* fromEnv = env.GetEnv("FOLIO_PASSWORD"); fromEnv && *fromEnv) {
            const std::string password = fromEnv;
            ask = [password](const std::string&) { return std::optional<std::string>(password); };
        }
    }
    if (!CheckBookPassword(*book, nullptr, ask, messages)) {
        return nullptr;
    }
    return book;
}

int RunList(const std::vector<std::string>& args, const TCommandLineEnvironment& env) {
    TOptionParser parser;
    if (const auto status = ParseSubcommand(parser, args, "list",
                                            "Usage: foliobuilder list BOOK\n"
                                            "Lists the files BOOK holds: size, date and name.\n",
                                            env)) {
        return *status;
    }
    if (parser.Operands().size() != 1) {
        return CommandLineProblem(env, "list", "list needs exactly one book");
    }
    const std::string& path = parser.Operands()[0];
    TPrefixedStream messages(env.Err, "foliobuilder: ");
    const auto book = OpenBook(path, env, messages.File());
    if (!book) {
        return kExitFailed;
    }
    try {
        ListBook(*book, env.Out);
    } catch (const Exception& e) {
        return Fail(env, PrintableName(path) + " is damaged: " + e.Message());
    }
    return kExitOk;
}

int RunExtract(const std::vector<std::string>& args, const TCommandLineEnvironment& env) {
    TOptionParser parser;
    if (const auto status =
            ParseSubcommand(parser, args, "extract",
                            "Usage: foliobuilder extract BOOK DIR\n"
                            "Writes the files BOOK holds into DIR (created when missing), all in\n"
                            "that one directory, as the book serves them.\n",
                            env)) {
        return *status;
    }
    if (parser.Operands().size() != 2) {
        return CommandLineProblem(env, "extract", "extract needs a book and a directory");
    }
    TPrefixedStream messages(env.Err, "foliobuilder: ");
    const auto book = OpenBook(parser.Operands()[0], env, messages.File());
    if (!book) {
        return kExitFailed;
    }
    const std::string& dir = parser.Operands()[1];
    const int count = ExtractBook(*book, dir, messages.File());
    if (count < 0) {
        return kExitFailed;
    }
    std::fprintf(env.Out, "%d files written to %s\n", count, PrintableName(dir).c_str());
    return kExitOk;
}

} // namespace

// A command line that cannot be run: what is wrong, and where the help is.
int CommandLineProblem(const TCommandLineEnvironment& env, const std::string& command,
                       const std::string& problem) {
    std::fprintf(env.Err, "foliobuilder: %s\nTry 'foliobuilder %s--help' for more.\n",
                 problem.c_str(), command.empty() ? "" : (command + " ").c_str());
    return kExitUsage;
}

// Parses a subcommand's arguments. Returns an exit status when the command ends here (its
// help was asked for, or the command line is wrong), nothing when it goes on.
std::optional<int> ParseSubcommand(TOptionParser& parser, const std::vector<std::string>& args,
                                   const std::string& command, const std::string& usage,
                                   const TCommandLineEnvironment& env) {
    if (!parser.Parse(args, 1)) {
        return CommandLineProblem(env, command, parser.Problem());
    }
    if (parser.HelpAsked()) {
        std::fprintf(env.Out, "%sOptions:\n%s", usage.c_str(), parser.Table().c_str());
        return kExitOk;
    }
    return std::nullopt;
}

void PrintFolioBuilderUsage(std::FILE* to) {
    std::fprintf(to,
                 "Usage: foliobuilder build SRC --home PAGE -o BOOK [--title T] [--password P |\n"
                 "                          --password-file F] [--icon ICO] [--level L] [--force]\n"
                 "       foliobuilder list BOOK\n"
                 "       foliobuilder extract BOOK DIR\n"
                 "       foliobuilder render PAGE -o OUT.png [--width N] [--height N] [--dump]\n"
                 "       foliobuilder --help | --version\n"
                 "build packs every page, style sheet, image and sound below SRC into BOOK, a\n"
                 "program that shows them, opening at PAGE (a file below SRC).\n"
                 "list and extract show and unpack a book; render draws a page as a PNG file.\n"
                 "'foliobuilder COMMAND --help' describes each command and its options.\n");
}

int RunFolioBuilderCommandLine(const std::vector<std::string>& args,
                               const TCommandLineEnvironment& env) {
    if (args.empty()) {
        std::fprintf(env.Err, "foliobuilder: the builder's window needs a display (is DISPLAY "
                              "set?); without one, use the commands below.\n");
        PrintFolioBuilderUsage(env.Err);
        return kExitUsage;
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        PrintFolioBuilderUsage(env.Out);
        return kExitOk;
    }
    if (command == "--version") {
        std::fprintf(env.Out, "foliobuilder %s\n", FOLIO_VERSION);
        return kExitOk;
    }
    if (command == "build") {
        return RunBuild(args, env);
    }
    if (command == "list") {
        return RunList(args, env);
    }
    if (command == "extract") {
        return RunExtract(args, env);
    }
    if (command == "render") {
        return RunRenderCommand(args, env);
    }
    return CommandLineProblem(
        env, "",
        (command.size() > 1 && command[0] == '-' ? "unknown option " : "unknown command ") +
            PrintableName(command));
}
