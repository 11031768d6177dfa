#pragma once
// The builder: the choices the user makes between commands (source files, home page, title,
// password, icon) and the six commands that the start page's buttons name. It holds no window:
// the main window hosts one TFolioBuilder, forwards the viewer's clicks to it and shows Caption
// as its title; the command line drives the same object with answers given as options.
// Every question goes through the dialog provider (Dialogs()) and the homepage picker.
#include <functional>
#include <string>
#include <vector>

#include "app/file_collection.h"
#include "app/homepage_picker.h"
#include "app/settings/form_ini.h"
#include "archive/backup_file.h"
#include "platform/base/streams.h"
#include "platform/base/string_list.h"

// How a Create command ended; the window ignores it, the command line turns it into an exit
// status.
enum class TCreateOutcome {
    coNothingToPack,  // the file list was empty: nothing happened
    coNoHomePage,     // "You did not select a Home page"
    coNoTemplate,     // the reader template is missing
    coCancelled,      // the save dialog was cancelled
    coRefusedName,    // the target would overwrite the builder
    coRefusedTarget,  // the target is the template or one of the files to pack
    coNotOverwritten, // the target exists and the user said No
    coCopyFailed,     // the template could not be copied whole
    coOpenFailed,     // the copied target could not be opened exclusively
    coArchiveFailed,  // the archive writer failed or was stopped
    coCreated,        // the book was written
    coBusy,           // a Create was already running
    coBadHomePage,    // the home page is not a regular file (a pipe, a device, gone)
    coLineBreak,      // a value of the configuration holds a line break
};

class TFolioBuilder {
public:
    // The window's caption until the title command changes it; it is also the book's title.
    static constexpr const char* kDefaultCaption = "Vants FolioBuilder 3";
    static constexpr const char* kTemplateName = "Folio3.bin";
    static constexpr const char* kConfigName = "folioauthor.html";

    // builderDir: the builder program's directory with its trailing "/" (where the reader
    // template lies); settingsDir: where the book configuration is written (the builder's
    // directory when that is writable). The picker is not owned.
    TFolioBuilder(std::string builderDir, std::string settingsDir, THomePagePicker& picker);
    TFolioBuilder(const TFolioBuilder&) = delete;
    TFolioBuilder& operator=(const TFolioBuilder&) = delete;

    // Builder state.
    std::string BuilderDir; // with trailing separator
    // Where older builders left "folioauthor.html"; each build now packs its configuration
    // from memory, and a leftover here is never packed.
    std::string SettingsDir; // with trailing separator
    std::string LastDir;     // the source directory last chosen
    // The folder chosen in this run, whose files FileList holds; empty until one is chosen and
    // again after a Create clears the builder state.
    std::string SourceDir;
    // The folder the last book was saved to (kept in the settings); the save dialog starts
    // there.
    std::string LastSaveDir;
    TStringList FileList; // full paths of the files to pack, in the order found
    std::string HomePage; // full path; empty: none chosen
    std::string Password; // empty: none
    std::string IconFile; // full path; empty: none
    std::string Caption = kDefaultCaption;
    TMemoryStream PageStream;  // pages served to the viewer
    TMemoryStream ImageStream; // images served to the viewer
    TBackupFile BackupFile1;
    // The level Create packs with: the window packs at the maximum; the command line chooses.
    TCompressionLevel CreateLevel = clMax;
    // The collection summary and the name-clash warning list this many entries, count the
    // rest and add the hint (how to see them all, when the host has a way).
    size_t NameClashGroupsShown = 10;
    std::string NameClashMoreHint;
    // What the walk that filled FileList skipped, or took through links from elsewhere.
    TCollectionNotes Collected;

    // Called whenever Caption changes, so a hosting window can retitle itself.
    std::function<void(TFolioBuilder& sender)> OnCaptionChange;
    // Called whenever StatusText may have changed (a command ran).
    std::function<void(TFolioBuilder& sender)> OnStatusChange;

    // One line for the user on what has been chosen so far and what to do next: the folder,
    // how many files will be packed, and the home page.
    std::string StatusText() const;
    // What the save dialog starts with: the folder the last book went to (while it exists),
    // else the user's home folder, never the program's own; and a name made from the title,
    // else from the source folder.
    std::string SaveDialogDir() const;
    std::string ProposedBookName() const;

    // The last source directory, kept in the settings' "Settings" section as "lastDir", and
    // the last folder a book was saved to as "lastSaveDir": read at start (the current values
    // being the defaults), written at exit.
    void ReadSettings(const TkqFormIni& ini);
    void WriteSettings(const TkqFormIni& ini) const;

    // The viewer's events.
    void viewerObjectClick(TObject* Sender, TObject* Obj, const std::string& OnClick);
    void viewerHotSpotTargetClick(TObject* Sender, const std::string& Target,
                                  const std::string& URL, bool& Handled);

    // The commands.
    void seldirClick();
    void btnhomepageclick();
    void btntitleclick();
    void btnpwclick();
    void btniconclick();
    TCreateOutcome Create1Click();

    // True while Create writes a book; the commands do nothing meanwhile, since the archive
    // writer lets other events run between blocks.
    bool Creating() const { return creating_; }

    // Clears what a finished or abandoned Create leaves behind: the files (and the folder they
    // came from), the password and the home page (the title and the icon carry over).
    void ClearBuilderState();

    // Every file a Create packs: the collected files (without a leftover configuration and
    // without the files that the home page or the icon shadow by name), the home page when it
    // was not collected, then the icon when it exists. The configuration follows them, packed
    // from memory.
    TStringList PackList() const;
    // The files collected from the chosen folder, without an older builder's leftover
    // configuration: the files the homepage picker offers.
    TStringList CollectedFiles() const;
    // The book configuration as the member a Create packs after the files.
    TBackupMemoryMember ConfigMember() const;

    // Copies the open template into the open target and returns the bytes copied; it may
    // raise the stream errors. Tests replace it to simulate a copy that fails or comes out
    // short.
    std::function<int64_t(TStream& from, TStream& to)> CopyTemplate;

private:
    void SetCaption(const std::string& caption);
    void StatusChanged();
    // The message for a command that needs files before any are collected.
    std::string NoFilesText() const;
    TCreateOutcome CreateBook();
    bool CheckTarget(const std::string& target, const std::string& templatePath,
                     const TStringList& packed);
    void WarnAboutNameClashes();
    // The files a Create would pack before the home page and the icon claim their names.
    TStringList PackCandidates() const;
    // The files that keep their names whatever else is packed: the home page, the icon.
    std::vector<std::string> PreferredFiles() const;
    TCreateOutcome PackBook(const std::string& target, const std::string& templatePath);
    // The writer's error as the user should read it: which file, and why.
    std::string WriterErrorText(int32_t code) const;

    THomePagePicker& picker_;
    bool creating_ = false;
    std::string target_;  // the book being written, for error messages
    TStringList packing_; // the files being packed, for error messages
};
