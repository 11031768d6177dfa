#include "archive/backup_file.h"

#include <climits>
#include <cstdio>

std::string BackupErrorText(int32_t code) {
    switch (code) {
    case beCannotReadFile:
        return "Cannot read file";
    case beOverwriteFailed:
        return "Overwriting file failed";
    case beCannotReadArchive:
        return "Cannot read archive";
    case beCannotWriteArchive:
        return "Cannot write to archive";
    case beInvalidArchive:
        return "Invalid archive type";
    case beCompressionError:
        return "Compression error";
    case beCannotSaveFileIDs:
        return "Cannot create temporary file to save the file IDs";
    default:
        return "";
    }
}

int BackupZlibLevel(TCompressionLevel level) {
    switch (level) {
    case clFastest:
        return 1;
    case clNone:
        return 0;
    case clMax:
        return 9;
    case clDefault:
    default:
        return -1;
    }
}

TBackupFile::TBackupFile()
    : ShowErrorBox([](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }),
      AskForDisk([](const std::string&) { return false; }) {}

TBackupFile::~TBackupFile() = default;

void TBackupFile::SetBackupMode(TBackupMode mode) {
    if (mode == backupMode_)
        return;
    backupMode_ = mode;
    if (mode == bmIncremental)
        SetArchiveFlag = true;
}

bool TBackupFile::BackupToStream(const TStringList& list, TStream* stream) {
    if (!stream || busy_)
        return false; // a run in progress keeps its stream and settings
    try {
        targetStream_ = stream;
        MaxSize = 0;
        return Backup(list, BackupStreamName);
    } catch (...) {
        return false;
    }
}

int32_t TBackupFile::CompressionRate() const {
    if (totalSize_ <= 0)
        return 0;
    // 64-bit figures: CompressedSize * 100 stays far from overflow for any size a disk holds.
    const int64_t rate = 100 - compressedSize_ * 100 / totalSize_;
    if (rate < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(rate);
}

void TBackupFile::ReportError(int32_t code) {
    const std::string text = BackupErrorText(code);
    if (OnError)
        OnError(this, code, text);
    else if (ShowErrorBox)
        ShowErrorBox(text);
}
