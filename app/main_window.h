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
#include "platform/gui/edit.h"
#include "platform/gui/list_box.h"
#include "platform/gui/paint_box.h"
#include "platform/gui/panel.h"
#include "platform/gui/window.h"

// Design sizes were made at 120 pixels per inch; the screen has 96.
int ScaleFromDesign(int value);

// The first size of the builder's window: the start page down to its row of six buttons
// shows without scrolling, as far as the screen's work area allows.
TRect FirstBuilderBounds(const TRect& workArea);

// The homepage picker: a filter box over the list of pages. Typing filters the list; a click
// or an arrow key selects, Enter, a double click or OK chooses; Escape or Cancel closes
// without a choice. Shown modally, kept hidden between uses.
class TFilesF final : public TWindow, public THomePagePicker {
public:
    TFilesF();
    TPickResult Pick(const std::string& caption, const TStringList& items, int proposed) override;
    // Shows the items that hold text (ignoring case), keeping the selected item selected while
    // it is shown, else selecting the first.
    void SetFilter(const std::string& text);
    // Closes with OK and the selected item, as Enter, a double click and OK do.
    void Choose();
    // The item of the full list that the list box's row shows (-1 when none).
    int ItemOfRow(int row) const;

    TPaintBox Hint;
    TEdit Filter;
    TListBox Files;
    TPanel Buttons;
    TButton OkButton;
    TButton CancelButton;

private:
    std::vector<std::string> items_;
    std::vector<int> shown_; // rows of the list box: indexes into items_
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

    // The line that says what has been chosen so far.
    const std::string& StatusText() const { return statusText_; }

    // The progress strip of a running Create.
    bool ProgressShown() const { return ProgressPanel.Visible(); }
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
    TPanel StatusPanel;
    TPaintBox StatusBar;
    TPanel ProgressPanel;
    TPaintBox ProgressBar;
    TButton CancelButton;

private:
    void ShowProgress(const std::string& file, int percent);
    void PaintProgress(TCanvas& canvas, const TRect& clip);
    void PaintStatus(TCanvas& canvas);
    void ShowStatus();
    void CloseQuery(bool& canClose);

    TFilesF filesF_;
    TFolioBuilder builder_;
    TBuiltinPages pages_;
    TkqFormIni ini;
    std::string progressFile_;
    int progressPercent_ = 0;
    bool progressStopped_ = false;
    std::string statusText_;
    bool destroyed_ = false;
};

// Runs the builder's window until it is closed; the GUI toolkit must be up. Returns the
// program's exit status.
int RunBuilderWindow(const TBuilderWindowEnvironment& env);
