#include "bookreader/reader_app.h"

#include <memory>

#include "bookreader/book_search.h"
#include "platform/base/files.h"

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
                           "then remembers that it was answered.\n";

void PrintUsage(std::FILE* to, const std::string& program) {
    const char* p = program.c_str();
    std::fprintf(to, kUsage, p, p, p, p, p);
}

} // namespace

int RunBookReader(const std::vector<std::string>& args, const TReaderEnvironment& env) {
    const std::string program = ExtractFileName(env.SelfPath);
    bool list = false;
    std::string extractDir;
    bool extract = false;
    bool search = false;
    std::string searchWords; // UTF-8
    std::string page;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            PrintUsage(env.Out, program);
            return kReaderOk;
        }
        if (a == "--version") {
            std::fprintf(env.Out, "Folio3.bin (FolioBuilder site book reader) %s\n", FOLIO_VERSION);
            return kReaderOk;
        }
        if (a == "--list") {
            list = true;
        } else if (a == "--extract" && i + 1 < args.size()) {
            extract = true;
            extractDir = args[++i];
        } else if (a.rfind("--extract=", 0) == 0 && a.size() > 10) {
            extract = true;
            extractDir = a.substr(10);
        } else if (a == "--search" && i + 1 < args.size()) {
            search = true;
            searchWords = args[++i];
        } else if (a.rfind("--search=", 0) == 0) {
            search = true;
            searchWords = a.substr(9);
        } else if (!a.empty() && a[0] != '-' && page.empty()) {
            page = a;
        } else {
            std::fprintf(env.Err, "%s: unknown or incomplete argument \"%s\"\n", program.c_str(),
                         a.c_str());
            PrintUsage(env.Err, program);
            return kReaderUsage;
        }
    }
    if (int(list) + int(extract) + int(search) > 1 ||
        ((list || extract || search) && !page.empty())) {
        PrintUsage(env.Err, program);
        return kReaderUsage;
    }

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
    const bool window = !list && !extract && !search && env.ShowBook;
    const TPasswordStore store(env.PasswordFile, env.PasswordIterations);
    if (!window && !CheckBookPassword(*book, env.PasswordFile.empty() ? nullptr : &store,
                                      env.AskPassword, env.Err)) {
        return kReaderFailed;
    }

    if (search) {
        return PrintBookSearch(*book, searchWords, env.Out, env.Err);
    }
    try {
        if (list) {
            ListBook(*book, env.Out);
            return book->Damaged() ? kReaderFailed : kReaderOk;
        }
        if (extract) {
            const TExtraction done = ExtractBookFiles(*book, extractDir, env.Err);
            if (done.NoDirectory) {
                return kReaderFailed;
            }
            std::fprintf(env.Err, "%d files written to %s\n", done.Written, extractDir.c_str());
            if (done.Failed > 0) {
                std::fprintf(env.Err, "%s: %d %s not be written (named above)\n", program.c_str(),
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
    if (window)
        return env.ShowBook(*book, first);
    std::fprintf(env.Err,
                 "%s: \"%s\" opens at %s, but its pages need a display to be shown (is DISPLAY "
                 "set?).\n"
                 "Use --list to see the book's files or --extract DIR to write them out.\n",
                 program.c_str(), book->Config().Caption.c_str(), first.c_str());
    return kReaderNoViewer;
}
