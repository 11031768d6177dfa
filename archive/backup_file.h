#pragma once
// TBackupFile packs a list of files into one archive: a short header, then one record per file
// with the file's bytes cut into blocks of at most 16384 bytes, each compressed on its own with
// zlib. The builder uses it to append the pages of a site book to the copy of the reader
// template, writing into a stream it has already opened.
//
// Archive layout (integers 32-bit signed little-endian, strings length-prefixed, no terminator):
//   header:  title length, title, total size (saturated at 2147483647), file count
//   member:  name length, name, date (packed DOS date-time, -1 unknown), data section(s) when
//            the file is not empty
//   section: "EC2\0", blocks, 0          block: n > 0 zlib stream of n bytes, n < 0 -n raw bytes
//   end:     0
// A volume that fills up ends with the record length 12, "NEXT:DISKnnn".
//
// Decisions beyond the plain format, kept here so callers know them:
// - Sizes are counted in 64 bits; only the header's total-size field is 32-bit, and it is
//   saturated at 2147483647 for larger sets. CompressionRate uses the 64-bit figures.
// - A file's size, date and identity are taken once, by one stat when the list is expanded.
//   A file whose size then changes before or while it is packed is packed as far as that
//   size reaches: one that shrank ends its data section at the bytes that could be read, one
//   that grew is cut at the size counted in the header. Either way the archive stays
//   well-formed, the run goes on, and the file is listed in ChangedFiles for the caller to
//   warn about (it is no error: the rest of the book is sound).
// - Every write goes through a buffer, so a write the target refuses is seen when the buffer
//   is handed on; it is reported as code 4 wherever it falls (also on a record's date).
// - Recursion in a specification is asked for by a trailing " /s" only: "/" separates paths
//   here, so "/s" inside a path such as "/srv/x" is part of the path.
// - Blocks may be compressed by several worker threads; the bytes written, the progress events
//   and the errors are the same as in a one-thread run. MaxThreads = 1 forces one thread, and
//   volumes (MaxSize > 0) always run on one thread because each block depends on the position.
// - A volume always takes at least one block, so a MaxSize smaller than a block cannot make the
//   run ask for disks forever; a negative MaxSize means no limit, like 0.
// - A target stream that is a file is never packed into itself (it is recognised by device and
//   inode, under whatever name or link it is listed); only regular files are packed (a named
//   pipe or a device would block or never end).
// - Archive attributes (SetArchiveFlag) are cleared once the archive is complete, so a stopped
//   or failed run leaves every file marked for the next incremental run.
// - A run never interleaves with another: Backup and BackupToStream return false at once while
//   Busy (messages processed during a run can reach a second Create).
// - After an error no further events fire for the failed block, so a progress handler cannot
//   set Continue back and resume a failed run.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/streams.h"
#include "platform/base/string_list.h"

enum TBackupMode { bmAll, bmIncremental };
enum TCompressionLevel { clFastest, clNone, clDefault, clMax };
enum TRestoreMode { rmAll, rmNoOverwrite, rmNewer, rmExisting, rmExistingNewer };
using TPercentage = int32_t; // 0 to 100

// Error codes kept in ErrorCode and passed to OnError.
enum : int32_t {
    beNone = 0,
    beCannotReadFile = 1,     // "Cannot read file"
    beOverwriteFailed = 2,    // "Overwriting file failed" (restoring only)
    beCannotReadArchive = 3,  // "Cannot read archive" (restoring only)
    beCannotWriteArchive = 4, // "Cannot write to archive"
    beInvalidArchive = 5,     // "Invalid archive type" (restoring only)
    beCompressionError = 6,   // "Compression error"
    beCannotSaveFileIDs = 7,  // "Cannot create temporary file to save the file IDs"
};
// The text of an error code; empty for an unknown code.
std::string BackupErrorText(int32_t code);

// zlib level of a compression level: clFastest 1, clNone 0, clDefault -1, clMax 9.
int BackupZlibLevel(TCompressionLevel level);

constexpr int32_t BackupBlockSize = 16384;
// The archive name that selects TargetStream instead of a file.
inline constexpr const char* BackupStreamName = ":STREAM";
// Member name of the file-identity list.
inline constexpr const char* BackupFileListName = "FILE:LIST";

using TProgressEvent = std::function<void(TObject* Sender, const std::string& Filename,
                                          TPercentage Percent, bool& Continue)>;
using TNeedDiskEvent = std::function<void(TObject* Sender, uint16_t DiskID, bool& Continue)>;
using TRestoreFileEvent =
    std::function<void(TObject* Sender, std::string& Filename, int32_t FA, bool& DoRestore)>;
using TBackupErrorEvent =
    std::function<void(TObject* Sender, int32_t Error, const std::string& ErrString)>;

// A member whose bytes come from memory instead of a file: it is stored under exactly the name
// and date given, so what it holds never has to touch the disk and nothing about a file (its
// folder, its time) finds its way into the archive.
struct TBackupMemoryMember {
    std::string Name;  // the member name, stored as it is
    std::string Data;  // the member's bytes
    int32_t Date = -1; // packed DOS date and time; -1 unknown
};

class TBackupFile : public TObject {
public:
    TBackupFile();
    ~TBackupFile() override;
    TBackupFile(const TBackupFile&) = delete;
    TBackupFile& operator=(const TBackupFile&) = delete;

    // ---- Published properties, in declaration order ----
    // Always "3.00"; setting it has no effect.
    std::string Version() const { return "3.00"; }
    void SetVersion(const std::string&) {}
    std::string BackupTitle;
    TBackupMode BackupMode() const { return backupMode_; }
    // Changing to bmIncremental also sets SetArchiveFlag.
    void SetBackupMode(TBackupMode mode);
    TCompressionLevel CompressionLevel = clDefault;
    TRestoreMode RestoreMode = rmAll; // stored only
    int32_t MaxSize = 0;              // bytes per volume; 0 (or negative): no limit
    bool SetArchiveFlag = false;      // clear each packed file's archive attribute
    TProgressEvent OnProgress;
    TNeedDiskEvent OnNeedDisk;
    TRestoreFileEvent OnRestoreFile; // stored only
    TBackupErrorEvent OnError;
    bool RestoreFullPath = false; // stored only
    bool SaveFileID = false;      // pack the file-identity list as the first member
    // Packed after the listed files, in this order, by Backup and BackupToStream alike.
    std::vector<TBackupMemoryMember> MemoryMembers;

    // ---- Settings of this implementation (not stored) ----
    // Compression threads: 0 uses every core, 1 forces one thread.
    int MaxThreads = 0;
    // Called on the calling thread after every block so the GUI can process its pending
    // messages; the application object installs its ProcessMessages. Default: nothing.
    std::function<void()> ProcessMessages;
    // Shows an error text when OnError is not assigned (an error box with one OK button).
    // Default: the text on standard error.
    std::function<void(const std::string& text)> ShowErrorBox;
    // Asks for the next volume when OnNeedDisk is not assigned (an information box with OK and
    // Cancel); true for OK. Default: false (cancel), as there is nobody to ask.
    std::function<bool(const std::string& text)> AskForDisk;

    // ---- Operations ----
    // Writes the archive into stream from its current position and leaves it open. Sets
    // MaxSize to 0. False when stream is null, the run fails or stops, or anything raises.
    bool BackupToStream(const TStringList& list, TStream* stream);
    // The core run: archiveName ":STREAM" selects TargetStream; any other name is a file
    // created anew (volumes get the extensions .002, .003, ...). True only when the end marker
    // was written.
    bool Backup(const TStringList& list, const std::string& archiveName);
    // 100 - CompressedSize * 100 / TotalSize (truncating); 0 when TotalSize is 0.
    int32_t CompressionRate() const;
    // Reports code through OnError, else through ShowErrorBox.
    void ReportError(int32_t code);

    // ---- Run state (not stored) ----
    bool Busy() const { return busy_; }
    bool Continue() const { return continue_; }
    // Clearing it (from a progress handler or a Stop button while messages are processed)
    // stops the run after the current block.
    void SetContinue(bool value) { continue_ = value; }
    int32_t ErrorCode() const { return errorCode_; }
    int64_t TotalSize() const { return totalSize_; }
    int32_t FileCount() const { return fileCount_; }
    int64_t BytesRead() const { return bytesRead_; }
    int64_t CompressedSize() const { return compressedSize_; }
    const std::string& CurrentFile() const { return currentFile_; }
    TStream* TargetStream() const { return targetStream_; }
    // The files (paths as listed) whose size changed between the list's expansion and the end
    // of their packing, in the order they were packed; cleared when a run starts.
    const std::vector<std::string>& ChangedFiles() const { return changedFiles_; }

private:
    class Run;
    friend class Run;

    TBackupMode backupMode_ = bmAll;
    bool busy_ = false;
    bool continue_ = true;
    int32_t errorCode_ = 0;
    int64_t totalSize_ = 0;
    int32_t fileCount_ = 0;
    int64_t bytesRead_ = 0;
    int64_t compressedSize_ = 0;
    std::string currentFile_;
    TStream* targetStream_ = nullptr;
    std::vector<std::string> changedFiles_;
};
