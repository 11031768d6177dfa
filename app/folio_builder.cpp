#include "app/folio_builder.h"

#include "app/book_config_file.h"
#include "app/file_collection.h"
#include "platform/base/files.h"
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
}

void TFolioBuilder::WriteSettings(const TkqFormIni& ini) const {
    ini.WriteSetting("Settings", "lastDir", LastDir);
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
            return;
        }
    }
    if (OnClick == "create") {
        Create1Click();
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
    CollectFiles(LastDir, FileList, &Collected);
}

void TFolioBuilder::btnhomepageclick() {
    if (creating_ || FileList.Count() == 0) {
        return;
    }
    const TPickResult result = picker_.Pick("Select Homepage", FileList);
    if (!result.Ok) {
        return;
    }
    if (result.Selected < 0 || result.Selected >= FileList.Count()) {
        Dialogs().ShowMessage("You did not select a homepage");
        return;
    }
    HomePage = FileList[result.Selected];
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
