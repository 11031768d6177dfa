#include "bookreader/reader_app.h"

#include <memory>
#include <optional>

#include "bookreader/book_search.h"
#include "platform/base/files.h"
#include "platform/base/option_parser.h"
#include "platform/base/prefixed_stream.h"
#include "platform/base/printable_name.h"

#ifndef FOLIO_VERSION
#define FOLIO_VERSION "unknown"
#endif

namespace {

const char* const kUsage = "Usage: %s [PAGE]\n"
                           "       %s --list\n"
                           "       %s --extract DIR\n"
                           "       %s --search WORDS\n"
                           "       %s --help | --version\n"
                           "A FolioBuilder site book: shows its pages, lists its files, writes\n"
                           "them all into one directory or names the pages that hold a word or\n"
                           "a phrase. A book with a password asks for it on its first run and\n"
                           "then remembers that it was answered. For --list, --extract and\n"
                           "--search the password may instead come from --password-file FILE\n"
                           "(its first line) or the environment variable FOLIO_PASSWORD, since\n"
                           "arguments are visible to other users.\n";

void PrintUsage(std::FILE* to, const std::string& program) {
    const char* p = program.c_str();
    std::fprintf(to, kUsage, p, p, p, p, p);
}

// What the command line asks for. One more option is one more field here and one more line in
// DeclareOptions.
struct TReaderOptions {
    bool List = false;
    bool Extract = false;
    std::string ExtractDir;
    bool Version = false;
    bool Search = false;
    std::string SearchWords;  // UTF-8
    std::string Page;         // the page to open first; empty: the home page
    std::string PasswordFile; // --password-file: the password is its first line
};

void DeclareOptions(TOptionParser& p, TReaderOptions& o) {
    p.Flag("--list", "list the book's files: size, date and name", [&o] { o.List = true; });
    p.Value("--extract", "DIR", "write the book's files into DIR",
            [&o](const std::string& dir) -> TOptionParser::TRefusal {
                if (dir.empty()) {
                    return "needs a directory";
                }
                o.Extract = true;
                o.ExtractDir = dir;
                return std::nullopt;
            });
    p.Value("--search", "WORDS", "print the pages that hold a word or phrase, with context",
            [&o](const std::string& words) -> TOptionParser::TRefusal {
                o.Search = true;
                o.SearchWords = words;
                return std::nullopt;
            });
    p.Value("--password-file", "FILE",
            "with --list, --extract or --search: the password is the first line of FILE",
            [&o](const std::string& file) -> TOptionParser::TRefusal {
                if (file.empty()) {
                    return "needs a file";
                }
                o.PasswordFile = file;
                return std::nullopt;
            });
    p.Flag("--version", "show the reader's version and exit", [&o] { o.Version = true; });
}

// Takes the operands (at most one page) and checks what goes together; a problem or nothing.
std::optional<std::string> CheckOptions(const TOptionParser& p, TReaderOptions& o) {
    if (p.Operands().size() > 1) {
        return "more than one page: " + PrintableName(p.Operands()[1]);
    }
    if (!p.Operands().empty()) {
        o.Page = p.Operands()[0];
    }
    if (int(o.List) + int(o.Extract) + int(o.Search) > 1) {
        return "give one of --list, --extract and --search";
    }
    if (!o.PasswordFile.empty() && !o.List && !o.Extract && !o.Search) {
        // The window asks in a dialog of its own and remembers the answer.
        return "--password-file goes with --list, --extract or --search";
    }
    if ((o.List || o.Extract || o.Search) && !o.Page.empty()) {
        return "a page is opened only when the book is shown, not with --list, --extract or "
               "--search";
    }
    return std::nullopt;
}

} // namespace

int RunBookReader(const std::vector<std::string>& args, const TReaderEnvironment& env) {
    // The book's own name, as the user called it (escaped: a file name may hold anything).
    const std::string program = PrintableName(ExtractFileName(env.SelfPath));
    TReaderOptions options;
    TOptionParser parser;
    DeclareOptions(parser, options);
    std::optional<std::string> problem;
    if (!parser.Parse(args)) {
        problem = parser.Problem();
    } else if (parser.HelpAsked()) {
        PrintUsage(env.Out, program);
        std::fprintf(env.Out, "Options:\n%s", parser.Table().c_str());
        return kReaderOk;
    } else if (options.Version) {
        std::fprintf(env.Out, "Folio3.bin (FolioBuilder site book reader) %s\n", FOLIO_VERSION);
        return kReaderOk;
    } else {
        problem = CheckOptions(parser, options);
    }
    if (problem) {
        std::fprintf(env.Err, "%s: %s\nTry '%s --help' for more.\n", program.c_str(),
                     problem->c_str(), program.c_str());
        return kReaderUsage;
    }
    const bool list = options.List;
    const bool extract = options.Extract;
    const std::string& extractDir = options.ExtractDir;
    const std::string& page = options.Page;

    std::unique_ptr<TSiteBook> book;
    try {
        book = std::make_unique<TSiteBook>(env.SelfPath);
    } catch (const ENotABook&) {
        std::fprintf(env.Err,
                     "%s carries no site book: it is the reader template of FolioBuilder.\n"
                     "Build a book with: foliobuilder build SRC --home PAGE -o BOOK\n",
                     program.c_str());
        return kReaderNoArchive;
    } catch (const EDamagedBook& e) {
        // The message says what is lost and what is left; what is left can be listed and saved,
        // but a book with holes is not shown as if it were whole.
        std::fprintf(env.Err, "%s: %s\n", program.c_str(), e.what());
        if (!list && !extract) {
            return kReaderFailed;
        }
        try {
            book = std::make_unique<TSiteBook>(env.SelfPath, boSalvage);
        } catch (const Exception&) {
            return kReaderFailed;
        }
    } catch (const Exception& e) {
        std::fprintf(env.Err, "%s: the book is damaged: %s\n", program.c_str(), e.what());
        return kReaderFailed;
    }

    // Showing pages in the window, which asks for the password in a dialog of its own. Every
    // other mode (each new option too) must leave this false, or it would skip the password.
    const bool window = !list && !extract && !options.Search && env.ShowBook;
    // The shared book commands print bare sentences; on this program's terminal they begin
    // with its name, as every other message here does.
    TPrefixedStream err(env.Err, program + ": ");
    const TPasswordStore store(env.PasswordFile, env.PasswordIterations);
    // A password given beforehand answers instead of the terminal: a script has none to type
    // at. A wrong one fails as a wrong answer typed would.
    TAskPassword ask = env.AskPassword;
    if (!window && book->HasPassword()) {
        std::optional<std::string> given;
        if (!options.PasswordFile.empty()) {
            std::string reason;
            given = ReadPasswordFile(options.PasswordFile, reason);
            if (!given) {
                std::fprintf(env.Err, "%s: %s\n", program.c_str(), reason.c_str());
                return kReaderFailed;
            }
        } else if (env.GetEnv) {
            if (const char* fromEnv = env.GetEnv("FOLIO_PASSWORD"); fromEnv && *fromEnv) {
                given = std::string(fromEnv);
            }
        }
        if (given) {
            ask = [given](const std::string&) { return given; };
        }
    }
    if (!window &&
        !CheckBookPassword(*book, env.PasswordFile.empty() ? nullptr : &store, ask, err.File())) {
        return kReaderFailed;
    }
    std::fflush(err.File());

    if (options.Search) {
        return PrintBookSearch(*book, options.SearchWords, env.Out, env.Err, env.SearchCacheDir);
    }
    try {
        if (list) {
            ListBook(*book, env.Out);
            return book->Damaged() ? kReaderFailed : kReaderOk;
        }
        if (extract) {
            const TExtraction done = ExtractBookFiles(*book, extractDir, err.File());
            std::fflush(err.File());
            if (done.NoDirectory) {
                return kReaderFailed;
            }
            std::fprintf(env.Err, "%d files written to %s\n", done.Written, extractDir.c_str());
            if (done.Failed > 0) {
                std::fprintf(env.Err, "%s: %d %s not be saved (named above)\n", program.c_str(),
                             done.Failed, done.Failed == 1 ? "file could" : "files could");
            }
            return done.Failed > 0 || book->Damaged() ? kReaderFailed : kReaderOk;
        }
    } catch (const Exception& e) {
        std::fprintf(env.Err, "%s: the book is damaged: %s\n", program.c_str(), e.what());
        return kReaderFailed;
    }

    const std::string first = page.empty() ? book->HomePageName() : page;
    if (book->Find(first) < 0) {
        std::fprintf(env.Err, "%s: the book has no page \"%s\"\n", program.c_str(), first.c_str());
        return kReaderFailed;
    }
    // Only a page the user named is passed on: without one the window opens where the reader
    // left the book last time, and only then at the home page.
    if (window)
        return env.ShowBook(*book, page);
    std::fprintf(env.Err,
                 "%s: \"%s\" opens at %s, but its pages need a display to be shown (is DISPLAY "
                 "set?).\n"
                 "Use --list to see the book's files or --extract DIR to write them out.\n",
                 program.c_str(), book->Config().Caption.c_str(), first.c_str());
    return kReaderNoViewer;
}
