#include "app/file_collection.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <vector>

#include "platform/base/files.h"
#include "platform/base/strings.h"

namespace {

struct TEntry {
    std::string Name;
    bool Directory;
};

// The entries of dir in the order the file system lists them, hidden ones (a leading ".")
// left out. The entry's type comes with the listing on most file systems, so a walk over
// thousands of pages asks nothing per file; only where the type is not given is it looked up.
// A link is never a directory here, so walks cannot loop.
std::vector<TEntry> ListDirectory(const std::string& dir) {
    std::vector<TEntry> out;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr) {
        return out;
    }
    while (const dirent* e = ::readdir(d)) {
        if (e->d_name[0] == '.') {
            continue; // hidden, and "." and ".."
        }
        bool directory = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN) {
            struct stat lst {};
            if (::fstatat(::dirfd(d), e->d_name, &lst, AT_SYMLINK_NOFOLLOW) != 0) {
                continue; // removed while we looked
            }
            directory = S_ISDIR(lst.st_mode);
        }
        out.push_back({e->d_name, directory});
    }
    ::closedir(d);
    return out;
}

} // namespace

bool IsPackableFile(const std::string& name) {
    // Pictures in every form the pages' viewer shows: a book that left out ".png" or ".jpeg"
    // files would show its pages without their pictures.
    static const char* const kExtensions[] = {".htm", ".html", ".txt", ".css", ".bmp", ".gif",
                                              ".jpg", ".jpeg", ".png", ".wav", ".mid", ".mp3"};
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
    // "//name", as the enumeration pattern would have it. The directory is read whole and
    // closed before the walk goes down, so a deep tree holds one directory open at a time.
    for (const TEntry& entry : ListDirectory(dir)) {
        const std::string path = dir + "/" + entry.Name;
        if (entry.Directory) {
            CollectFiles(path, files);
        } else if (IsPackableFile(entry.Name)) {
            // Whatever else it is (a link, a pipe) is settled by the packer's one look at it.
            files.Add(path);
        }
    }
}
