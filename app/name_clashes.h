#pragma once
// A book serves all its files as if they lay in one directory, so two files whose names are
// equal ignoring case (in different folders, or differing only in capitals) cannot both be
// reached. This finds them so the builder can warn before packing.
#include <string>
#include <vector>

#include "platform/base/string_list.h"

// Groups of distinct paths (the same path given twice is one file) whose file names are equal
// ignoring case, each group in list order, groups ordered by their first member.
std::vector<std::vector<std::string>> FindNameClashes(const TStringList& files);

// The warning text for the groups, or empty when there are none.
std::string NameClashWarning(const std::vector<std::vector<std::string>>& clashes);
