#include "app/command_line.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "app/command_line_dialogs.h"
#include "app/folio_builder.h"
#include "app/homepage_picker.h"
#include "app/option_reader.h"
#include "app/progress_bar.h"
#include "app/render_command.h"
#include "bookreader/book_commands.h"
#include "platform/base/files.h"

#ifndef FOLIO_VERSION
#define FOLIO_VERSION "unknown"
#endif

namespace {

struct TBuildOptions {
    std::string Source, Home, Output, Icon, PasswordFile;
    std::optional<std::string> Title, Password;
    bool Force = false;
};

// Absolute, with "." and ".." pieces resolved and no trailing "/" (except the root itself).
std::string AbsolutePath(const std::string& path) {
    std::string p = std::filesystem::absolute(path).lexically_normal().string();
    while (p.size() > 1 && p.back() == '/') {
        p.pop_back();
    }
    return p;
}

int Usage(const TCommandLineEnvironment& env, const std::string& problem) {
    std::fprintf(env.Err, "foliobuilder: %s\n", problem.c_str());
    PrintFolioBuilderUsage(env.Err);
    return kExitUsage;
}

int Fail(const TCommandLineEnvironment& env, const std::string& problem) {
    std::fprintf(env.Err, "foliobuilder: %s\n", problem.c_str());
    return kExitFailed;
}

// Parses the options after "build"; returns a usage problem or nothing.
std::optional<std::string> ParseBuild(const std::vector<std::string>& args, TBuildOptions& o) {
    bool passwordGiven = false;
    TOptionReader r(args);
    while (r.Next()) {
        const std::string& a = r.Name();
        std::string v;
        if (a == "--home") {
            if (!r.Value(o.Home)) {
                return "--home needs a page";
            }
        } else if (a == "--title") {
            if (!r.Value(v)) {
                return "--title needs a text";
            }
            o.Title = v;
        } else if (a == "--password") {
            if (!r.Value(v)) {
                return "--password needs a text";
            }
            o.Password = v;
            passwordGiven = true;
        } else if (a == "--password-file") {
            if (!r.Value(o.PasswordFile)) {
                return "--password-file needs a file";
            }
        } else if (a == "--icon") {
            if (!r.Value(o.Icon)) {
                return "--icon needs a file";
            }
        } else if (a == "-o" || a == "--output") {
            if (!r.Value(o.Output)) {
                return "-o needs the book's file name";
            }
        } else if (a == "--force" && !r.HasInlineValue()) {
            o.Force = true;
        } else if (!a.empty() && a[0] == '-') {
            return "unknown option " + r.Raw();
        } else if (o.Source.empty()) {
            o.Source = a;
        } else {
            return "more than one source directory: " + a;
        }
    }
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

// The first line of a file, without its line end.
std::optional<std::string> ReadFirstLine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

int RunBuild(const std::vector<std::string>& args, const TCommandLineEnvironment& env) {
    TBuildOptions o;
    if (const auto problem = ParseBuild(args, o)) {
        return Usage(env, *problem);
    }
    if (!o.PasswordFile.empty()) {
        o.Password = ReadFirstLine(o.PasswordFile);
        if (!o.Password) {
            return Fail(env, "cannot read the password file " + o.PasswordFile);
        }
    } else if (!o.Password && env.GetEnv) {
        if (const char* fromEnv = env.GetEnv("FOLIO_PASSWORD"); fromEnv && *fromEnv) {
            o.Password = std::string(fromEnv);
        }
    }
    if (!DirectoryExists(o.Source)) {
        return Fail(env, "the source directory " + o.Source + " does not exist");
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
            return Fail(env, "the icon file " + o.Icon + " does not exist");
        }
        dialogs.Icon = AbsolutePath(o.Icon);
    }
    TDialogProviderScope scope(dialogs);

    TFixedHomePagePicker picker("");
    TFolioBuilder builder(env.BuilderDir, env.SettingsDir, picker);
    TProgressBar progress(env.Err);
    dialogs.OnBeforeWarning = [&progress] { progress.Clear(); };
    builder.BackupFile1.OnProgress = [&progress](TObject*, const std::string& file,
                                                 TPercentage percent,
                                                 bool&) { progress.Update(file, percent); };

    builder.seldirClick();
    if (builder.FileList.Count() == 0) {
        return Fail(env, "no files to pack in " + dialogs.SourceDir +
                             " (a book takes .htm .html .txt .css .bmp .gif .jpg .wav .mid "
                             ".mp3 files)");
    }
    // --home names a file of the source tree, relative to it or to the current directory.
    std::string home;
    for (const std::string& candidate : {dialogs.SourceDir + "/" + o.Home, AbsolutePath(o.Home)}) {
        const std::string resolved = RealPath(candidate);
        for (int i = 0; home.empty() && !resolved.empty() && i < builder.FileList.Count(); ++i) {
            if (RealPath(builder.FileList[i]) == resolved) {
                home = builder.FileList[i];
            }
        }
    }
    if (home.empty()) {
        return Fail(env, "the home page " + o.Home + " is not among the files collected from " +
                             dialogs.SourceDir);
    }
    picker.Choice = home;
    builder.btnhomepageclick();
    builder.btntitleclick();
    builder.btnpwclick();
    builder.btniconclick();
    const TCreateOutcome outcome = builder.Create1Click();
    progress.Clear();

    const bool created = outcome == TCreateOutcome::coCreated;
    for (const std::string& message : dialogs.Messages()) {
        std::fprintf(created ? env.Out : env.Err, "%s\n", message.c_str());
    }
    if (created) {
        return kExitOk;
    }
    if (outcome == TCreateOutcome::coNotOverwritten) {
        return Fail(env, dialogs.Target + " already exists; give --force to overwrite it");
    }
    if (dialogs.Messages().empty()) {
        return Fail(env, "the book was not created");
    }
    return kExitFailed;
}

// Opens BOOK for list and extract, with the password check; nothing after reporting.
std::unique_ptr<TSiteBook> OpenBook(const std::string& path, const TCommandLineEnvironment& env) {
    std::unique_ptr<TSiteBook> book;
    try {
        book = std::make_unique<TSiteBook>(path);
    } catch (const ENotABook&) {
        Fail(env, path + " is not a site book (it carries no book archive)");
        return nullptr;
    } catch (const EArchiveError& e) {
        Fail(env, path + " is damaged: " + e.Message());
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
    if (!CheckBookPassword(*book, nullptr, ask, env.Err)) {
        return nullptr;
    }
    return book;
}

int RunList(const std::vector<std::string>& args, const TCommandLineEnvironment& env) {
    if (args.size() != 2) {
        return Usage(env, "list needs exactly one book");
    }
    const auto book = OpenBook(args[1], env);
    if (!book) {
        return kExitFailed;
    }
    try {
        ListBook(*book, env.Out);
    } catch (const Exception& e) {
        return Fail(env, args[1] + " is damaged: " + e.Message());
    }
    return kExitOk;
}

int RunExtract(const std::vector<std::string>& args, const TCommandLineEnvironment& env) {
    if (args.size() != 3) {
        return Usage(env, "extract needs a book and a directory");
    }
    const auto book = OpenBook(args[1], env);
    if (!book) {
        return kExitFailed;
    }
    const int count = ExtractBook(*book, args[2], env.Err);
    if (count < 0) {
        return kExitFailed;
    }
    std::fprintf(env.Out, "%d files written to %s\n", count, args[2].c_str());
    return kExitOk;
}

} // namespace

void PrintFolioBuilderUsage(std::FILE* to) {
    std::fprintf(to,
                 "Usage: foliobuilder build SRC --home PAGE [--title T] [--password P | "
                 "--password-file F]\n"
                 "                          [--icon ICO] -o BOOK [--force]\n"
                 "       foliobuilder list BOOK\n"
                 "       foliobuilder extract BOOK DIR\n"
                 "       foliobuilder render PAGE -o OUT.png [--width N] [--height N] [--dump]\n"
                 "       foliobuilder --help | --version\n"
                 "build packs every page, style sheet, image and sound below SRC into BOOK, a\n"
                 "program that shows them, opening at PAGE (a file below SRC). The password may\n"
                 "also come from the environment variable FOLIO_PASSWORD.\n"
                 "render lays PAGE (HTML, text or a picture) out at N pixels wide (default 800,\n"
                 "at most 10000) and writes its picture as a PNG file; with --dump it writes the\n"
                 "layout as text instead, to OUT or to standard output. A frame-set PAGE is\n"
                 "drawn whole in a window N pixels high (--height, default 600, at most 4000).\n");
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
    return Usage(env, "unknown command " + command);
}
