#include "app/file_collection.h"

#include "platform/base/files.h"
#include "platform/base/strings.h"

bool IsPackableFile(const std::string& name) {
    static const char* const kExtensions[] = {".htm", ".html", ".txt", ".css", ".bmp",
                                              ".gif", ".jpg",  ".wav", ".mid", ".mp3"};
    const std::string ext = LowerCase(ExtractFileExt(name));
    for (const char* known : kExtensions) {
        if (ext == known) {
            return true;
        }
    }
    return false;
}

void CollectFiles(const std::string& dir, TStringList& files) {
    // Pieces are joined with exactly one separator whatever dir ends in, so the root "/" gives
    // "//name", as the enumeration pattern would have it.
    for (const TSearchRec& entry : FindFiles(dir, faArchive | faDirectory)) {
        if (entry.Name == "." || entry.Name == "..") {
            continue;
        }
        const std::string path = dir + "/" + entry.Name;
        // Only a plain directory is walked; one carrying another attribute bit counts as a
        // file, which its name will almost never let through the filter.
        if (entry.Attr == faDirectory) {
            CollectFiles(path, files);
        } else if (IsPackableFile(entry.Name)) {
            files.Add(path);
        }
    }
}
