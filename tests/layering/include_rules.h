#pragma once
// The one-way dependency table of the libraries, as the includes of their sources must obey
// it. Paths are relative to the repository root ("html/doc/block.cpp").
#include <set>
#include <string>
#include <vector>

namespace folio_layering {

struct TViolation {
    std::string File;    // the including file
    int Line = 0;        // 1-based
    std::string Include; // as written, with its brackets or quotes
    std::string Rule;    // why it is not allowed
};

// The libraries lib may use besides itself (every library of the table for the programs' folders);
// empty for a folder that is no library.
const std::set<std::string>& UsesOf(const std::string& lib);

// The library a path belongs to ("platform/gui", "html/doc", "app"...), or "" when the path
// lies in no library of the table.
std::string LibraryOf(const std::string& path);

// Checks every #include line of one file's text. The file's own folder resolves bare names
// when `exists` says the file is there (the compiler finds it beside the includer first).
std::vector<TViolation> CheckIncludes(const std::string& file, const std::string& text,
                                      bool (*exists)(const std::string& path) = nullptr);

// "file:line: #include "x" breaks: rule" for a failure message.
std::string Describe(const TViolation& v);

} // namespace folio_layering
