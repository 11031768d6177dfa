#pragma once
// Expansion of the file specifications handed to the archive writer into the list of files to
// pack: wildcards in the file-name part, recursion on request, duplicates dropped ignoring case.
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "archive/source_file.h"

struct TExpandedFile {
    std::string Path;   // as found on disk, used to open the file
    std::string Name;   // lower-cased and trimmed: the member name
    TSourceStat Stat;   // the one stat taken of it (links followed)
    bool Exists = true; // false: a dangling link, listed but with nothing to pack
};

struct TExpandOptions {
    bool OnlyArchiveFlag = false;      // incremental: only entries whose archive attribute is set
    std::string ArchiveLower;          // lower-cased absolute archive name, never packed
    std::optional<TSourceStat> Target; // the target file, never packed (compared by identity)
};

class TFileSpecExpander {
public:
    explicit TFileSpecExpander(TExpandOptions options) : options_(std::move(options)) {}
    // Adds the files that one specification names. "/" separates paths; a trailing " /s" asks
    // for recursion into subdirectories whose names match the file-name part.
    void Expand(const std::string& entry);
    std::vector<TExpandedFile>& Files() { return files_; }

private:
    void Add(const std::string& path, const struct stat& st);
    void AddMissing(const std::string& path);

    TExpandOptions options_;
    std::vector<TExpandedFile> files_;
    std::unordered_set<std::string> seen_; // lower-cased paths
};

// Windows-style wildcard match ignoring ASCII case: "*" any run, "?" one character, and "*.*"
// matches every name, with or without a dot.
bool MatchFileSpec(const std::string& pattern, const std::string& name);
// An absolute path: relative paths are taken from the current directory, "." and ".." pieces
// are resolved; empty pieces (as in "//name") are kept.
std::string ExpandFileName(const std::string& path);
