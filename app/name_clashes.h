#pragma once
// A book serves all its files as if they lay in one directory, so two files whose names are
// equal ignoring case (in different folders, or differing only in capitals) cannot both be
// reached; of names in one folder that differ only in capitals the archive even packs just the
// first. This finds them so the builder can warn before packing.
#include <string>
#include <vector>

#include "platform/base/string_list.h"

// Groups of distinct files (the same path given twice is one file) whose file names are equal
// ignoring case, each group in list order, groups ordered by their first member.
std::vector<std::vector<std::string>> FindNameClashes(const TStringList& files);

// The warning text for the groups, or empty when there are none: how many names clash, then
// the first `shown` groups one a line; the rest are counted, followed by moreHint (how to see
// them all, when the caller has a way).
std::string NameClashWarning(const std::vector<std::vector<std::string>>& clashes, size_t shown,
                             const std::string& moreHint = "");
