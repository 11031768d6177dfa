#pragma once
// The builder's main window: the built-in help page in a frame viewer whose buttons run the
// builder's commands, the homepage picker, and a progress strip with a Cancel button while a
// book is written. The window hosts one TFolioBuilder and shows its Caption as its title.
// Nothing here sees the toolkit: the window and its controls get their widgets when shown.
#include <functional>
#include <string>

#include "app/folio_builder.h"
#include "app/homepage_picker.h"
#include "app/resource_loader.h"
#include "app/settings/form_ini.h"
#include "app/settings/placement_window.h"
#include "html/view/frame_viewer.h"
#include "platform/gui/buttons.h"
#include "platform/gui/list_box.h"
#include "platform/gui/paint_box.h"
#include "platform/gui/panel.h"
#include "platform/gui/window.h"

// Design sizes were made at 120 pixels per inch; the screen has 96.
int ScaleFromDesign(int value);

// The homepage picker: one list box filling the window; the first click (or keyboard move)
// on an item closes it with OK. Shown modally, kept hidden between uses.
class TFilesF final : public TWindow, public THomePagePicker {
public:
    TFilesF();
    TPickResult Pick(const std::string& caption, const TStringList& items) override;
    void FilesClick(TControl& sender);

    TListBox Files;
};

// Where the window finds its program files and keeps its settings.
struct TBuilderWindowEnvironment {
    std::string BuilderDir;  // the template Folio3.bin lies here
    std::string SettingsDir; // the settings directory
    std::string IniFileName; // placement and last directory
};

class TFolioerF final : public TWindow, public TPlacementWindow {
public:
    explicit TFolioerF(const TBuilderWindowEnvironment& env);
    ~TFolioerF() override;

    // Restores the last directory and the placement and loads the start page.
    void FormCreate();
    // Saves the placement and the last directory; runs once (the destructor calls it too).
    void FormDestroy();

    TFolioBuilder& Builder() { return builder_; }
    TFrameViewer& Viewer() { return viewer; }
    TFilesF& FilesF() { return filesF_; }

    // The viewer's page and picture requests. A picture the program does not have answers
    // nothing, so the viewer shows its error image.
    void viewerStreamRequest(TObject* Sender, const std::string& SRC, TMemoryStream*& Stream);
    void viewerImageRequest(TObject* Sender, const std::string& SRC, TMemoryStream*& Stream);

    // The progress strip of a running Create.
    bool ProgressShown() const { return ProgressPanel.Visible(); }
    const std::string& ProgressFile() const { return progressFile_; }
    int ProgressPercent() const { return progressPercent_; }
    // Stops a running Create after the current block; the builder then removes the
    // half-written book as for any failed build.
    void CancelCreate();
    // Called after the strip shows a progress step (tests observe the build through it).
    std::function<void(TFolioerF& sender, const std::string& file, int percent)> OnCreateProgress;

    // TPlacementWindow
    std::string PlacementName() const override { return "FolioerF"; }
    int32_t PlacementLeft() const override { return NormalBounds().Left; }
    int32_t PlacementTop() const override { return NormalBounds().Top; }
    int32_t PlacementWidth() const override;
    int32_t PlacementHeight() const override;
    bool PlacementMaximized() const override;
    void SetPlacementBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
    void MaximizePlacement() override;

    TPanel Panel2;
    TFrameViewer viewer;
    TPanel ProgressPanel;
    TPaintBox ProgressBar;
    TButton CancelButton;

private:
    void ShowProgress(const std::string& file, int percent);
    void PaintProgress(TCanvas& canvas, const TRect& clip);
    void CloseQuery(bool& canClose);

    TFilesF filesF_;
    TFolioBuilder builder_;
    TBuiltinPages pages_;
    TkqFormIni ini;
    std::string progressFile_;
    int progressPercent_ = 0;
    bool destroyed_ = false;
};

// Runs the builder's window until it is closed; the GUI toolkit must be up. Returns the
// program's exit status.
int RunBuilderWindow(const TBuilderWindowEnvironment& env);
