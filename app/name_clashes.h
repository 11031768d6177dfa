#pragma once
// A book serves all its files as if they lay in one directory, so two files whose names are
// equal ignoring case (in different folders, or differing only in capitals) cannot both be
// reached. This finds them, and which one the book will serve, so the builder can say so before
// packing. A file's name is what follows its last "/": a backslash is an ordinary character.
#include <string>
#include <vector>

#include "platform/base/string_list.h"

// One name shared by several distinct files (the same path given twice is one file).
struct TNameClash {
    std::string Served;                // the file the book shows under the name
    std::vector<std::string> Shadowed; // the others, in list order
};

// The clashes among files, given in the order they are packed, ordered by their first member.
// A file of `preferred` (the chosen home page, the icon) is served whatever the order, and
// shadows the others of its name. Otherwise the book serves what the reader finds last, of the
// files the archive takes: of paths that differ only in capitals it takes the first.
std::vector<TNameClash> FindNameClashes(const TStringList& files,
                                        const std::vector<std::string>& preferred = {});

// The warning text for the clashes, or empty when there are none: how many names clash, then
// the first `shown` clashes one a line, each naming the shadowed files and the file that
// shadows them; the rest are counted, followed by moreHint (how to see them all, when the
// caller has a way).
std::string NameClashWarning(const std::vector<TNameClash>& clashes, size_t shown,
                             const std::string& moreHint = "");
