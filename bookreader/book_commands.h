#pragma once
// What both the reader program and the builder's command line do with a book: list its
// members, write them out, and check the password before either.
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "bookreader/password_store.h"
#include "bookreader/site_book.h"
#include "bookreader/terminal_prompt.h"

// Asks for a password (the prompt is given); nothing when no answer can be had.
using TAskPassword = std::function<std::optional<std::string>(const std::string& prompt)>;

// True when the book has no password, when store (may be null) remembers a correct answer for
// it, or when ask gives the right one; a correct answer is then remembered in store. Reports
// a wrong or missing answer on err.
bool CheckBookPassword(const TSiteBook& book, const TPasswordStore* store, const TAskPassword& ask,
                       std::FILE* err);

// The password kept in a file for scripts: its first line, without its line end. Nothing, and
// reason set, when the file cannot be read or its first line is empty.
std::optional<std::string> ReadPasswordFile(const std::string& path, std::string& reason);

// One line per served member: its size, its date and its name. Sizes come from the block
// tables, so no member is decompressed beyond its last block. A member whose size cannot be
// read is listed with "?"; after the whole list, EArchiveError names every such member.
void ListBook(const TSiteBook& book, std::FILE* out);

// True for a name that can be written inside a directory and stays there: not empty, not "."
// or "..", without "/" or a zero byte (a backslash is an ordinary character of a file name).
bool IsSafeMemberFileName(const std::string& name);

// What an extraction did.
struct TExtraction {
    int Written = 0;
    int Failed = 0; // members that could not be read or written, each named on err
    bool NoDirectory = false;
};

// Writes every served member into dir (created when missing) under its served name, all in
// that one directory, with its date. Each file is written under a new name in dir and then
// renamed over its own name, so whatever lay there before (a file, a link, a hard link to a file
// elsewhere) is replaced, never written through; a member that fails leaves nothing behind.
// Unsafe names are refused. A damaged member does not stop the others; every one that fails is
// named on err with the reason.
TExtraction ExtractBookFiles(const TSiteBook& book, const std::string& dir, std::FILE* err);

// ExtractBookFiles, for callers that want a count: the number of files written, or -1 when any
// member failed (after writing all the others and saying on err how many were written).
int ExtractBook(const TSiteBook& book, const std::string& dir, std::FILE* err);
