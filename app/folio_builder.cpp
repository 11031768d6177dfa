#include "app/folio_builder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "app/book_config_file.h"
#include "app/file_collection.h"
#include "platform/base/files.h"
#include "platform/base/printable_name.h"
#include "platform/base/strings.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/launcher.h"

TFolioBuilder::TFolioBuilder(std::string builderDir, std::string settingsDir,
                             THomePagePicker& picker)
    : BuilderDir(IncludeTrailingPathDelimiter(builderDir)),
      SettingsDir(IncludeTrailingPathDelimiter(settingsDir)), LastDir(BuilderDir), picker_(picker) {
    // The window's stored settings for the writer; Create sets title, mode and level anew.
    BackupFile1.SetBackupMode(bmAll);
    BackupFile1.CompressionLevel = clFastest;
    BackupFile1.RestoreMode = rmAll;
    BackupFile1.MaxSize = 0;
    BackupFile1.SetArchiveFlag = false;
    BackupFile1.RestoreFullPath = false;
    BackupFile1.SaveFileID = false;
    // Copies what the template holds now; a short result is caught by the caller, which knows
    // the size it expected.
    CopyTemplate = [](TStream& from, TStream& to) -> int64_t { return to.CopyFrom(from, 0); };
    // Only a file archive with a size limit asks for the next volume; books never do.
    BackupFile1.AskForDisk = [](const std::string& text) {
        return Dialogs().ConfirmOkCancel(text);
    };
    // Between blocks the window repaints and the progress shows; commands stay locked meanwhile.
    BackupFile1.ProcessMessages = [] { Application().ProcessMessages(); };
    // The writer's own error box comes before the builder's failure message. It names the
    // file and the reason, which the writer's code alone does not.
    BackupFile1.ShowErrorBox = [](const std::string& text) {
        Dialogs().ShowMessage(text, TMsgKind::Error);
    };
    BackupFile1.OnError = [this](TObject*, int32_t code, const std::string&) {
        Dialogs().ShowMessage(WriterErrorText(code), TMsgKind::Error);
    };
}

void TFolioBuilder::ReadSettings(const TkqFormIni& ini) {
    ini.ReadSetting("Settings", "lastDir", LastDir);
    ini.ReadSetting("Settings", "lastSaveDir", LastSaveDir);
}

void TFolioBuilder::WriteSettings(const TkqFormIni& ini) const {
    ini.WriteSetting("Settings", "lastDir", LastDir);
    if (!LastSaveDir.empty()) {
        ini.WriteSetting("Settings", "lastSaveDir", LastSaveDir);
    }
}

namespace {

constexpr const char* kChooseFolderFirst =
    "Choose the folder of your web pages first: press 1 Directory.";

std::string CountText(int n, const char* one, const char* many) {
    return IntToStr(n) + " " + (n == 1 ? one : many);
}

// The path of full relative to dir when it lies inside, else full itself.
std::string RelativeTo(const std::string& full, const std::string& dir) {
    const std::string prefix = IncludeTrailingPathDelimiter(dir);
    if (!dir.empty() && full.size() > prefix.size() &&
        full.compare(0, prefix.size(), prefix) == 0) {
        return full.substr(prefix.size());
    }
    return full;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home && DirectoryExists(home)) {
        return home;
    }
    if (const passwd* pw = ::getpwuid(::getuid());
        pw && pw->pw_dir && DirectoryExists(pw->pw_dir)) {
        return pw->pw_dir;
    }
    return {};
}

// A file name made of text: no separator, no control characters, no leading dot (a hidden
// file), no blanks at the ends, and never the builder's own name (Create refuses that).
std::string FileNameFrom(const std::string& text) {
    std::string name;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        name += c == '/' ? '-' : (u < 0x20 || u == 0x7F) ? ' ' : c;
    }
    name = Trim(name);
    while (!name.empty() && name[0] == '.') {
        name.erase(0, 1);
    }
    if (!IsValidUtf8(name)) {
        name = ValidUtf8(name);
    }
    if (LowerCase(name).find("foliobuilder") != std::string::npos) {
        return {};
    }
    return name;
}

} // namespace

std::string TFolioBuilder::NoFilesText() const {
    if (SourceDir.empty()) {
        return kChooseFolderFirst;
    }
    return "The folder " + PrintableName(SourceDir) +
           " holds no file a book can carry (pages, style sheets, pictures or sounds): press 1 "
           "Directory to choose another.";
}

std::string TFolioBuilder::StatusText() const {
    if (SourceDir.empty()) {
        return kChooseFolderFirst;
    }
    const int files = PackList().Count();
    std::string text = "Folder " + PrintableName(SourceDir) + ": " +
                       CountText(files, "file", "files") + " will be packed";
    if (HomePage.empty()) {
        text += files > 0 ? ". Next: press 2 Homepage to choose the page the book opens with."
                          : ". Press 1 Directory to choose another folder.";
    } else {
        text += "; home page " + PrintableName(RelativeTo(HomePage, SourceDir)) + ".";
    }
    return text;
}

std::string TFolioBuilder::SaveDialogDir() const {
    if (!LastSaveDir.empty() && DirectoryExists(LastSaveDir)) {
        return LastSaveDir;
    }
    return HomeFolder();
}

std::string TFolioBuilder::ProposedBookName() const {
    if (Caption != kDefaultCaption) {
        if (std::string name = FileNameFrom(Caption); !name.empty()) {
            return name;
        }
    }
    std::string dir = SourceDir.empty() ? LastDir : SourceDir;
    while (dir.size() > 1 && dir.back() == '/') {
        dir.pop_back();
    }
    if (std::string name = FileNameFrom(ExtractFileName(dir)); !name.empty()) {
        return name;
    }
    return "book";
}

void TFolioBuilder::StatusChanged() {
    if (OnStatusChange) {
        OnStatusChange(*this);
    }
}

void TFolioBuilder::viewerObjectClick(TObject*, TObject*, const std::string& OnClick) {
    // The page's buttons carry these command names; the compare is exact, and any other text
    // (a button of a page the user opened, a misspelling) does nothing.
    using TCommand = void (TFolioBuilder::*)();
    static const struct {
        const char* Text;
        TCommand Command;
    } kCommands[] = {
        {"directory", &TFolioBuilder::seldirClick}, {"homepage", &TFolioBuilder::btnhomepageclick},
        {"title", &TFolioBuilder::btntitleclick},   {"password", &TFolioBuilder::btnpwclick},
        {"icon", &TFolioBuilder::btniconclick},
    };
    for (const auto& entry : kCommands) {
        if (OnClick == entry.Text) {
            (this->*entry.Command)();
            StatusChanged();
            return;
        }
    }
    if (OnClick == "create") {
        Create1Click();
        StatusChanged();
    }
}

void TFolioBuilder::viewerHotSpotTargetClick(TObject*, const std::string&, const std::string& URL,
                                             bool& Handled) {
    Handled = true;
    // The test is on a lower-cased copy and looks anywhere in the text; the launcher gets the
    // URL as written.
    const std::string lower = LowerCase(URL);
    if (lower.find("http://") != std::string::npos || lower.find("https://") != std::string::npos ||
        lower.find("mailto:") != std::string::npos) {
        ShellOpen(URL);
        return;
    }
    Handled = false; // a page of our own: the viewer follows it
}

void TFolioBuilder::seldirClick() {
    if (creating_) {
        return;
    }
    const auto dir = Dialogs().SelectDirectory("", LastDir);
    if (!dir) {
        return;
    }
    // A new directory replaces the files; the home page, password, icon and title stay.
    FileList.Clear();
    Collected.Clear();
    LastDir = *dir;
    SourceDir = *dir;
    CollectFiles(LastDir, FileList, &Collected);
}

void TFolioBuilder::btnhomepageclick() {
    if (creating_) {
        return;
    }
    // Nothing to choose from: the user is told what to do rather than left with a button
    // that seems dead.
    if (FileList.Count() == 0) {
        Dialogs().ShowMessage(NoFilesText());
        return;
    }
    // From the files a book will carry: an older builder's configuration beside the pages is
    // none of them.
    const THomePageCandidates pages =
        HomePageCandidates(CollectedFiles(), SourceDir.empty() ? LastDir : SourceDir);
    if (pages.Relative.empty()) {
        Dialogs().ShowMessage("The folder " +
                              PrintableName(SourceDir.empty() ? LastDir : SourceDir) +
                              " holds no page (.htm, .html or .txt) a book could open with.");
        return;
    }
    TStringList items;
    for (const std::string& page : pages.Relative) {
        items.Add(page);
    }
    // The page already chosen is offered again; else the page a site usually opens with.
    int proposed = ProposedHomePage(pages.Relative);
    for (size_t i = 0; i < pages.Full.size(); ++i) {
        if (!HomePage.empty() && pages.Full[i] == HomePage) {
            proposed = static_cast<int>(i);
        }
    }
    const TPickResult result = picker_.Pick("Select Homepage", items, proposed);
    if (!result.Ok) {
        return;
    }
    if (result.Selected < 0 || result.Selected >= static_cast<int>(pages.Full.size())) {
        Dialogs().ShowMessage("You did not select a homepage");
        return;
    }
    HomePage = pages.Full[static_cast<size_t>(result.Selected)];
}

void TFolioBuilder::btntitleclick() {
    if (creating_) {
        return;
    }
    if (const auto title = Dialogs().InputQuery("FolioBuilder", "Enter book title:", "")) {
        // A line break would start a line of its own in the book's configuration.
        if (const auto problem = BookConfigProblem("", *title, "", "")) {
            Dialogs().ShowMessage(*problem, TMsgKind::Error);
            return;
        }
        SetCaption(*title); // even an empty title is taken
    }
}

void TFolioBuilder::btnpwclick() {
    if (creating_) {
        return;
    }
    // Cancel is how a password is removed.
    const auto password = Dialogs().InputQuery("FolioBuilder", "Enter password:", "");
    // Only the text before a line break would be checked by the book; refused, it stays as it
    // was.
    if (const auto problem = password ? BookConfigProblem("", "", *password, "") : std::nullopt) {
        Dialogs().ShowMessage(*problem, TMsgKind::Error);
        return;
    }
    Password = password ? *password : std::string();
}

void TFolioBuilder::btniconclick() {
    if (creating_) {
        return;
    }
    TFileDialogOptions options;
    options.Filter = "Icon Files|*.ico";
    // The path is checked only when the book is built: an icon that is gone by then is named
    // in the configuration but not packed.
    const auto icon = Dialogs().OpenFile(options);
    IconFile = icon ? *icon : std::string();
}

void TFolioBuilder::ClearBuilderState() {
    FileList.Clear();
    SourceDir.clear();
    Collected.Clear();
    Password.clear();
    HomePage.clear();
}

void TFolioBuilder::SetCaption(const std::string& caption) {
    Caption = caption;
    if (OnCaptionChange) {
        OnCaptionChange(*this);
    }
}
