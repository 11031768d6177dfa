#pragma once
// Which files a site book takes, and the walk that gathers them from a source directory.
#include <string>
#include <vector>

#include "platform/base/string_list.h"

// True for the twelve kinds of file a book can show or play: .htm .html .txt .css .bmp .gif
// .jpg .jpeg .png .wav .mid .mp3, judged on the name's last extension ignoring case.
bool IsPackableFile(const std::string& name);

// What a walk left out, and what it took from elsewhere, so that the build can say so: a book
// must not lose a page without a word, nor carry a file its author never meant to share.
struct TCollectionNotes {
    struct TNote {
        std::string Path;
        std::string Detail; // why it was skipped, or where the link leads
    };
    // Named pipes, sockets, devices, links to them, dangling links, links that lead to
    // themselves, links to folders (never walked) and files of the system's virtual file
    // systems (/proc and the like, whose sizes lie).
    std::vector<TNote> Skipped;
    // Files taken through a link that leads out of the chosen folder.
    std::vector<TNote> Outside;

    bool Empty() const { return Skipped.empty() && Outside.empty(); }
    void Clear() {
        Skipped.clear();
        Outside.clear();
    }
};

// Appends every packable file below dir (given without a trailing separator) to files, depth
// first in the order the file system lists the entries: a subdirectory's files land where the
// walk met the subdirectory. Hidden entries are skipped, links to directories are never
// descended, and a directory that cannot be read adds nothing. Only regular files (or links to
// them) are taken; with notes, what was skipped and what comes from outside dir is noted.
void CollectFiles(const std::string& dir, TStringList& files, TCollectionNotes* notes = nullptr);

// The summary of notes for the user, or empty when there is nothing to say: the first `shown`
// entries of each kind, one a line, the rest counted and followed by moreHint.
std::string CollectionSummary(const TCollectionNotes& notes, size_t shown,
                              const std::string& moreHint = "");
