// File-system services with the toolkit's attribute model mapped onto Linux: hidden = a name
// starting with "."; directory = lstat says so, so a link to a directory is never walked and
// link loops cannot arise; regular files carry the archive attribute until it is cleared.
#include "platform/base/files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

// A cleared archive attribute is kept as an extended attribute holding the file's modification
// time and size at the moment it was cleared. A later write changes either, and the file counts
// as archive-flagged again, as it would on the toolkit's own file system.
constexpr const char* kArchivedXattr = "user.foliobuilder.archived";

std::string WriteStamp(const struct stat& st) {
    return std::to_string(static_cast<long long>(st.st_mtim.tv_sec)) + "." +
           std::to_string(static_cast<long long>(st.st_mtim.tv_nsec)) + ":" +
           std::to_string(static_cast<long long>(st.st_size));
}

bool ArchiveFlagSet(const std::string& path, const struct stat& st) {
    char buf[96];
    const ssize_t n = ::getxattr(path.c_str(), kArchivedXattr, buf, sizeof buf);
    if (n <= 0)
        return true;
    return std::string(buf, static_cast<size_t>(n)) != WriteStamp(st);
}

bool IsDotOrDotDot(const std::string& name) {
    return name == "." || name == "..";
}

// Fills a search record for the entry at path (its own lstat already in lst).
void Describe(const std::string& path, const std::string& name, const struct stat& lst,
              TSearchRec& rec) {
    rec.Name = name;
    rec.Attr = 0;
    rec.Size = 0;
    rec.Time = PackedLocalTime(lst.st_mtime);
    if (!name.empty() && name[0] == '.' && !IsDotOrDotDot(name))
        rec.Attr |= faHidden;
    if (S_ISDIR(lst.st_mode)) {
        rec.Attr |= faDirectory;
        return;
    }
    struct stat st = lst;
    // A link to a regular file stands for that file; any other link is an attribute-less
    // entry that is never descended.
    if (S_ISLNK(lst.st_mode) && ::stat(path.c_str(), &st) != 0)
        return;
    if (!S_ISREG(st.st_mode))
        return;
    rec.Size = st.st_size;
    rec.Time = PackedLocalTime(st.st_mtime);
    if ((st.st_mode & S_IWUSR) == 0)
        rec.Attr |= faReadOnly;
    if (ArchiveFlagSet(path, st))
        rec.Attr |= faArchive;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty())
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

} // namespace

int32_t PackedLocalTime(time_t t) {
    struct tm tm {};
    if (localtime_r(&t, &tm) == nullptr)
        return -1;
    return PackDosDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                           tm.tm_sec);
}

std::vector<TSearchRec> FindFiles(const std::string& dir, int32_t attrFilter) {
    std::vector<TSearchRec> out;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr)
        return out;
    const int32_t special = faHidden | faSysFile | faVolumeID;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        const std::string path = JoinPath(dir, name);
        struct stat lst;
        if (::lstat(path.c_str(), &lst) != 0)
            continue; // removed while we looked
        TSearchRec rec;
        Describe(path, name, lst, rec);
        if ((rec.Attr & special & ~attrFilter) != 0)
            continue;
        out.push_back(std::move(rec));
    }
    ::closedir(d);
    return out;
}

int32_t PackDosDateTime(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1980 || year > 2107 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 61)
        return -1;
    if (second > 59)
        second = 59; // a leap second still fits the two-second grid
    const uint32_t date = (static_cast<uint32_t>(year - 1980) << 9) |
                          (static_cast<uint32_t>(month) << 5) | static_cast<uint32_t>(day);
    const uint32_t time = (static_cast<uint32_t>(hour) << 11) |
                          (static_cast<uint32_t>(minute) << 5) | static_cast<uint32_t>(second / 2);
    return static_cast<int32_t>((date << 16) | time);
}

int32_t FileAge(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return -1;
    return PackedLocalTime(st.st_mtime);
}

int32_t FileGetAttr(const std::string& path) {
    struct stat lst;
    if (path.empty() || ::lstat(path.c_str(), &lst) != 0)
        return -1;
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    TSearchRec rec;
    Describe(path, ExtractFileName(trimmed), lst, rec);
    return rec.Attr;
}

bool FileSetAttr(const std::string& path, int32_t attr) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return false;
    if (S_ISREG(st.st_mode)) {
        const mode_t writable = S_IWUSR;
        mode_t mode = st.st_mode & 07777;
        if ((attr & faReadOnly) != 0)
            mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
        else if ((mode & writable) == 0)
            mode |= writable;
        if (mode != (st.st_mode & 07777) && ::chmod(path.c_str(), mode) != 0)
            return false;
        // Where extended attributes are not available the flag simply stays set.
        if ((attr & faArchive) != 0) {
            ::removexattr(path.c_str(), kArchivedXattr);
        } else {
            const std::string stamp = WriteStamp(st);
            if (::setxattr(path.c_str(), kArchivedXattr, stamp.data(), stamp.size(), 0) != 0 &&
                errno == EACCES && (mode & S_IWUSR) == 0 &&
                ::chmod(path.c_str(), mode | S_IWUSR) == 0) {
                // User attributes need write access; a read-only file gets it only meanwhile.
                ::setxattr(path.c_str(), kArchivedXattr, stamp.data(), stamp.size(), 0);
                ::chmod(path.c_str(), mode);
            }
        }
    }
    return true;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
    // The toolkit's rename never replaces an existing file.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0)
        return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

int64_t FileSizeOf(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return -1;
    return st.st_size;
}

bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    const int src = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (src < 0)
        return false;
    struct stat st;
    if (::fstat(src, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(src);
        return false;
    }
    struct stat existing;
    if (failIfExists && ::lstat(to.c_str(), &existing) == 0) {
        ::close(src);
        return false;
    }
    // The copy is built under a hidden name beside the target and renamed over it only when
    // complete, so a failure never leaves a partial target (nor destroys the old one).
    std::string tmpl = ExtractFilePath(to) + "." + ExtractFileName(to) + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int dst = ::mkostemp(name.data(), O_CLOEXEC);
    if (dst < 0) {
        ::close(src);
        return false;
    }
    const std::string tmp(name.data());
    bool ok = true;
    std::vector<char> buf(256 * 1024);
    for (;;) {
        const ssize_t n = ::read(src, buf.data(), buf.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        ssize_t done = 0;
        while (done < n) {
            const ssize_t w = ::write(dst, buf.data() + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                ok = false;
                break;
            }
            done += w;
        }
        if (!ok)
            break;
    }
    if (ok) {
        // The copy keeps the source's permissions and last write time, as the toolkit's does.
        ::fchmod(dst, st.st_mode & 07777);
        const timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(dst, times);
    }
    ::close(src);
    if (::close(dst) != 0)
        ok = false;
    if (ok) {
        if (failIfExists)
            ok = ::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
        else
            ok = ::rename(tmp.c_str(), to.c_str()) == 0;
    }
    if (!ok)
        ::unlink(tmp.c_str());
    return ok;
}

std::string TempFileName(const std::string& dir, const std::string& prefix) {
    std::string base = dir;
    if (base.empty()) {
        const char* env = std::getenv("TMPDIR");
        base = (env != nullptr && *env != '\0') ? env : "/tmp";
    }
    const std::string tmpl = IncludeTrailingPathDelimiter(base) + prefix + "XXXXXX.tmp";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkostemps(name.data(), 4, O_CLOEXEC);
    if (fd < 0)
        return std::string();
    ::close(fd);
    return std::string(name.data());
}

std::string RealPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return std::string();
    std::string out(resolved);
    std::free(resolved);
    return out;
}

std::string ProgramPath() {
    std::vector<char> buf(256);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0)
            return std::string();
        if (static_cast<size_t>(n) < buf.size())
            return std::string(buf.data(), static_cast<size_t>(n));
        buf.resize(buf.size() * 2);
    }
}

std::string ProgramDir() {
    return ExtractFilePath(ProgramPath());
}

std::string ExtractFileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtractFilePath(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExtractFileDir(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

namespace {
// Index of the extension's "." within path, or npos when the file name has none.
size_t ExtensionDot(const std::string& path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string::npos;
    return dot;
}
} // namespace

std::string ExtractFileExt(const std::string& path) {
    const size_t dot = ExtensionDot(path);
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    const size_t dot = ExtensionDot(path);
    return (dot == std::string::npos ? path : path.substr(0, dot)) + ext;
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && path.back() == '/')
        return path;
    return path + "/";
}
