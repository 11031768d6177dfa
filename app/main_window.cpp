#include "app/main_window.h"

#include <algorithm>

#include "platform/base/files.h"
#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/application.h"

int ScaleFromDesign(int value) {
    // Rounded to the nearest pixel, as the toolkit scales forms made at another density.
    const long long v = static_cast<long long>(value) * 96;
    return static_cast<int>(v >= 0 ? (v + 60) / 120 : (v - 60) / 120);
}

// ---- the homepage picker ----

namespace {
constexpr int kHintHeight = 22;
constexpr int kPickerButtonsHeight = 36;
constexpr int kPickerButtonWidth = 84;
} // namespace

TFilesF::TFilesF() {
    SetCaption("Select Homepage");
    SetBounds(ScaleFromDesign(233), ScaleFromDesign(167), ScaleFromDesign(370),
              ScaleFromDesign(440));
    SetMinimumSize(240, 200);

    Buttons.SetParent(this);
    Buttons.SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 5);
    Buttons.SetAlign(TAlign::alBottom);
    Buttons.SetHeight(kPickerButtonsHeight);
    CancelButton.SetParent(&Buttons);
    CancelButton.SetCaption("Cancel");
    CancelButton.SetWidth(kPickerButtonWidth);
    CancelButton.SetAlign(TAlign::alRight);
    CancelButton.ModalResult = mrCancel;
    OkButton.SetParent(&Buttons);
    OkButton.SetCaption("OK");
    OkButton.SetWidth(kPickerButtonWidth);
    OkButton.SetAlign(TAlign::alRight);
    OkButton.OnClick = [this](TControl&) { Choose(); };

    Hint.SetParent(this);
    Hint.SetAlign(TAlign::alTop);
    Hint.SetHeight(kHintHeight);
    Hint.OnPaint = [](TPaintBox& box, TCanvas& canvas, const TRect&) {
        box.PaintLabelGround(canvas);
        canvas.TextRect(Rect(0, 0, box.Width(), box.Height()), 4, 4,
                        "Type to filter; Enter or a double click chooses.");
    };
    Filter.SetParent(this);
    Filter.SetAlign(TAlign::alTop);
    Filter.SetHeight(24);
    Filter.OnChange = [this](TControl&) { SetFilter(Filter.Text()); };

    Files.ItemHeight = 16;
    Files.SetParent(this);
    Files.SetAlign(TAlign::alClient);
    Files.OnDblClick = [this](TControl&) { Choose(); };

    // The keys the list and the filter box share: Enter chooses, Escape closes without a
    // choice (as the title bar's close box does).
    const auto commonKey = [this](int& key) {
        if (key == VK_RETURN) {
            key = 0;
            Choose();
        } else if (key == VK_ESCAPE) {
            key = 0;
            ModalResult = mrCancel;
        }
    };
    Files.OnKeyDown = [this, commonKey](TControl&, int& key, TShiftState shift) {
        commonKey(key);
        // Letters and digits typed in the list go on to the filter.
        if (key != 0 && !(shift & (ssCtrl | ssAlt)) &&
            ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) {
            Filter.TypeText(std::string(
                1, static_cast<char>(key >= 'A' && key <= 'Z' ? key - 'A' + 'a' : key)));
            SetActiveControl(&Filter);
            Filter.SetFocus();
            key = 0;
        }
    };
    // The arrows in the filter box move the list's selection, so the keyboard never has to
    // leave the box.
    Filter.OnKeyDown = [this, commonKey](TControl&, int& key, TShiftState shift) {
        commonKey(key);
        if (key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT) {
            Files.KeyDown(key, shift);
            key = 0;
        }
    };
}

void TFilesF::SetFilter(const std::string& text) {
    const int before = ItemOfRow(Files.ItemIndex());
    shown_ = FilterItems(items_, text);
    std::vector<std::string> rows;
    rows.reserve(shown_.size());
    int row = -1;
    for (size_t i = 0; i < shown_.size(); ++i) {
        rows.push_back(items_[static_cast<size_t>(shown_[i])]);
        if (shown_[i] == before)
            row = static_cast<int>(i);
    }
    Files.SetItems(std::move(rows)); // also clears the earlier selection
    if (row < 0 && !shown_.empty() && !text.empty())
        row = 0;
    if (row >= 0) {
        Files.SetItemIndex(row);
        if (row >= Files.VisibleItems())
            Files.SetTopIndex(row - Files.VisibleItems() / 2);
    }
}

int TFilesF::ItemOfRow(int row) const {
    return row >= 0 && row < static_cast<int>(shown_.size()) ? shown_[static_cast<size_t>(row)]
                                                             : -1;
}

void TFilesF::Choose() {
    ModalResult = mrOk;
}

TPickResult TFilesF::Pick(const std::string& caption, const TStringList& items, int proposed) {
    SetCaption(caption);
    items_.clear();
    items_.reserve(static_cast<size_t>(items.Count()));
    for (int i = 0; i < items.Count(); ++i)
        items_.push_back(items[i]);
    Filter.SetText("");
    shown_.clear();
    SetFilter("");
    if (proposed >= 0 && proposed < static_cast<int>(items_.size())) {
        Files.SetItemIndex(proposed); // no filter yet: rows are items
        if (proposed >= Files.VisibleItems())
            Files.SetTopIndex(proposed - Files.VisibleItems() / 2);
    }
    SetActiveControl(&Filter);
    // The keyboard goes to the filter box as soon as the window is up (its widgets exist only
    // then, and the toolkit gives the first of them the focus), so typing filters at once.
    Application().QueueCall([this] {
        if (Shown())
            Filter.SetFocus();
    });
    const int result = ShowModal();
    TPickResult pick;
    pick.Ok = result == mrOk;
    pick.Selected = ItemOfRow(Files.ItemIndex());
    return pick;
}

// ---- the main window ----

namespace {
constexpr int kProgressHeight = 30;
constexpr int kCancelWidth = 90;
constexpr int kStatusHeight = 24;
// The start page down to its button row, and the button row's width, with the frame around
// the page and its scroll bar.
constexpr int kFirstWidth = 760;
constexpr int kFirstHeight = 600;
constexpr int kMinimumWidth = 360;
constexpr int kMinimumHeight = 240;
} // namespace

TRect FirstBuilderBounds(const TRect& workArea) {
    const int w = std::min(kFirstWidth, std::max(workArea.Width(), 1));
    const int h = std::min(kFirstHeight, std::max(workArea.Height(), 1));
    return Bounds(workArea.Left + (workArea.Width() - w) / 2,
                  workArea.Top + (workArea.Height() - h) / 2, w, h);
}

TFolioerF::TFolioerF(const TBuilderWindowEnvironment& env)
    : builder_(env.BuilderDir, env.SettingsDir, filesF_),
      pages_(builder_.PageStream, builder_.ImageStream),
      ini(env.IniFileName.empty() ? TkqFormIni() : TkqFormIni(env.IniFileName)) {
    SetCaption(builder_.Caption);
    // The designed 517x347 hid the start page's buttons under the scroll bar; the first start
    // shows the page down to them (a stored placement replaces this), and the user may resize
    // and maximise the window from there.
    const TRect first = FirstBuilderBounds(Application().ScreenWorkArea());
    SetBounds(first.Left, first.Top, first.Width(), first.Height());
    SetMinimumSize(kMinimumWidth, kMinimumHeight);
    builder_.OnCaptionChange = [this](TFolioBuilder& b) { SetCaption(b.Caption); };
    builder_.OnStatusChange = [this](TFolioBuilder&) { ShowStatus(); };
    // The warning about clashing names lists them all: the message box scrolls.
    builder_.NameClashGroupsShown = static_cast<size_t>(-1);

    // The progress strip sits below the page and shows only while a book is written.
    ProgressPanel.SetParent(this);
    ProgressPanel.SetBevels(TBevelCut::bvNone, TBevelCut::bvRaised, 4);
    ProgressPanel.SetAlign(TAlign::alBottom);
    ProgressPanel.SetHeight(kProgressHeight);
    ProgressPanel.SetVisible(false);
    CancelButton.SetParent(&ProgressPanel);
    CancelButton.SetCaption("Cancel");
    CancelButton.SetWidth(kCancelWidth);
    CancelButton.SetAlign(TAlign::alRight);
    CancelButton.OnClick = [this](TControl&) { CancelCreate(); };
    ProgressBar.SetParent(&ProgressPanel);
    ProgressBar.SetAlign(TAlign::alClient);
    ProgressBar.OnPaint = [this](TPaintBox&, TCanvas& canvas, const TRect& clip) {
        PaintProgress(canvas, clip);
    };

    // One line below the page says what has been chosen and what to do next.
    StatusPanel.SetParent(this);
    StatusPanel.SetBevels(TBevelCut::bvNone, TBevelCut::bvLowered, 0);
    StatusPanel.SetAlign(TAlign::alBottom);
    StatusPanel.SetHeight(kStatusHeight);
    StatusBar.SetParent(&StatusPanel);
    StatusBar.SetAlign(TAlign::alClient);
    StatusBar.OnPaint = [this](TPaintBox&, TCanvas& canvas, const TRect&) { PaintStatus(canvas); };

    Panel2.SetParent(this);
    Panel2.SetBevels(TBevelCut::bvRaised, TBevelCut::bvLowered, 8);
    Panel2.SetAlign(TAlign::alClient);

    viewer.SetParent(&Panel2);
    viewer.SetAlign(TAlign::alClient);
    viewer.SetNoSelect(false);
    viewer.PrintMarginLeft = viewer.PrintMarginRight = 2.0;
    viewer.PrintMarginTop = viewer.PrintMarginBottom = 2.0;
    viewer.SetDefBackground(clWhite);
    viewer.SetDefFontName("Times New Roman");
    viewer.SetDefPreFontName("Courier New");
    viewer.SetDefOverLinkColor(clRed);
    viewer.SetHistoryMaxCount(0);
    viewer.SetCharSet(DEFAULT_CHARSET);
    viewer.SetfvOptions({fvMetaRefresh, fvPrintTableBackground, fvNoBorder});
    viewer.OnObjectClick = [this](TObject* sender, TFormControlObj* obj,
                                  const std::string& onClick) {
        // The builder goes by the onclick text alone; the control itself is of no use to it.
        (void)obj;
        builder_.viewerObjectClick(sender, nullptr, onClick);
        // A Create that ended (however it ended) takes its strip away.
        if (!builder_.Creating() && ProgressPanel.Visible()) {
            ProgressPanel.SetVisible(false);
            progressStopped_ = false;
        }
    };
    viewer.OnHotSpotTargetClick = [this](TObject* sender, const std::string& target,
                                         const std::string& url, bool& handled) {
        builder_.viewerHotSpotTargetClick(sender, target, url, handled);
    };
    viewer.OnStreamRequest = [this](TObject* sender, const std::string& src,
                                    TMemoryStream*& stream) {
        viewerStreamRequest(sender, src, stream);
    };
    viewer.OnImageRequest = [this](TObject* sender, const std::string& src,
                                   TMemoryStream*& stream) {
        viewerImageRequest(sender, src, stream);
    };

    builder_.BackupFile1.OnProgress = [this](TObject*, const std::string& file, TPercentage percent,
                                             bool&) { ShowProgress(file, percent); };
    OnCloseQuery = [this](TControl&, bool& canClose) { CloseQuery(canClose); };

    FormCreate();
}

TFolioerF::~TFolioerF() {
    FormDestroy();
    Hide();
}

void TFolioerF::FormCreate() {
    builder_.ReadSettings(ini);
    ini.LoadPlacement(*this);
    ShowStatus();
    // A start page that cannot be shown goes to the application's error handler; the window
    // still opens.
    Application().Protect([this] { viewer.Load("help.html"); });
}

void TFolioerF::FormDestroy() {
    if (destroyed_)
        return;
    destroyed_ = true;
    // A settings file that cannot be written must not keep the program from ending.
    Application().Protect([this] {
        ini.SavePlacement(*this);
        builder_.WriteSettings(ini);
    });
}

void TFolioerF::viewerStreamRequest(TObject* Sender, const std::string& SRC,
                                    TMemoryStream*& Stream) {
    // A page the program does not have raises; the viewer shows the failure in its place.
    pages_.viewerStreamRequest(Sender, SRC, Stream);
}

void TFolioerF::viewerImageRequest(TObject* Sender, const std::string& SRC,
                                   TMemoryStream*& Stream) {
    try {
        pages_.viewerImageRequest(Sender, SRC, Stream);
    } catch (const std::exception&) {
        Stream = nullptr; // the viewer draws its error image
    }
}

void TFolioerF::CancelCreate() {
    if (builder_.Creating() && builder_.BackupFile1.Busy())
        builder_.BackupFile1.SetContinue(false);
}

void TFolioerF::CloseQuery(bool& canClose) {
    // The Create runs inside the event that started it; the window stays until it has
    // unwound, so closing asks the build to stop instead.
    if (builder_.Creating()) {
        CancelCreate();
        canClose = false;
    }
}

void TFolioerF::ShowProgress(const std::string& file, int percent) {
    // A stopped build (Cancel, a failure) still reports its end as 100 %; the bar stays where
    // the build stopped and says so instead of claiming a finished book.
    if (!builder_.BackupFile1.Continue()) {
        progressStopped_ = true;
        ProgressBar.Invalidate();
        return;
    }
    if (file.empty() && percent == 0)
        progressStopped_ = false; // a new run
    progressFile_ = file;
    progressPercent_ = std::clamp(percent, 0, 100);
    if (!ProgressPanel.Visible())
        ProgressPanel.SetVisible(true);
    ProgressBar.Invalidate();
    if (OnCreateProgress)
        OnCreateProgress(*this, file, progressPercent_);
}

void TFolioerF::PaintProgress(TCanvas& canvas, const TRect& clip) {
    (void)clip;
    const int w = ProgressBar.Width(), h = ProgressBar.Height();
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = clSilver;
    canvas.FillRect(Rect(0, 0, w, h));
    const TRect bar = Rect(4, 3, std::max(w - 4, 4), std::max(h - 3, 3));
    canvas.Brush.Color = clWhite;
    canvas.FillRect(bar);
    TRect done = bar;
    done.Right =
        bar.Left + static_cast<int>(static_cast<long long>(bar.Width()) * progressPercent_ / 100);
    canvas.Brush.Color = TColor(0xB6963C); // the start page's button cells, darker
    canvas.FillRect(done);
    canvas.Font.Name = "Arial";
    canvas.Font.Size = 9;
    canvas.Font.Color = clBlack;
    canvas.Brush.Style = bsClear;
    const std::string text = progressStopped_ ? "Stopped at " + IntToStr(progressPercent_) + " %"
                                              : ExtractFileName(progressFile_) + "  " +
                                                    IntToStr(progressPercent_) + " %";
    canvas.TextRect(bar, bar.Left + 6, bar.Top + 2, text);
}

void TFolioerF::ShowStatus() {
    const std::string text = builder_.StatusText();
    if (text == statusText_)
        return;
    statusText_ = text;
    StatusBar.Invalidate();
}

void TFolioerF::PaintStatus(TCanvas& canvas) {
    const int w = StatusBar.Width(), h = StatusBar.Height();
    StatusBar.PaintLabelGround(canvas);
    canvas.TextRect(Rect(0, 0, w, h), 8, std::max((h - canvas.TextHeight("Ag")) / 2, 0),
                    statusText_);
}

int32_t TFolioerF::PlacementWidth() const {
    return NormalBounds().Width();
}

int32_t TFolioerF::PlacementHeight() const {
    return NormalBounds().Height();
}

bool TFolioerF::PlacementMaximized() const {
    return WindowState() == TWindowState::wsMaximized;
}

void TFolioerF::SetPlacementBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    // A stored placement from a damaged file must still give a window one can see and grab.
    width = std::clamp(width, 120, 10000);
    height = std::clamp(height, 80, 10000);
    left = std::clamp(left, -width + 40, 20000);
    top = std::clamp(top, 0, 20000);
    SetNormalBounds(Bounds(left, top, width, height));
}

void TFolioerF::MaximizePlacement() {
    SetWindowState(TWindowState::wsMaximized);
}

int RunBuilderWindow(const TBuilderWindowEnvironment& env) {
    TApplication& app = Application();
    app.Title = "FolioBuilder2";
    TFolioerF window(env);
    app.MainForm = &window;
    window.Show();
    app.Run();
    app.MainForm = nullptr;
    return 0;
}
