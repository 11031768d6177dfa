#pragma once
// What both the reader program and the builder's command line do with a book: list its
// members, write them out, and check the password before either.
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "bookreader/password_store.h"
#include "bookreader/site_book.h"

// Asks for a password (the prompt is given); nothing when no answer can be had.
using TAskPassword = std::function<std::optional<std::string>(const std::string& prompt)>;

// Reads one line from standard input, with echo off when it is a terminal; the prompt goes to
// standard error.
std::optional<std::string> AskPasswordOnTerminal(const std::string& prompt);

// True when the book has no password, when store (may be null) remembers a correct answer for
// it, or when ask gives the right one; a correct answer is then remembered in store. Reports
// a wrong or missing answer on err.
bool CheckBookPassword(const TSiteBook& book, const TPasswordStore* store, const TAskPassword& ask,
                       std::FILE* err);

// One line per served member: its size, its date and its name. Raises EArchiveError when a
// member is damaged.
void ListBook(const TSiteBook& book, std::FILE* out);

// True for a name that can be written inside a directory and stays there: not empty, not "."
// or "..", without "/", "\" or a zero byte.
bool IsSafeMemberFileName(const std::string& name);

// Writes every served member into dir (created when missing) under its served name, all in
// that one directory, with its date. Refuses unsafe names and never writes through a link.
// Returns the number of files written; reports problems on err and returns -1 on the first
// failure (the partial file is removed).
int ExtractBook(const TSiteBook& book, const std::string& dir, std::FILE* err);
