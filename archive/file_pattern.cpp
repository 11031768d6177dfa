#include "archive/file_pattern.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/files.h"
#include "platform/base/strings.h"

namespace {

bool HasWildcard(const std::string& s) {
    return s.find_first_of("*?") != std::string::npos;
}

bool MatchFrom(const char* p, const char* n) {
    // Iterative glob with one back-tracking point: linear enough for file names.
    const char* star = nullptr;
    const char* starName = nullptr;
    while (*n) {
        if (*p == '?' || (*p && *p != '*' && AsciiLower(*p) == AsciiLower(*n))) {
            ++p;
            ++n;
        } else if (*p == '*') {
            star = p++;
            starName = n;
        } else if (star) {
            p = star + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (*p == '*')
        ++p;
    return *p == 0;
}

// Cuts a trailing " /s" (any case) from entry; true when it was there.
bool CutRecursion(std::string& entry) {
    std::string t = TrimRight(entry);
    if (t.size() >= 3 && AsciiLower(t.back()) == 's' && t[t.size() - 2] == '/' &&
        static_cast<unsigned char>(t[t.size() - 3]) <= ' ') {
        entry = Trim(t.substr(0, t.size() - 2));
        return true;
    }
    return false;
}

} // namespace

bool MatchFileSpec(const std::string& pattern, const std::string& name) {
    if (pattern == "*.*" || pattern == "*")
        return true;
    return MatchFrom(pattern.c_str(), name.c_str());
}

std::string ExpandFileName(const std::string& path) {
    std::string full = path;
    if (full.empty() || full[0] != '/') {
        char buf[4096];
        std::string cwd = getcwd(buf, sizeof buf) ? buf : "/";
        full = IncludeTrailingPathDelimiter(cwd) + full;
    }
    // Split on "/" keeping empty pieces; the first piece is the empty one before the root.
    std::vector<std::string> parts;
    size_t start = 1;
    for (;;) {
        const size_t slash = full.find('/', start);
        std::string piece = full.substr(start, slash == std::string::npos ? slash : slash - start);
        if (piece == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (piece != ".") {
            parts.push_back(std::move(piece));
        }
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    std::string out;
    for (const auto& p : parts) {
        out.push_back('/');
        out.append(p);
    }
    if (out.empty())
        out.push_back('/');
    // A trailing "." or ".." piece names a directory: keep the trailing separator.
    if (full.size() > 1 && (full.ends_with("/.") || full.ends_with("/..")) && !out.ends_with("/"))
        out += "/";
    return out;
}

void TFileSpecExpander::Expand(const std::string& entryIn) {
    std::string entry = entryIn;
    const bool recursive = CutRecursion(entry);
    entry = Trim(entry);
    if (entry.empty())
        return;
    const std::string full = ExpandFileName(entry);
    const std::string dir = ExtractFilePath(full);
    const std::string pattern = ExtractFileName(full);
    if (pattern.empty())
        return;

    // A plain name that exists as given needs no directory scan (the builder hands over long
    // lists of plain paths, and one stat tells all the run needs of each); otherwise scan,
    // matching ignoring case as the original file system did.
    if (!HasWildcard(pattern) && pattern != "." && pattern != "..") {
        struct stat st {};
        if (::stat(full.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) {
                // A link to a folder is never walked (walks must not loop).
                struct stat lst {};
                if (recursive && ::lstat(full.c_str(), &lst) == 0 && S_ISDIR(lst.st_mode))
                    Expand(full + "/" + pattern + " /s");
            } else {
                Add(full, st);
            }
            return;
        }
        struct stat lst {};
        if (::lstat(full.c_str(), &lst) == 0) {
            AddMissing(full); // a dangling link
            return;
        }
    }
    for (const TSearchRec& rec : FindFiles(dir, faAnyFile)) {
        if (rec.Name == "." || rec.Name == ".." || !MatchFileSpec(pattern, rec.Name))
            continue;
        if (rec.Attr & faDirectory) {
            if (recursive)
                Expand(ExpandFileName(dir + rec.Name + "/" + pattern) + " /s");
        } else {
            struct stat st {};
            if (::stat((dir + rec.Name).c_str(), &st) == 0)
                Add(dir + rec.Name, st);
            else
                AddMissing(dir + rec.Name);
        }
    }
}

void TFileSpecExpander::Add(const std::string& path, const struct stat& st) {
    // Only regular files (or links to them): opening a named pipe or a device would block or
    // never end.
    if (!S_ISREG(st.st_mode))
        return;
    const TSourceStat identity = TSourceStat::Of(st);
    if (options_.Target && identity.SameFile(*options_.Target))
        return;
    std::string lower = LowerCase(path);
    if (seen_.count(lower) || lower == options_.ArchiveLower)
        return;
    if (options_.OnlyArchiveFlag) {
        const int32_t attr = FileGetAttr(path);
        if (attr < 0 || !(attr & faArchive))
            return;
    }
    seen_.insert(lower);
    files_.push_back({path, Trim(lower), identity, true});
}

void TFileSpecExpander::AddMissing(const std::string& path) {
    // Listed, so counted in the header like a file that vanishes before it is packed, but
    // nothing to pack; incremental runs take only what carries the archive attribute.
    std::string lower = LowerCase(path);
    if (options_.OnlyArchiveFlag || seen_.count(lower) || lower == options_.ArchiveLower)
        return;
    seen_.insert(lower);
    files_.push_back({path, Trim(lower), {}, false});
}
