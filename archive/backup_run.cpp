// One run of TBackupFile: expands the list, writes the header, the member records with their
// data sections, and the end marker.
//
// The run is split into a producer that walks the files and reads their blocks, and a list of
// steps (writing a record, a block, a section end, ...) carried out strictly in file order. On
// one thread every step is carried out as soon as it is made. With worker threads the producer
// reads a bounded window of blocks ahead while the workers compress them; the steps are still
// carried out in order on the calling thread, which fires the events and processes messages, so
// the bytes, the events and the errors are those of a one-thread run.
//
// The run is also frugal with the system: each file is looked at once (one stat when the list
// is expanded gives its size, date and identity), opened, read and closed; everything written
// goes through one buffer; and the workers are handed batches of blocks that may span many
// small files, so a site of thousands of small pages is not a thousand thread hand-offs.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <deque>
#include <memory>
#include <thread>
#include <vector>

#include "archive/backup_file.h"
#include "archive/block_compressor.h"
#include "archive/buffered_output.h"
#include "archive/compression_pool.h"
#include "archive/file_pattern.h"
#include "archive/little_endian.h"
#include "archive/source_file.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"

namespace {

constexpr int64_t kVolumeReserve = BackupBlockSize + 100;
constexpr uint8_t kSectionMarker[4] = {'E', 'C', '2', 0};
constexpr size_t kMaxQueuedSteps = 4096;
constexpr size_t kOutputBuffer = 256 * 1024;
// A batch for the workers closes at this many bytes of input: a few full blocks, or the
// blocks of a dozen small pages.
constexpr int64_t kBatchBytes = 64 * 1024;
// Blocks in flight per worker thread: enough for a few batches each to be compressed while
// the writer reads ahead.
constexpr int kBlocksPerThread = 32;

struct Step {
    enum Kind { Name, OpenFailed, ReadFailed, Date, SectionStart, Block, SectionEnd, Packed };
    Kind kind;
    std::string text;    // Name: the record's name
    std::string current; // Name: CurrentFile once the record is written; Packed: the path
    int32_t value = 0;   // Date; Packed: 1 when the file's size changed while it was read
    TPendingBlock* block = nullptr;
};

std::string TempDirectory() {
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

} // namespace

class TBackupFile::Run {
public:
    Run(TBackupFile& owner, const std::string& archiveName)
        : o_(owner), archiveName_(archiveName), isStream_(archiveName == BackupStreamName),
          output_(kOutputBuffer) {}

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
        TSourceStat stat;
        bool exists = true;
        const TBackupMemoryMember* memory = nullptr; // bytes and date from memory, not a file
    };

    static int32_t DateOf(const Entry& e) {
        return e.memory ? e.memory->Date : PackedLocalTime(e.stat.ModTime);
    }
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
    void FlushOutput();
    void StartPipeline();
    void PackFile(const Entry& e);
    void WriteSection(TSourceReader& src, int64_t& remaining, bool& changed);
    bool VolumeHasRoom();
    void NextVolume();

    void Emit(Step step);
    TPendingBlock* AcquireBlock();
    void Submit(TPendingBlock* block);
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
    TBufferedOutput output_;
    int volume_ = 1;
    bool volumeHasBlock_ = false;
    bool sectionOpen_ = false;
    bool producerStopped_ = false;
    std::vector<std::string> packed_;

    // Pipeline. blocks_ is declared before pool_ so the workers are joined first.
    std::vector<std::unique_ptr<TPendingBlock>> blocks_;
    std::vector<TPendingBlock*> freeBlocks_;
    std::unique_ptr<TBlockCompressor> compressor_; // the writer's own
    std::unique_ptr<TCompressionPool> pool_;
    std::vector<TPendingBlock*> batch_; // read, not yet handed to the workers
    int64_t batchBytes_ = 0;
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
    o_.changedFiles_.clear();
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
        output_.WriteInt32(static_cast<int32_t>(o_.BackupTitle.size()));
        output_.Write(o_.BackupTitle.data(), o_.BackupTitle.size());
        output_.WriteInt32(static_cast<int32_t>(std::min<int64_t>(o_.totalSize_, INT32_MAX)));
        output_.WriteInt32(o_.fileCount_);
    } catch (const std::exception&) {
        SetError(beCannotWriteArchive);
    }

    StartPipeline();
    for (const Entry& e : entries_) {
        if (!o_.continue_ || producerStopped_)
            break;
        if (!e.exists)
            continue; // listed, but nothing to read: no record, no error
        PackFile(e);
    }
    Flush();

    bool result = false;
    if (o_.continue_ && output_.Attached()) {
        try {
            output_.WriteInt32(0);
            output_.Flush();
            result = true;
        } catch (const std::exception&) {
            SetError(beCannotWriteArchive);
        }
    } else {
        FlushOutput(); // a stopped run leaves what it wrote, as it always has
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
    output_.Detach();
    ownedFile_.reset();
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
        // The target is known by its identity, taken once: no file of the list is compared by
        // resolving its path.
        struct stat st {};
        if (auto* file = dynamic_cast<TFileStream*>(o_.targetStream_);
            file && ::stat(file->FileName().c_str(), &st) == 0)
            options.Target = TSourceStat::Of(st);
    }
    TFileSpecExpander expander(options);
    for (int i = 0; i < list.Count(); ++i)
        expander.Expand(list[i]);
    for (auto& f : expander.Files())
        entries_.push_back({f.Path, f.Name, f.Name, f.Stat, f.Exists});
    for (const TBackupMemoryMember& m : o_.MemoryMembers) {
        TSourceStat stat;
        stat.Size = static_cast<int64_t>(m.Data.size());
        entries_.push_back({{}, m.Name, m.Name, stat, true, &m});
    }
}

void TBackupFile::Run::CountSizes(TStringList* ids) {
    // The sizes and dates the expansion saw: a file is not opened twice.
    o_.totalSize_ = 0;
    for (const Entry& e : entries_) {
        if (!e.exists)
            continue;
        o_.totalSize_ += e.stat.Size;
        if (ids)
            ids->Add(e.record + "\t" + IntToStr(DateOf(e)) + "=" + IntToStr(e.stat.Size));
    }
}

void TBackupFile::Run::SaveFileIDs(TStringList& ids) {
    try {
        tempName_ = TempFileName(TempDirectory(), "FID");
        if (tempName_.empty())
            throw Exception("no temporary name");
        ids.SaveToFile(tempName_);
        struct stat st {};
        if (::stat(tempName_.c_str(), &st) != 0)
            throw Exception("the list is gone");
        entries_.insert(entries_.begin(), Entry{tempName_, BackupFileListName, Trim(tempName_),
                                                TSourceStat::Of(st), true});
        idsInserted_ = true;
        o_.totalSize_ += static_cast<int64_t>(ids.Text().size());
    } catch (const std::exception&) {
        SetError(beCannotSaveFileIDs);
    }
}

void TBackupFile::Run::OpenArchive() {
    if (isStream_) {
        if (!o_.targetStream_)
            throw Exception("no target stream");
        output_.Attach(o_.targetStream_);
    } else {
        ownedFile_ = std::make_unique<TFileStream>(archiveName_, fmCreate);
        output_.Attach(ownedFile_.get());
    }
}

void TBackupFile::Run::FlushOutput() {
    if (!output_.Attached())
        return;
    try {
        output_.Flush();
    } catch (const std::exception&) {
        if (o_.errorCode_ == 0)
            o_.errorCode_ = beCannotWriteArchive;
        o_.continue_ = false;
    }
}

void TBackupFile::Run::StartPipeline() {
    const int level = BackupZlibLevel(o_.CompressionLevel);
    int threads =
        o_.MaxThreads > 0 ? o_.MaxThreads : static_cast<int>(std::thread::hardware_concurrency());
    // Volumes decide each block by the position the previous one left: one thread.
    if (VolumeLimit() > 0)
        threads = 1;
    const int window = threads > 1 ? kBlocksPerThread * threads : 1;
    for (int i = 0; i < window; ++i) {
        blocks_.push_back(std::make_unique<TPendingBlock>());
        freeBlocks_.push_back(blocks_.back().get());
    }
    // The writer's own compressor packs every block of a one-thread run, and helps the
    // workers while it waits for them.
    compressor_ = std::make_unique<TBlockCompressor>(level);
    if (threads > 1)
        pool_ = std::make_unique<TCompressionPool>(threads, level);
}

void TBackupFile::Run::PackFile(const Entry& e) {
    TSourceReader src;
    TSourceReader::TOpenResult opened = TSourceReader::orOpened;
    if (e.memory)
        src.OpenMemory(e.memory->Data);
    else
        opened = src.Open(e.path);
    if (opened == TSourceReader::orVanished)
        return; // gone since the list was made: no record, no error
    Emit({Step::Name, e.record, e.current});
    if (opened == TSourceReader::orFailed) {
        Emit({Step::OpenFailed, {}, {}});
        producerStopped_ = true;
        return;
    }
    Step date{Step::Date, {}, {}};
    date.value = DateOf(e);
    Emit(date);
    int64_t remaining = e.stat.Size;
    bool changed = false;
    while (remaining > 0 && o_.continue_ && !producerStopped_) {
        WriteSection(src, remaining, changed);
        if (remaining > 0 && o_.continue_ && !producerStopped_)
            NextVolume();
    }
    src.Close();
    if (e.memory)
        return; // no file to mark, and bytes in memory cannot change meanwhile
    Step packed{Step::Packed, {}, e.path};
    packed.value = changed ? 1 : 0;
    Emit(packed);
}

void TBackupFile::Run::WriteSection(TSourceReader& src, int64_t& remaining, bool& changed) {
    Emit({Step::SectionStart, {}, {}});
    while (remaining > 0 && o_.continue_ && !producerStopped_ && VolumeHasRoom()) {
        TPendingBlock* block = AcquireBlock();
        if (!o_.continue_) {
            freeBlocks_.push_back(block);
            break;
        }
        const int32_t want = static_cast<int32_t>(std::min<int64_t>(remaining, BackupBlockSize));
        // The file's last block asks for one byte more, which is there only if the file grew.
        const bool last = remaining <= BackupBlockSize;
        const int64_t n = src.Read(block->In, last ? want + 1 : want, want);
        if (n < 0) {
            freeBlocks_.push_back(block);
            Emit({Step::ReadFailed, {}, {}});
            producerStopped_ = true;
            break;
        }
        // A file that shrank since its size was taken ends here, and one that grew ends at
        // that size: either way the section stays well-formed, and the run says which file.
        if (n != want)
            changed = true;
        const int32_t taken = static_cast<int32_t>(std::min<int64_t>(n, want));
        remaining = taken < want ? 0 : remaining - taken;
        if (taken == 0) {
            freeBlocks_.push_back(block);
            break;
        }
        block->InLength = taken;
        Submit(block);
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
    return output_.Attached() && output_.Position() < limit - kVolumeReserve;
}

void TBackupFile::Run::NextVolume() {
    // Only reached with volumes, which run on one thread: every step has been carried out.
    Flush();
    ++volume_;
    const std::string number = "00" + IntToStr(volume_);
    const std::string suffix = number.substr(number.size() - 3);
    try {
        const std::string next = "NEXT:DISK" + suffix;
        output_.WriteInt32(12);
        output_.Write(next.data(), next.size());
        output_.Flush();
    } catch (const std::exception&) {
        SetError(beCannotWriteArchive);
        return;
    }
    output_.Detach();
    ownedFile_.reset();
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
        output_.Attach(ownedFile_.get());
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

void TBackupFile::Run::Submit(TPendingBlock* block) {
    if (!pool_)
        return; // compressed when its step is carried out
    batch_.push_back(block);
    batchBytes_ += block->InLength;
    if (batchBytes_ >= kBatchBytes) {
        pool_->Submit(batch_);
        batchBytes_ = 0;
    }
}

void TBackupFile::Run::PerformFront() {
    Step step = std::move(steps_.front());
    steps_.pop_front();
    if (step.block && pool_) {
        // The block may still wait in the batch being gathered.
        if (!batch_.empty()) {
            pool_->Submit(batch_);
            batchBytes_ = 0;
        }
        pool_->Wait(step.block, *compressor_);
    }
    Perform(step);
    if (step.block)
        freeBlocks_.push_back(step.block);
}

void TBackupFile::Run::Perform(Step& step) {
    if (!o_.continue_) {
        // Stopped: the one thing still written is the end of a section already begun.
        if (step.kind == Step::SectionEnd && sectionOpen_ && output_.Attached()) {
            sectionOpen_ = false;
            try {
                output_.WriteInt32(0);
            } catch (const std::exception&) {
                o_.errorCode_ = beCannotWriteArchive;
            }
        }
        return;
    }
    // Every write goes through the buffer, so a refused write can surface at any step; each
    // is reported as what it is, a failure to write the archive. The events after a block run
    // outside, so what a handler raises still ends the run as it always has.
    bool blockWritten = false;
    try {
        switch (step.kind) {
        case Step::Name:
            o_.currentFile_ = step.text;
            output_.WriteInt32(static_cast<int32_t>(step.text.size()));
            output_.Write(step.text.data(), step.text.size());
            o_.currentFile_ = step.current;
            break;
        case Step::OpenFailed:
            SetError(beCannotReadFile);
            break;
        case Step::ReadFailed:
            SetError(beCannotWriteArchive);
            break;
        case Step::Date:
            output_.WriteInt32(step.value);
            break;
        case Step::SectionStart:
            output_.Write(kSectionMarker, 4);
            o_.compressedSize_ += 4;
            sectionOpen_ = true;
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
            int32_t length = b->OutLength;
            if (b->Result == TBlockCompressor::Compressed) {
                PutInt32LE(b->Out, length);
                output_.Write(b->Out, 4 + size_t(length));
            } else {
                length = b->InLength;
                output_.WriteInt32(-length);
                output_.Write(b->In, size_t(length));
            }
            o_.compressedSize_ += 4 + int64_t(length);
            volumeHasBlock_ = true;
            blockWritten = true;
            break;
        }
        case Step::SectionEnd:
            sectionOpen_ = false;
            output_.WriteInt32(0);
            break;
        case Step::Packed:
            packed_.push_back(step.current);
            if (step.value)
                o_.changedFiles_.push_back(step.current);
            break;
        }
    } catch (const std::exception&) {
        SetError(beCannotWriteArchive);
        return;
    }
    if (blockWritten) {
        if (o_.ProcessMessages)
            o_.ProcessMessages();
        Progress(o_.currentFile_, Percent());
    }
}
