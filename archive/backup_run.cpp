// One run of TBackupFile: expands the list, writes the header, the member records with their
// data sections, and the end marker.
//
// The run is split into a producer that walks the files and reads their blocks, and a list of
// steps (writing a record, a block, a section end, ...) carried out strictly in file order. On
// one thread every step is carried out as soon as it is made. With worker threads the producer
// reads a bounded window of blocks ahead while the workers compress them; the steps are still
// carried out in order on the calling thread, which fires the events and processes messages, so
// the bytes, the events and the errors are those of a one-thread run.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <deque>
#include <memory>
#include <thread>
#include <vector>

#include "archive/backup_file.h"
#include "archive/block_compressor.h"
#include "archive/compression_pool.h"
#include "archive/file_pattern.h"
#include "archive/little_endian.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"

namespace {

constexpr int64_t kVolumeReserve = BackupBlockSize + 100;
constexpr uint8_t kSectionMarker[4] = {'E', 'C', '2', 0};
constexpr size_t kMaxQueuedSteps = 4096;

struct Step {
    enum Kind { Name, OpenFailed, ReadFailed, Date, SectionStart, Block, SectionEnd, Packed };
    Kind kind;
    std::string text;    // Name: the record's name
    std::string current; // Name: CurrentFile once the record is written; Packed: the path
    int32_t value = 0;   // Date
    TPendingBlock* block = nullptr;
};

int64_t ReadFully(TStream& s, uint8_t* buffer, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        const int64_t n = s.Read(buffer + done, count - done);
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

void WriteInt32(TStream& s, int32_t v) {
    uint8_t b[4];
    PutInt32LE(b, v);
    s.WriteBuffer(b, 4);
}

std::string TempDirectory() {
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

} // namespace

class TBackupFile::Run {
public:
    Run(TBackupFile& owner, const std::string& archiveName)
        : o_(owner), archiveName_(archiveName), isStream_(archiveName == BackupStreamName) {}

    ~Run() {
        pool_.reset(); // joins the workers before their blocks go
        ownedFile_.reset();
        if (!tempName_.empty())
            DeleteFile(tempName_);
        o_.busy_ = false;
    }

    bool Execute(const TStringList& list);

private:
    struct Entry {
        std::string path;   // to open
        std::string record; // name written into the record
        std::string current;
    };

    void SetError(int32_t code) {
        o_.errorCode_ = code;
        o_.continue_ = false;
    }
    void Progress(const std::string& name, TPercentage percent) {
        if (o_.OnProgress)
            o_.OnProgress(&o_, name, percent, o_.continue_);
    }
    TPercentage Percent() const {
        if (o_.totalSize_ <= 0)
            return 100;
        const int64_t p = o_.bytesRead_ * 100 / o_.totalSize_;
        return static_cast<TPercentage>(std::clamp<int64_t>(p, 0, 100));
    }
    int64_t VolumeLimit() const { return isStream_ || o_.MaxSize <= 0 ? 0 : o_.MaxSize; }

    void Expand(const TStringList& list);
    void CountSizes(TStringList* ids);
    void SaveFileIDs(TStringList& ids);
    void OpenArchive();
    void StartPipeline();
    void PackFile(const Entry& e);
    void WriteSection(TStream& src, int64_t& remaining);
    bool VolumeHasRoom();
    void NextVolume();

    void Emit(Step step);
    TPendingBlock* AcquireBlock();
    void PerformFront();
    void Perform(Step& step);
    void Flush() {
        while (!steps_.empty())
            PerformFront();
    }

    TBackupFile& o_;
    std::string archiveName_;
    bool isStream_;
    std::vector<Entry> entries_;
    bool idsInserted_ = false;
    std::string tempName_;
    std::unique_ptr<TFileStream> ownedFile_;
    TStream* out_ = nullptr;
    int volume_ = 1;
    bool volumeHasBlock_ = false;
    bool sectionOpen_ = false;
    bool producerStopped_ = false;
    std::vector<std::string> packed_;

    // Pipeline. blocks_ is declared before pool_ so the workers are joined first.
    std::vector<std::unique_ptr<TPendingBlock>> blocks_;
    std::vector<TPendingBlock*> freeBlocks_;
    std::unique_ptr<TBlockCompressor> compressor_; // one-thread runs
    std::unique_ptr<TCompressionPool> pool_;
    std::deque<Step> steps_;
};

bool TBackupFile::Backup(const TStringList& list, const std::string& archiveName) {
    if (busy_)
        return false; // a second run must never interleave with the one in progress
    Run run(*this, archiveName);
    return run.Execute(list);
}

bool TBackupFile::Run::Execute(const TStringList& list) {
    o_.errorCode_ = 0;
    o_.busy_ = true;
    Expand(list);

    o_.continue_ = true;
    Progress("", 0);

    TStringList ids;
    CountSizes(o_.SaveFileID ? &ids : nullptr);
    if (o_.SaveFileID)
        SaveFileIDs(ids);

    volume_ = 1;
    o_.fileCount_ = static_cast<int32_t>(entries_.size()) - (idsInserted_ ? 1 : 0);
    o_.bytesRead_ = 0;
    o_.compressedSize_ = 0;
    try {
        OpenArchive();
        WriteInt32(*out_, static_cast<int32_t>(o_.BackupTitle.size()));
        out_->WriteString(o_.BackupTitle);
        WriteInt32(*out_, static_cast<int32_t>(std::min<int64_t>(o_.totalSize_, INT32_MAX)));
        WriteInt32(*out_, o_.fileCount_);
    } catch (const std::exception&) {
        SetError(beCannotWriteArchive);
    }

    StartPipeline();
    for (const Entry& e : entries_) {
        if (!o_.continue_ || producerStopped_)
            break;
        if (!FileExists(e.path))
            continue; // vanished since the list was made: no record, no error
        PackFile(e);
    }
    Flush();

    bool result = false;
    if (o_.continue_ && out_) {
        try {
            WriteInt32(*out_, 0);
            result = true;
        } catch (const std::exception&) {
            SetError(beCannotWriteArchive);
        }
    }
    // Archive attributes are cleared only once the archive is complete: a file whose archive
    // was never finished must stay marked for the next incremental run.
    if (result && o_.SetArchiveFlag) {
        for (const auto& path : packed_) {
            const int32_t attr = FileGetAttr(path);
            if (attr >= 0 && (attr & faArchive))
                FileSetAttr(path, attr & ~faArchive);
        }
    }

    pool_.reset();
    ownedFile_.reset();
    out_ = nullptr;
    if (!tempName_.empty()) {
        DeleteFile(tempName_);
        tempName_.clear();
    }
    Progress("", 100);
    o_.busy_ = false;
    if (o_.errorCode_ != 0)
        o_.ReportError(o_.errorCode_);
    return result;
}

void TBackupFile::Run::Expand(const TStringList& list) {
    TExpandOptions options;
    options.OnlyArchiveFlag = o_.backupMode_ == bmIncremental;
    options.ArchiveLower = LowerCase(isStream_ ? archiveName_ : ExpandFileName(archiveName_));
    if (isStream_) {
        if (auto* file = dynamic_cast<TFileStream*>(o_.targetStream_))
            options.TargetRealPath = RealPath(file->FileName());
    }
    TFileSpecExpander expander(options);
    for (int i = 0; i < list.Count(); ++i)
        expander.Expand(list[i]);
    for (auto& f : expander.Files())
        entries_.push_back({f.Path, f.Name, f.Name});
}

void TBackupFile::Run::CountSizes(TStringList* ids) {
    o_.totalSize_ = 0;
    for (const Entry& e : entries_) {
        if (!FileExists(e.path))
            continue;
        try {
            TFileStream file(e.path, fmOpenRead | fmShareDenyNone);
            const int64_t size = file.Size();
            o_.totalSize_ += size;
            if (ids)
                ids->Add(e.record + "\t" + IntToStr(FileAge(e.path)) + "=" + IntToStr(size));
        } catch (const std::exception&) {
            // Packing it will fail to open it too and report that.
        }
    }
}

void TBackupFile::Run::SaveFileIDs(TStringList& ids) {
    try {
        tempName_ = TempFileName(TempDirectory(), "FID");
        if (tempName_.empty())
            throw Exception("no temporary name");
        ids.SaveToFile(tempName_);
        entries_.insert(entries_.begin(), Entry{tempName_, BackupFileListName, Trim(tempName_)});
        idsInserted_ = true;
        o_.totalSize_ += static_cast<int64_t>(ids.Text().size());
    } catch (const std::exception&) {
        SetError(beCannotSaveFileIDs);
    }
}

void TBackupFile::Run::OpenArchive() {
    if (isStream_) {
        out_ = o_.targetStream_;
        if (!out_)
            throw Exception("no target stream");
    } else {
        ownedFile_ = std::make_unique<TFileStream>(archiveName_, fmCreate);
        out_ = ownedFile_.get();
    }
}

void TBackupFile::Run::StartPipeline() {
    const int level = BackupZlibLevel(o_.CompressionLevel);
    int threads =
        o_.MaxThreads > 0 ? o_.MaxThreads : static_cast<int>(std::thread::hardware_concurrency());
    // Volumes decide each block by the position the previous one left: one thread.
    if (VolumeLimit() > 0)
        threads = 1;
    const int window = threads > 1 ? 4 * threads : 1;
    for (int i = 0; i < window; ++i) {
        blocks_.push_back(std::make_unique<TPendingBlock>());
        freeBlocks_.push_back(blocks_.back().get());
    }
    if (threads > 1)
        pool_ = std::make_unique<TCompressionPool>(threads, level);
    else
        compressor_ = std::make_unique<TBlockCompressor>(level);
}

void TBackupFile::Run::PackFile(const Entry& e) {
    Emit({Step::Name, e.record, e.current});
    std::unique_ptr<TFileStream> src;
    try {
        src = std::make_unique<TFileStream>(e.path, fmOpenRead | fmShareDenyNone);
    } catch (const std::exception&) {
        Emit({Step::OpenFailed, {}, {}});
        producerStopped_ = true;
        return;
    }
    Step date{Step::Date, {}, {}};
    date.value = FileAge(e.path);
    Emit(date);
    int64_t remaining = 0;
    try {
        remaining = src->Size();
    } catch (const std::exception&) {
        Emit({Step::ReadFailed, {}, {}});
        producerStopped_ = true;
        return;
    }
    while (remaining > 0 && o_.continue_ && !producerStopped_) {
        WriteSection(*src, remaining);
        if (remaining > 0 && o_.continue_ && !producerStopped_)
            NextVolume();
    }
    src.reset();
    Emit({Step::Packed, {}, e.path});
}

void TBackupFile::Run::WriteSection(TStream& src, int64_t& remaining) {
    Emit({Step::SectionStart, {}, {}});
    while (remaining > 0 && o_.continue_ && !producerStopped_ && VolumeHasRoom()) {
        TPendingBlock* block = AcquireBlock();
        if (!o_.continue_) {
            freeBlocks_.push_back(block);
            break;
        }
        const int32_t want = static_cast<int32_t>(std::min<int64_t>(remaining, BackupBlockSize));
        int64_t n = 0;
        try {
            n = ReadFully(src, block->In, want);
        } catch (const std::exception&) {
            freeBlocks_.push_back(block);
            Emit({Step::ReadFailed, {}, {}});
            producerStopped_ = true;
            break;
        }
        // A file that shrank since it was opened ends here; the section stays well-formed.
        if (n < want)
            remaining = 0;
        else
            remaining -= n;
        if (n == 0) {
            freeBlocks_.push_back(block);
            break;
        }
        block->InLength = static_cast<int32_t>(n);
        if (pool_)
            pool_->Submit(block);
        Step step{Step::Block, {}, {}};
        step.block = block;
        Emit(step);
    }
    Emit({Step::SectionEnd, {}, {}});
}

bool TBackupFile::Run::VolumeHasRoom() {
    const int64_t limit = VolumeLimit();
    if (limit == 0 || !volumeHasBlock_)
        return true; // every volume takes at least one block, so the run always progresses
    return out_ && out_->Position() < limit - kVolumeReserve;
}

void TBackupFile::Run::NextVolume() {
    // Only reached with volumes, which run on one thread: every step has been carried out.
    Flush();
    ++volume_;
    const std::string number = "00" + IntToStr(volume_);
    const std::string suffix = number.substr(number.size() - 3);
    try {
        WriteInt32(*out_, 12);
        out_->WriteString("NEXT:DISK" + suffix);
    } catch (const std::exception&) {
        SetError(beCannotWriteArchive);
        return;
    }
    ownedFile_.reset();
    out_ = nullptr;
    if (o_.OnNeedDisk)
        o_.OnNeedDisk(&o_, static_cast<uint16_t>(volume_), o_.continue_);
    else
        o_.continue_ = o_.AskForDisk && o_.AskForDisk("Please insert disk " + IntToStr(volume_) +
                                                      " and click OK to continue.");
    if (!o_.continue_)
        return;
    try {
        ownedFile_ =
            std::make_unique<TFileStream>(ChangeFileExt(archiveName_, "." + suffix), fmCreate);
        out_ = ownedFile_.get();
        volumeHasBlock_ = false;
    } catch (const std::exception&) {
        SetError(beCannotWriteArchive);
    }
}

void TBackupFile::Run::Emit(Step step) {
    steps_.push_back(std::move(step));
    if (!pool_ || steps_.size() > kMaxQueuedSteps)
        Flush();
}

TPendingBlock* TBackupFile::Run::AcquireBlock() {
    while (freeBlocks_.empty())
        PerformFront();
    TPendingBlock* block = freeBlocks_.back();
    freeBlocks_.pop_back();
    return block;
}

void TBackupFile::Run::PerformFront() {
    Step step = std::move(steps_.front());
    steps_.pop_front();
    if (step.block && pool_)
        pool_->Wait(step.block);
    Perform(step);
    if (step.block)
        freeBlocks_.push_back(step.block);
}

void TBackupFile::Run::Perform(Step& step) {
    if (!o_.continue_) {
        // Stopped: the one thing still written is the end of a section already begun.
        if (step.kind == Step::SectionEnd && sectionOpen_ && out_) {
            sectionOpen_ = false;
            try {
                WriteInt32(*out_, 0);
            } catch (const std::exception&) {
                o_.errorCode_ = beCannotWriteArchive;
            }
        }
        return;
    }
    switch (step.kind) {
    case Step::Name:
        o_.currentFile_ = step.text;
        try {
            WriteInt32(*out_, static_cast<int32_t>(step.text.size()));
            out_->WriteString(step.text);
        } catch (const std::exception&) {
            SetError(beCannotWriteArchive);
        }
        o_.currentFile_ = step.current;
        break;
    case Step::OpenFailed:
        SetError(beCannotReadFile);
        break;
    case Step::ReadFailed:
        SetError(beCannotWriteArchive);
        break;
    case Step::Date:
        try {
            WriteInt32(*out_, step.value);
        } catch (const std::exception&) {
            SetError(beCannotReadFile);
        }
        break;
    case Step::SectionStart:
        try {
            out_->WriteBuffer(kSectionMarker, 4);
            o_.compressedSize_ += 4;
            sectionOpen_ = true;
        } catch (const std::exception&) {
            SetError(beCannotWriteArchive);
        }
        break;
    case Step::Block: {
        TPendingBlock* b = step.block;
        if (!pool_)
            b->Result = compressor_->Compress(b->In, b->InLength, b->Out + 4, b->OutLength);
        o_.bytesRead_ += b->InLength;
        if (b->Result == TBlockCompressor::Failed) {
            SetError(beCompressionError);
            break;
        }
        const uint8_t* payload = b->Out + 4;
        int32_t length = b->OutLength;
        if (b->Result == TBlockCompressor::StoreRaw) {
            payload = b->In;
            length = b->InLength;
        }
        try {
            if (b->Result == TBlockCompressor::Compressed) {
                PutInt32LE(b->Out, length);
                out_->WriteBuffer(b->Out, 4 + int64_t(length));
            } else {
                WriteInt32(*out_, -length);
                out_->WriteBuffer(payload, length);
            }
        } catch (const std::exception&) {
            SetError(beCannotWriteArchive);
            break;
        }
        o_.compressedSize_ += 4 + int64_t(length);
        volumeHasBlock_ = true;
        if (o_.ProcessMessages)
            o_.ProcessMessages();
        Progress(o_.currentFile_, Percent());
        break;
    }
    case Step::SectionEnd:
        sectionOpen_ = false;
        try {
            WriteInt32(*out_, 0);
        } catch (const std::exception&) {
            SetError(beCannotWriteArchive);
        }
        break;
    case Step::Packed:
        packed_.push_back(step.current);
        break;
    }
}
