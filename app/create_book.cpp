// The Create command: checks the choices, copies the reader template to the chosen target and
// appends the archive of every collected file and of this build's configuration, then the
// four-byte trailer that tells the reader where its archive starts.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "app/book_config_file.h"
#include "app/file_collection.h"
#include "app/folio_builder.h"
#include "app/name_clashes.h"
#include "archive/book_file.h"
#include "platform/base/files.h"
#include "platform/base/interrupt_cleanup.h"
#include "platform/base/printable_name.h"
#include "platform/base/strings.h"
#include "platform/gui/dialogs.h"

namespace {

// True when both paths name the same existing file, whatever links or relative pieces lead
// there.
bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Files that changed while they were packed are in the book as far as their size when the
// list was made, or as far as they could be read: the book is sound, but may not hold what
// the user expects.
void WarnAboutChangedFiles(const std::vector<std::string>& changed) {
    constexpr size_t kShown = 10;
    std::string text = IntToStr(static_cast<int64_t>(changed.size())) +
                       " file(s) changed while they were packed; the book holds them as they "
                       "were read, which may be cut short:";
    for (size_t i = 0; i < changed.size() && i < kShown; ++i) {
        text += "\n  " + PrintableName(changed[i]);
    }
    if (changed.size() > kShown) {
        text += "\n  and " + IntToStr(static_cast<int64_t>(changed.size() - kShown)) + " more";
    }
    Dialogs().ShowMessage(text, TMsgKind::Warning);
}

class TCreatingGuard {
public:
    explicit TCreatingGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~TCreatingGuard() { flag_ = false; }
    TCreatingGuard(const TCreatingGuard&) = delete;
    TCreatingGuard& operator=(const TCreatingGuard&) = delete;

private:
    bool& flag_;
};

// Why a file cannot be packed, found by trying it again: the writer keeps only its error code.
std::string ReadFailureReason(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::strerror(errno);
    }
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular ? "it could not be read to its end" : "it is not a regular file";
}

// Why the book could not be written: a full disk is by far the likeliest and worth naming.
std::string WriteFailureReason(const std::string& target) {
    struct statvfs fs {};
    if (::statvfs(ExtractFileDir(target).empty() ? "." : ExtractFileDir(target).c_str(), &fs) ==
            0 &&
        static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize < 65536) {
        return "the disk is full";
    }
    return "a write to it failed";
}

// Why the target could not be opened; err is the errno of the failed open.
std::string OpenFailureReason(const std::string& target, int err) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        return "it is a directory";
    }
    if (err == EWOULDBLOCK) {
        return "another program holds it open";
    }
    return err != 0 ? std::strerror(err) : "it cannot be opened for writing";
}

} // namespace

TCreateOutcome TFolioBuilder::Create1Click() {
    // The archive writer lets other events run between blocks; a second Create meanwhile would
    // write into the same state.
    if (creating_) {
        return TCreateOutcome::coBusy;
    }
    TCreatingGuard guard(creating_);
    return CreateBook();
}

TStringList TFolioBuilder::CollectedFiles() const {
    const std::string leftover = SettingsDir + kConfigName;
    TStringList list;
    for (int i = 0; i < FileList.Count(); ++i) {
        // An older builder's configuration (with its password in clear) is no page of the
        // book; the build packs its own.
        if (!SameText(FileList[i], leftover)) {
            list.Add(FileList[i]);
        }
    }
    return list;
}

TStringList TFolioBuilder::PackCandidates() const {
    TStringList list = CollectedFiles();
    // A home page chosen from an earlier folder is still the page the book opens at.
    if (!HomePage.empty() && list.IndexOf(HomePage) < 0) {
        list.Add(HomePage);
    }
    if (!IconFile.empty() && FileExists(IconFile)) {
        list.Add(IconFile);
    }
    return list;
}

std::vector<std::string> TFolioBuilder::PreferredFiles() const {
    std::vector<std::string> preferred;
    if (!HomePage.empty()) {
        preferred.push_back(HomePage);
    }
    if (!IconFile.empty()) {
        preferred.push_back(IconFile);
    }
    return preferred;
}

TStringList TFolioBuilder::PackList() const {
    const TStringList candidates = PackCandidates();
    // The book serves one file per name. The home page and the icon must be the ones it
    // serves, so the files they shadow stay out (the warning names them): packed before them,
    // a file differing only in capitals would even be the one the archive keeps.
    std::set<std::string> left;
    for (const TNameClash& clash : FindNameClashes(candidates, PreferredFiles())) {
        if (clash.Served == HomePage || clash.Served == IconFile) {
            left.insert(clash.Shadowed.begin(), clash.Shadowed.end());
        }
    }
    const bool icon = !IconFile.empty() && FileExists(IconFile);
    TStringList list;
    for (int i = 0; i < candidates.Count(); ++i) {
        // The icon goes last, as it always has (the configuration follows, packed from memory).
        if (!left.count(candidates[i]) && !(icon && candidates[i] == IconFile)) {
            list.Add(candidates[i]);
        }
    }
    if (icon) {
        list.Add(IconFile);
    }
    return list;
}

TBackupMemoryMember TFolioBuilder::ConfigMember() const {
    // Packed from memory, so the password never lies in a file outside the book, and under a
    // name and date that depend on nothing but the choices: the same folder, options and
    // template give the same book byte for byte, wherever and whenever it is built. The name
    // is the one the configuration has always had (it lived in the builder's folder); the date
    // is the home page's, the page the configuration is about.
    struct stat home {};
    const int32_t date = ::stat(HomePage.c_str(), &home) == 0 ? PackedLocalTime(home.st_mtime) : -1;
    return {LowerCase(BuilderDir + kConfigName),
            BookConfigText(HomePage, Caption, Password, IconFile), date};
}

bool TFolioBuilder::CheckTarget(const std::string& target, const std::string& templatePath,
                                const TStringList& packed) {
    // A target that does not exist yet cannot be any of these files.
    if (SameFile(target, templatePath)) {
        Dialogs().ShowMessage("You cannot overwrite the template \"Folio3.bin\"!");
        return false;
    }
    // One stat of the target, and one of each file, compared by device and inode.
    struct stat targetStat {};
    if (::stat(target.c_str(), &targetStat) != 0) {
        return true;
    }
    for (int i = 0; i < packed.Count(); ++i) {
        struct stat st {};
        if (::stat(packed[i].c_str(), &st) == 0 && st.st_dev == targetStat.st_dev &&
            st.st_ino == targetStat.st_ino) {
            Dialogs().ShowMessage("You cannot overwrite a file that goes into the book: " +
                                  PrintableName(packed[i]));
            return false;
        }
    }
    return true;
}

void TFolioBuilder::WarnAboutNameClashes() {
    // What the walk skipped or took through links from elsewhere is said first, in one summary.
    const std::string collected =
        CollectionSummary(Collected, NameClashGroupsShown, NameClashMoreHint);
    if (!collected.empty()) {
        Dialogs().ShowMessage(collected, TMsgKind::Warning);
    }
    const std::string warning =
        NameClashWarning(FindNameClashes(PackCandidates(), PreferredFiles()), NameClashGroupsShown,
                         NameClashMoreHint);
    if (!warning.empty()) {
        Dialogs().ShowMessage(warning, TMsgKind::Warning);
    }
}

std::string TFolioBuilder::WriterErrorText(int32_t code) const {
    const std::string text = BackupErrorText(code);
    if (code == beCannotReadFile) {
        // The writer names its member in lower case; the file on disk may have capitals.
        std::string path = BackupFile1.CurrentFile();
        for (int i = 0; i < packing_.Count(); ++i) {
            if (SameText(packing_[i], path)) {
                path = packing_[i];
                break;
            }
        }
        if (!path.empty()) {
            return text + " " + PrintableName(path) + ": " + ReadFailureReason(path);
        }
    }
    if (code == beCannotWriteArchive && !target_.empty()) {
        return text + " " + PrintableName(target_) + ": " + WriteFailureReason(target_);
    }
    return text;
}

TCreateOutcome TFolioBuilder::CreateBook() {
    if (FileList.Count() == 0) {
        Dialogs().ShowMessage(NoFilesText());
        return TCreateOutcome::coNothingToPack;
    }
    if (HomePage.empty()) {
        Dialogs().ShowMessage("You did not select a Home page");
        return TCreateOutcome::coNoHomePage;
    }
    // The packer takes regular files only, so a book opening at a pipe or a device could never
    // show its home page.
    struct stat home {};
    if (::stat(HomePage.c_str(), &home) != 0 || !S_ISREG(home.st_mode)) {
        Dialogs().ShowMessage("The home page " + PrintableName(HomePage) +
                                  " is not a regular file, so the book could not show it",
                              TMsgKind::Error);
        return TCreateOutcome::coBadHomePage;
    }
    if (const auto problem = BookConfigProblem(HomePage, Caption, Password, IconFile)) {
        Dialogs().ShowMessage(*problem, TMsgKind::Error);
        return TCreateOutcome::coLineBreak;
    }

    // The dialog never starts in the program's own folder, which the user usually cannot
    // write (after an installation it is a system folder).
    TFileDialogOptions options;
    options.InitialDir = SaveDialogDir();
    options.FileName = ProposedBookName();
    options.Filter = "All Files|*"; // books carry no extension here
    const std::string templatePath = BuilderDir + kTemplateName;
    if (!FileExists(templatePath)) {
        Dialogs().ShowMessage("Cannot find the template \"Folio3.bin\"");
        ClearBuilderState();
        return TCreateOutcome::coNoTemplate;
    }
    const auto chosen = Dialogs().SaveFile(options);
    if (!chosen) {
        ClearBuilderState();
        return TCreateOutcome::coCancelled;
    }
    const std::string target = *chosen;
    const std::string targetName = ExtractFileName(target);
    // The running builder is refused by its name, and under any other name too.
    if (LowerCase(targetName).find("foliobuilder") != std::string::npos ||
        SameFile(target, ProgramPath())) {
        Dialogs().ShowMessage("You cannot overwrite FolioBuilder!");
        return TCreateOutcome::coRefusedName;
    }
    if (!CheckTarget(target, templatePath, PackList())) {
        return TCreateOutcome::coRefusedTarget;
    }
    if (FileExists(target) &&
        !Dialogs().Confirm("Target file does already exist - do you want to overwrite it?")) {
        return TCreateOutcome::coNotOverwritten;
    }

    WarnAboutNameClashes();
    const TCreateOutcome outcome = PackBook(target, templatePath);
    if (outcome == TCreateOutcome::coCreated) {
        LastSaveDir = ExtractFileDir(target);
    }
    packing_.Clear();
    target_.clear();
    return outcome;
}

TCreateOutcome TFolioBuilder::PackBook(const std::string& target, const std::string& templatePath) {
    packing_ = PackList();
    target_ = target;

    // The target is opened exclusively before anything is written to it: a target that
    // another program holds is left as it is. The template is then copied into it, and a copy
    // that fails or comes out short never goes on to a book reported as created (its trailer
    // would point into the wrong place).
    const int64_t templateSize = FileSizeOf(templatePath);
    std::unique_ptr<TFileStream> file;
    errno = 0;
    try {
        file = std::make_unique<TFileStream>(target, fmCreate | fmShareExclusive);
    } catch (const Exception&) {
        // The toolkit's text, with the reason; nothing cleared.
        const int err = errno;
        Dialogs().ShowMessage("Cannot open file " + PrintableName(target) + ": " +
                                  OpenFailureReason(target, err),
                              TMsgKind::Error);
        return TCreateOutcome::coOpenFailed;
    }
    // From here the target is half a book until its trailer is written: an interrupted run
    // must not leave it behind.
    TInterruptCleanup halfMade(target, TInterruptCleanup::File);
    const auto copyFailed = [&](const std::string& why) {
        file.reset();
        DeleteFile(target);
        Dialogs().ShowMessage(why, TMsgKind::Error);
        ClearBuilderState();
        return TCreateOutcome::coCopyFailed;
    };
    if (templateSize < 0 || templateSize > INT32_MAX) {
        return copyFailed("The template \"Folio3.bin\" cannot be read or is too large");
    }
    int64_t copied = -1;
    try {
        TFileStream source(templatePath, fmOpenRead | fmShareDenyNone);
        copied = CopyTemplate(source, *file);
    } catch (const Exception&) {
        copied = -1;
    }
    if (copied != templateSize || file->Size() != templateSize) {
        return copyFailed("Cannot copy the template \"Folio3.bin\" to " + PrintableName(target) +
                          (copied < 0 ? ": " + WriteFailureReason(target) : std::string()));
    }
    const int64_t templateEnd = templateSize;
    file->Seek(templateEnd, soBeginning);

    BackupFile1.BackupTitle = "Folio";
    BackupFile1.SetBackupMode(bmAll);
    BackupFile1.CompressionLevel = CreateLevel;
    // After the pages, so a page that happens to share its name cannot stand in for it.
    BackupFile1.MemoryMembers = {ConfigMember()};
    bool ok = BackupFile1.BackupToStream(packing_, file.get());
    BackupFile1.MemoryMembers.clear();
    int32_t rate = 0;
    if (ok) {
        try {
            WriteBookTrailer(*file, templateEnd);
        } catch (const Exception&) {
            ok = false; // a book without its trailer cannot find its archive
        }
        rate = BackupFile1.CompressionRate();
    }
    file.reset();

    if (ok && !BackupFile1.ChangedFiles().empty()) {
        WarnAboutChangedFiles(BackupFile1.ChangedFiles());
    }
    if (ok) {
        halfMade.Release();
        ::chmod(target.c_str(), 0755); // a book is a program
        Dialogs().ShowMessage(ExtractFileName(target) +
                              " was successfully created. Compression rate = " + IntToStr(rate) +
                              " %");
    } else {
        DeleteFile(target);
        Dialogs().ShowMessage("Creation of self extracting EXE failed or aborted");
    }
    ClearBuilderState();
    return ok ? TCreateOutcome::coCreated : TCreateOutcome::coArchiveFailed;
}
