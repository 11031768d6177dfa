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

TFilesF::TFilesF() {
    SetCaption("Select Homepage");
    SetBounds(ScaleFromDesign(233), ScaleFromDesign(167), ScaleFromDesign(370),
              ScaleFromDesign(440));
    Files.ItemHeight = 16;
    Files.SetParent(this);
    Files.SetAlign(TAlign::alClient);
    Files.OnClick = [this](TControl& sender) { FilesClick(sender); };
    // Escape closes without a choice, as the title bar's close box does.
    Files.OnKeyDown = [this](TControl&, int& key, TShiftState) {
        if (key == VK_ESCAPE) {
            key = 0;
            ModalResult = mrCancel;
        }
    };
}

void TFilesF::FilesClick(TControl&) {
    ModalResult = mrOk;
}

TPickResult TFilesF::Pick(const std::string& caption, const TStringList& items) {
    SetCaption(caption);
    std::vector<std::string> list;
    list.reserve(static_cast<size_t>(items.Count()));
    for (int i = 0; i < items.Count(); ++i)
        list.push_back(items[i]);
    Files.SetItems(std::move(list)); // also clears the earlier selection
    SetActiveControl(&Files);
    const int result = ShowModal();
    TPickResult pick;
    pick.Ok = result == mrOk;
    pick.Selected = Files.ItemIndex();
    return pick;
}

// ---- the main window ----

namespace {
constexpr int kProgressHeight = 30;
constexpr int kCancelWidth = 90;
} // namespace

TFolioerF::TFolioerF(const TBuilderWindowEnvironment& env)
    : builder_(env.BuilderDir, env.SettingsDir, filesF_),
      pages_(builder_.PageStream, builder_.ImageStream),
      ini(env.IniFileName.empty() ? TkqFormIni() : TkqFormIni(env.IniFileName)) {
    SetCaption(builder_.Caption);
    SetBounds(ScaleFromDesign(94), ScaleFromDesign(169), ScaleFromDesign(646),
              ScaleFromDesign(434));
    builder_.OnCaptionChange = [this](TFolioBuilder& b) { SetCaption(b.Caption); };

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
    const std::string text =
        ExtractFileName(progressFile_) + "  " + IntToStr(progressPercent_) + " %";
    canvas.TextRect(bar, bar.Left + 6, bar.Top + 2, text);
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
