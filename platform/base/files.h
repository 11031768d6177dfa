#pragma once
// File-system services: enumeration with attributes, file times, copy, temporary names, paths.
// "/" separates path pieces; names are UTF-8 bytes compared ignoring ASCII case only.
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// Attribute bits as the toolkit's enumeration reports them. On Linux: hidden = the name starts
// with "."; directory = lstat says so (a link to a directory is not one, so walks never loop);
// regular files carry faArchive; read-only when the owner lacks write permission; there is no
// system or volume attribute.
enum : int32_t {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
    faAnyFile = 0x3F,
};

struct TSearchRec {
    std::string Name; // entry name only
    int32_t Attr = 0;
    int64_t Size = 0;
    int32_t Time = -1; // packed DOS date and time of the last write, local time
};

// Entries of a directory in the order the file system returns them ("." and ".." included, as
// FindFirst returns them). Entries with hidden or system bits are returned only when asked for
// in attrFilter; every other entry is returned. A directory that cannot be read gives none.
// A symbolic link to a regular file is reported as that file (its size, time and attributes);
// any other link (to a directory, dangling, or a loop) carries no attribute bits.
std::vector<TSearchRec> FindFiles(const std::string& dir, int32_t attrFilter);

// Packed DOS date and time: bits 25-31 year-1980, 21-24 month, 16-20 day, 11-15 hour,
// 5-10 minute, 0-4 seconds/2. Times outside 1980-2107 give -1.
int32_t PackDosDateTime(int year, int month, int day, int hour, int minute, int second);
// The packed DOS date and time of t in local time; -1 outside 1980 to 2107.
int32_t PackedLocalTime(time_t t);
// Last write time of a file as packed DOS date and time in local time; -1 when unreadable.
int32_t FileAge(const std::string& path);
// Attribute bits of a path as FindFiles would report them; -1 when it does not exist.
int32_t FileGetAttr(const std::string& path);
// Sets or clears faArchive / faReadOnly where the host can express them (the archive bit is
// kept in an extended attribute when the file system allows; failure is ignored). Clearing
// it records the file's modification time and size; once either changes the file counts as
// archive-flagged again, as a write sets the flag on the toolkit's own file system.
bool FileSetAttr(const std::string& path, int32_t attr);

bool FileExists(const std::string& path); // an existing non-directory
bool DirectoryExists(const std::string& path);
bool DeleteFile(const std::string& path);
bool RenameFile(const std::string& from, const std::string& to); // never replaces a target
int64_t FileSizeOf(const std::string& path);                     // -1 when it cannot be read
// Copies a whole file, replacing the target (when failIfExists is false). False on any
// failure, including a short copy; a failed copy leaves no partial target behind. The copy
// keeps the source's permission bits and last write time.
bool CopyFile(const std::string& from, const std::string& to, bool failIfExists = false);
// A new, unused file name in dir starting with prefix; the file is created empty so the name
// stays reserved. Empty string on failure.
std::string TempFileName(const std::string& dir, const std::string& prefix);
// Resolves links and relative pieces; empty when the path does not exist.
std::string RealPath(const std::string& path);

// The running program's own file (from /proc/self/exe) and its directory with a trailing "/".
std::string ProgramPath();
std::string ProgramDir();

// Path pieces, "/" being the separator.
std::string ExtractFileName(const std::string& path); // after the last "/"
std::string ExtractFilePath(const std::string& path); // up to and including the last "/"
std::string ExtractFileDir(const std::string& path);  // up to the last "/", without it
std::string ExtractFileExt(const std::string& path);  // from the last "." of the name, with it
std::string ChangeFileExt(const std::string& path, const std::string& ext);
std::string IncludeTrailingPathDelimiter(const std::string& path);
