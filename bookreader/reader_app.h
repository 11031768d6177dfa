#pragma once
// The reader program's command line: a site book is this program with its pages appended, so
// the book to read is the program's own file.
//
//   Folio3.bin [PAGE]            show the book (from PAGE when given)
//   Folio3.bin --list            list the book's files
//   (--list, --extract and --search take the password from --password-file FILE or the
//   environment variable FOLIO_PASSWORD when given, else ask on the terminal)
//   Folio3.bin --extract DIR     write the book's files into DIR, all in that one directory
//   Folio3.bin --help | --version
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bookreader/book_commands.h"

struct TReaderEnvironment {
    std::string SelfPath;       // the book: the running program's own file
    std::string PasswordFile;   // the reader's settings file; empty: remember nothing
    std::string SearchCacheDir; // where --search keeps the book's index; empty: nowhere
    TAskPassword AskPassword;   // how to ask for the password
    // Reads the environment (FOLIO_PASSWORD); unset, the environment is not consulted.
    std::function<const char*(const char* name)> GetEnv;
    unsigned PasswordIterations = TPasswordStore::kIterations; // cost of a remembered hash
    std::FILE* Out = stdout;
    std::FILE* Err = stderr;
    // Shows the book's pages in a window from page (already checked to be in the book; empty
    // when the command line named none, so the window picks the last page shown or the home
    // page) and answers the exit status; it asks for the password itself. Unset (no display, tests)
    // the reader says it cannot show pages here.
    std::function<int(const TSiteBook& book, const std::string& page)> ShowBook;
};

// Exit statuses.
enum : int {
    kReaderOk = 0,
    kReaderFailed = 1,    // a damaged book, a wrong password, a failed extraction
    kReaderUsage = 2,     // a bad command line
    kReaderNoArchive = 3, // the bare template: no book appended
    kReaderNoViewer = 4,  // showing pages needs a display, and there is none
};

int RunBookReader(const std::vector<std::string>& args, const TReaderEnvironment& env);
