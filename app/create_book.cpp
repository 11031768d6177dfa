// The Create command: writes the book configuration, copies the reader template to the chosen
// target and appends the archive of every collected file, then the four-byte trailer that tells
// the reader where its archive starts.
#include <sys/stat.h>

#include <climits>
#include <cstdint>
#include <memory>

#include "app/book_config_file.h"
#include "app/folio_builder.h"
#include "app/name_clashes.h"
#include "archive/book_file.h"
#include "platform/base/files.h"
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

class TCreatingGuard {
public:
    explicit TCreatingGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~TCreatingGuard() { flag_ = false; }
    TCreatingGuard(const TCreatingGuard&) = delete;
    TCreatingGuard& operator=(const TCreatingGuard&) = delete;

private:
    bool& flag_;
};

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

bool TFolioBuilder::CheckTarget(const std::string& target, const std::string& templatePath) {
    // A target that does not exist yet cannot be any of these files.
    if (SameFile(target, templatePath)) {
        Dialogs().ShowMessage("You cannot overwrite the template \"Folio3.bin\"!");
        return false;
    }
    for (int i = 0; i < FileList.Count(); ++i) {
        if (SameFile(target, FileList[i])) {
            Dialogs().ShowMessage("You cannot overwrite a file that goes into the book: " +
                                  FileList[i]);
            return false;
        }
    }
    return true;
}

void TFolioBuilder::WarnAboutNameClashes() {
    const std::string warning = NameClashWarning(FindNameClashes(FileList));
    if (!warning.empty()) {
        Dialogs().ShowMessage(warning, TMsgKind::Warning);
    }
}

TCreateOutcome TFolioBuilder::CreateBook() {
    if (FileList.Count() == 0) {
        return TCreateOutcome::coNothingToPack;
    }
    if (HomePage.empty()) {
        Dialogs().ShowMessage("You did not select a Home page");
        return TCreateOutcome::coNoHomePage;
    }

    const std::string configPath = SettingsDir + kConfigName;
    if (!WriteBookConfig(configPath, BookConfigText(HomePage, Caption, Password, IconFile))) {
        Dialogs().ShowMessage("Cannot write the book configuration " + configPath, TMsgKind::Error);
        return TCreateOutcome::coConfigFailed;
    }
    if (FileList.IndexOf(configPath) < 0) {
        FileList.Add(configPath);
    }
    if (!IconFile.empty() && FileExists(IconFile)) {
        FileList.Add(IconFile);
    }

    TFileDialogOptions options;
    options.InitialDir = BuilderDir;
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
    if (!CheckTarget(target, templatePath)) {
        return TCreateOutcome::coRefusedTarget;
    }
    if (FileExists(target) &&
        !Dialogs().Confirm("Target file does already exist - do you want to overwrite it?")) {
        return TCreateOutcome::coNotOverwritten;
    }

    WarnAboutNameClashes();

    // The target is opened exclusively before anything is written to it: a target that
    // another program holds is left as it is. The template is then copied into it, and a copy
    // that fails or comes out short never goes on to a book reported as created (its trailer
    // would point into the wrong place).
    const int64_t templateSize = FileSizeOf(templatePath);
    std::unique_ptr<TFileStream> file;
    try {
        file = std::make_unique<TFileStream>(target, fmCreate | fmShareExclusive);
    } catch (const Exception&) {
        // As the toolkit's default handler would show it; nothing cleared.
        Dialogs().ShowMessage("Cannot open file " + target, TMsgKind::Error);
        return TCreateOutcome::coOpenFailed;
    }
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
        return copyFailed("Cannot copy the template \"Folio3.bin\" to " + target);
    }
    const int64_t templateEnd = templateSize;
    file->Seek(templateEnd, soBeginning);

    BackupFile1.BackupTitle = "Folio";
    BackupFile1.SetBackupMode(bmAll);
    BackupFile1.CompressionLevel = clMax;
    bool ok = BackupFile1.BackupToStream(FileList, file.get());
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

    if (ok) {
        ::chmod(target.c_str(), 0755); // a book is a program
        Dialogs().ShowMessage(
            targetName + " was successfully created. Compression rate = " + IntToStr(rate) + " %");
    } else {
        DeleteFile(target);
        Dialogs().ShowMessage("Creation of self extracting EXE failed or aborted");
    }
    ClearBuilderState();
    return ok ? TCreateOutcome::coCreated : TCreateOutcome::coArchiveFailed;
}
