#include "app/file_collection.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/base/files.h"
#include "platform/base/printable_name.h"
#include "platform/base/strings.h"

namespace {

struct TEntry {
    std::string Name;
    unsigned char Type; // DT_* as the listing gives it, or as lstat found it
};

unsigned char TypeOfMode(mode_t mode) {
    if (S_ISDIR(mode))
        return DT_DIR;
    if (S_ISREG(mode))
        return DT_REG;
    if (S_ISLNK(mode))
        return DT_LNK;
    if (S_ISFIFO(mode))
        return DT_FIFO;
    if (S_ISSOCK(mode))
        return DT_SOCK;
    if (S_ISCHR(mode))
        return DT_CHR;
    if (S_ISBLK(mode))
        return DT_BLK;
    return DT_UNKNOWN;
}

// The entries of dir in the order the file system lists them, hidden ones (a leading ".")
// left out. The entry's type comes with the listing on most file systems, so a walk over
// thousands of pages asks nothing per plain file; only where the type is not given is it
// looked up.
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
        unsigned char type = e->d_type;
        if (type == DT_UNKNOWN) {
            struct stat lst {};
            if (::fstatat(::dirfd(d), e->d_name, &lst, AT_SYMLINK_NOFOLLOW) != 0) {
                continue; // removed while we looked
            }
            type = TypeOfMode(lst.st_mode);
        }
        out.push_back({e->d_name, type});
    }
    ::closedir(d);
    return out;
}

// Files of the kernel's virtual file systems report sizes that are not their contents (most
// say 0 bytes) and may hold the private state of whoever reads them: never packed.
bool OnVirtualFileSystem(const std::string& path) {
    struct statfs fs {};
    if (::statfs(path.c_str(), &fs) != 0) {
        return false;
    }
    switch (static_cast<unsigned long>(fs.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEVPTS_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

const char* SpecialKind(unsigned char type) {
    switch (type) {
    case DT_FIFO:
        return "a named pipe";
    case DT_SOCK:
        return "a socket";
    case DT_CHR:
    case DT_BLK:
        return "a device";
    default:
        return "not a regular file";
    }
}

bool Inside(const std::string& path, const std::string& root) {
    if (root == "/") {
        return true;
    }
    return path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
           path[root.size()] == '/';
}

class TCollector {
public:
    TCollector(TStringList& files, TCollectionNotes* notes, std::string root)
        : files_(files), notes_(notes), root_(std::move(root)) {}

    void Walk(const std::string& dir) {
        // Pieces are joined with exactly one separator whatever dir ends in, so the root "/"
        // gives "//name", as the enumeration pattern would have it. The directory is read
        // whole and closed before the walk goes down, so a deep tree holds one directory open
        // at a time.
        for (const TEntry& entry : ListDirectory(dir)) {
            const std::string path = dir + "/" + entry.Name;
            switch (entry.Type) {
            case DT_DIR:
                Walk(path);
                break;
            case DT_REG:
                if (IsPackableFile(entry.Name)) {
                    files_.Add(path);
                }
                break;
            case DT_LNK:
                Link(path, entry.Name);
                break;
            default:
                if (IsPackableFile(entry.Name)) {
                    Skip(path, SpecialKind(entry.Type));
                }
                break;
            }
        }
    }

private:
    // A link is followed to see what it is, never walked: a link to a folder could loop.
    void Link(const std::string& path, const std::string& name) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            const int err = errno;
            if (!IsPackableFile(name)) {
                return;
            }
            if (err == ENOENT || err == ENOTDIR) {
                Skip(path, "a dangling link");
            } else if (err == ELOOP) {
                Skip(path, "a link that leads back to itself");
            } else {
                Skip(path,
                     std::string("a link that cannot be followed (") + std::strerror(err) + ")");
            }
            return;
        }
        if (S_ISDIR(st.st_mode)) {
            Skip(path, "a link to a folder, which is never walked");
            return;
        }
        if (!IsPackableFile(name)) {
            return;
        }
        if (!S_ISREG(st.st_mode)) {
            Skip(path, std::string("a link to ") + SpecialKind(TypeOfMode(st.st_mode)));
            return;
        }
        const std::string target = RealPath(path);
        if (target.empty()) {
            Skip(path, "a link that cannot be followed");
            return;
        }
        if (OnVirtualFileSystem(target)) {
            Skip(path, "a link to a file of the system, " + PrintableName(target));
            return;
        }
        files_.Add(path);
        if (notes_ && !root_.empty() && !Inside(target, root_)) {
            notes_->Outside.push_back({path, target});
        }
    }

    void Skip(const std::string& path, const std::string& why) {
        if (notes_) {
            notes_->Skipped.push_back({path, why});
        }
    }

    TStringList& files_;
    TCollectionNotes* notes_;
    std::string root_;
};

void AppendNotes(std::string& text, const std::vector<TCollectionNotes::TNote>& notes,
                 const std::string& heading, const char* joiner, bool detailIsPath, size_t shown,
                 const std::string& moreHint) {
    if (notes.empty()) {
        return;
    }
    if (!text.empty()) {
        text += "\n";
    }
    text += heading;
    const size_t count = std::min(shown, notes.size());
    for (size_t i = 0; i < count; ++i) {
        text += "\n  " + PrintableName(notes[i].Path) + joiner;
        // Reasons are ours; link targets come from the file system and are shown escaped.
        text += detailIsPath ? PrintableName(notes[i].Detail) : notes[i].Detail;
    }
    if (count < notes.size()) {
        text +=
            "\n  and " + IntToStr(static_cast<int64_t>(notes.size() - count)) + " more" + moreHint;
    }
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

void CollectFiles(const std::string& dir, TStringList& files, TCollectionNotes* notes) {
    // Links are judged against the folder as the file system resolves it, so a source reached
    // through a link of its own still holds its own files.
    TCollector collector(files, notes, notes ? RealPath(dir.empty() ? "." : dir) : std::string());
    collector.Walk(dir);
}

std::string CollectionSummary(const TCollectionNotes& notes, size_t shown,
                              const std::string& moreHint) {
    std::string text;
    const auto count = [](size_t n, const char* one, const char* many) {
        return IntToStr(static_cast<int64_t>(n)) + (n == 1 ? one : many);
    };
    AppendNotes(text, notes.Skipped,
                count(notes.Skipped.size(), " entry was", " entries were") +
                    " skipped: a book takes regular files only, and never follows a link to a "
                    "folder:",
                ": ", false, shown, moreHint);
    AppendNotes(text, notes.Outside,
                count(notes.Outside.size(), " file comes", " files come") +
                    " from outside the chosen folder through a link, and goes into the book:",
                " -> ", true, shown, moreHint);
    return text;
}
