#include "bookreader/reader_window.h"

#include <chrono>
#include <cstdio>

#include "bookreader/password_store.h"
#include "bookreader/reader_app.h"
#include "bookreader/reader_password.h"
#include "bookreader/reader_zoom.h"
#include "bookreader/site_book.h"
#include "html/image/ico_reader.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/launcher.h"

namespace {

constexpr int kToolBarHeight = 36;
// The index is started this long after the first page was asked for, once it is painted, and
// a waiting search looks this often whether it is ready.
constexpr uint32_t kSearchTickMs = 50;
// The search index is started this long after the first page shows: built at once, its threads
// and memory would compete with the window's first moments, and it is still ready well before a
// reader types a query.
constexpr uint32_t kIndexDelayMs = 500;
// A page of text reads well at about this size; the window opens at it the first time (within
// the screen's work area) and the reader may resize it down to the minimum.
constexpr int kFirstLeft = 40, kFirstTop = 30, kFirstWidth = 1000, kFirstHeight = 750;
constexpr int kMinWidth = 420, kMinHeight = 300;

// Every failure reaches the reader twice: a book started from a file manager has no terminal,
// and one started from a terminal may be scripted.
void ReportError(const std::string& program, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", program.c_str(), text.c_str());
    std::fflush(stderr);
    Dialogs().ShowMessage(text, TMsgKind::Error);
}

} // namespace

TReaderWindow::TReaderWindow(const TSiteBook& book, const TReaderWindowEnvironment& env)
    : book_(book), env_(env), states_(env.StateDir), pages_(book), sound_(pages_),
      home_(book.HomePageName()) {
    const std::string& caption = book.Config().Caption;
    SetCaption(caption.empty() ? ExtractFileName(book.Path()) : caption);
    SetBounds(kFirstLeft, kFirstTop, kFirstWidth, kFirstHeight);
    SetMinimumSize(kMinWidth, kMinHeight);

    ToolBar.SetParent(this);
    ToolBar.SetAlign(TAlign::alTop);
    ToolBar.SetHeight(kToolBarHeight);
    ToolBar.SetBevels(TBevelCut::bvNone, TBevelCut::bvRaised, 4);
    const struct {
        TButton& Button;
        const char* Caption;
        int Width;
        TAlign Align;
    } buttons[] = {{BackButton, "< Back", 80, TAlign::alLeft},
                   {HomeButton, "Home", 70, TAlign::alLeft},
                   {ForwardButton, "Forward >", 90, TAlign::alLeft},
                   {SearchButton, "Search", 80, TAlign::alRight}};
    for (const auto& b : buttons) {
        b.Button.SetParent(&ToolBar);
        b.Button.SetCaption(b.Caption);
        b.Button.SetWidth(b.Width);
        b.Button.SetAlign(b.Align);
    }
    BackButton.OnClick = [this](TControl&) { GoBack(); };
    HomeButton.OnClick = [this](TControl&) { GoHome(); };
    ForwardButton.OnClick = [this](TControl&) { GoForward(); };
    SearchButton.OnClick = [this](TControl&) { StartSearch(SearchEdit.Text()); };
    SearchEdit.SetParent(&ToolBar);
    SearchEdit.SetWidth(220);
    SearchEdit.SetAlign(TAlign::alRight);
    SearchEdit.OnKeyDown = [this](TControl&, int& key, TShiftState) {
        if (key == VK_RETURN) {
            key = 0;
            StartSearch(SearchEdit.Text());
        } else if (key == VK_ESCAPE && Results.Visible()) {
            key = 0;
            Results.Close();
        }
    };

    Results.SetParent(this);
    Results.OnChoose = [this](int hit, const std::string& page) {
        if (hit >= 0)
            OpenHit(hit);
        else
            Guard([&] { viewer.Load(page); });
    };
    Results.OnClosed = [this] {
        if (THTMLViewer* v = viewer.ActiveViewer())
            v->PaintPanel().SetFocus();
    };

    ViewerPanel.SetParent(this);
    ViewerPanel.SetAlign(TAlign::alClient);
    ViewerPanel.SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    viewer.SetParent(&ViewerPanel);
    viewer.SetAlign(TAlign::alClient);
    viewer.SetDefBackground(clWhite);
    viewer.SetHistoryMaxCount(50);
    viewer.SetfvOptions({fvMetaRefresh, fvPrintTableBackground});
    pages_.Attach(viewer);
    viewer.OnHotSpotTargetClick = [this](TObject*, const std::string& target,
                                         const std::string& url,
                                         bool& handled) { LinkClick(target, url, handled); };
    viewer.OnSoundRequest = [this](TObject* sender, const std::string& src, int32_t loop,
                                   bool terminate) {
        sound_.SoundRequest(sender, src, loop, terminate);
    };
    viewer.OnHistoryChange = [this](TObject*) { UpdateButtons(); };
    viewer.OnProcessing = [this](TObject*, bool on) {
        if (!on)
            UpdateButtons();
    };

    searchTimer_.SetEnabled(false);
    searchTimer_.SetInterval(kSearchTickMs);
    searchTimer_.OnTimer = [this](TTimer&) { SearchTick(); };

    OnShortcut = [this](TWindow&, int& key, TShiftState shift) { Shortcut(key, shift); };
    OnClose = [this](TControl&, TCloseAction&) { SaveState(); };

    const TReaderState state = states_.Load(StateKey());
    RestorePlacement(state);
    if (state.FontSize > 0)
        SetZoomSize(viewer, state.FontSize);
    LoadIcon();
    UpdateButtons();
}

TReaderWindow::~TReaderWindow() {
    SaveState();
    searchTimer_.SetEnabled(false);
    Hide();
    sound_.Stop();
}

std::string TReaderWindow::StateKey() const {
    return TPasswordStore::BookKey(book_.Path());
}

template <class F> void TReaderWindow::Guard(F&& f) {
    Application().Protect(std::forward<F>(f));
    UpdateButtons();
}

void TReaderWindow::OpenFirstPage(const std::string& page) {
    std::string first = page;
    if (first.empty()) {
        const std::string last = states_.Load(StateKey()).LastPage;
        const std::string lastName = last.substr(0, last.find('#'));
        if (!lastName.empty() && pages_.Find(lastName) >= 0)
            first = last;
    }
    if (first.empty())
        first = home_;
    Guard([&] { viewer.Load(first); });
    // The search index is made in the background once the page is on the screen.
    searchTimer_.SetInterval(kIndexDelayMs);
    searchTimer_.SetEnabled(true);
}

void TReaderWindow::GoBack() {
    Guard([&] { viewer.GoBack(); });
}

void TReaderWindow::GoForward() {
    Guard([&] { viewer.GoFwd(); });
}

void TReaderWindow::GoHome() {
    Guard([&] { viewer.Load(home_); });
}

void TReaderWindow::ReloadPage() {
    Guard([&] { viewer.Reload(); });
}

void TReaderWindow::Zoom(int direction) {
    const int32_t size = direction == 0 ? kDefaultZoom : ZoomStep(ZoomSize(), direction);
    if (size == ZoomSize())
        return;
    Guard([&] { ApplyZoom(viewer, size); });
}

void TReaderWindow::CopySelection() {
    for (THTMLViewer* v : viewer.Viewers())
        if (v->SelLength() > 0) {
            v->CopyToClipboard();
            return;
        }
}

void TReaderWindow::UpdateButtons() {
    BackButton.SetEnabled(viewer.BackButtonEnabled());
    ForwardButton.SetEnabled(viewer.FwdButtonEnabled());
}

void TReaderWindow::Shortcut(int& key, TShiftState shift) {
    const TShiftState mods = shift & (ssCtrl | ssAlt | ssShift);
    const bool ctrl = mods == ssCtrl || mods == (ssCtrl | ssShift);
    const bool alt = mods == ssAlt;
    bool taken = true;
    if (alt && key == VK_LEFT)
        GoBack();
    else if (alt && key == VK_RIGHT)
        GoForward();
    else if (alt && key == VK_HOME)
        GoHome();
    else if (mods == 0 && key == VK_F5)
        ReloadPage();
    else if (ctrl && (key == VK_OEM_PLUS || key == VK_ADD))
        Zoom(1);
    else if (ctrl && (key == VK_OEM_MINUS || key == VK_SUBTRACT))
        Zoom(-1);
    else if (ctrl && key == '0')
        Zoom(0);
    else if (ctrl && key == 'F')
        SearchEdit.SetFocus();
    else if (ctrl && key == 'Q')
        Close();
    else if (mods == 0 && key == VK_ESCAPE && Results.Visible())
        Results.Close();
    else if (ctrl && key == 'C' && ActiveControl() != &SearchEdit)
        CopySelection(); // in the search box the box copies its own text
    else
        taken = false;
    if (taken)
        key = 0;
}

void TReaderWindow::LinkClick(const std::string&, const std::string& url, bool& handled) {
    if (!IsOutsideLink(url))
        return;
    handled = true;
    const std::string link = Trim(url);
    const bool mail = SameText(link.substr(0, 7), "mailto:");
    // The desktop's opener runs on its own; when it finds nothing to open the link with, the
    // reader says so (later, from the loop: never in the middle of the click).
    std::weak_ptr<bool> alive = alive_;
    ShellOpenWatched(link, [this, alive, link, mail](const std::string& reason) {
        if (alive.expired())
            return;
        ReportError(ExtractFileName(book_.Path()),
                    std::string(mail ? "The mail link " : "The web link ") + link +
                        " could not be opened: " + reason + ".");
    });
}

// ---- search ----

void TReaderWindow::StartSearch(const std::string& query) {
    const std::string utf8 = Trim(query);
    if (utf8.empty())
        return;
    pendingQuery_ = utf8;
    if (!search_) {
        search_ = std::make_unique<TBookSearch>(book_, env_.SearchCacheDir);
        search_->StartPreparing();
    }
    if (search_->Ready()) {
        SearchTick();
        return;
    }
    Results.ShowMessage("Reading the book for the search...");
    searchTimer_.SetEnabled(true);
}

void TReaderWindow::SearchTick() {
    if (searchTimer_.Interval() != kSearchTickMs) // the delayed start is over
        searchTimer_.SetInterval(kSearchTickMs);
    if (!search_) {
        search_ = std::make_unique<TBookSearch>(book_, env_.SearchCacheDir);
        search_->StartPreparing();
    }
    if (pendingQuery_.empty()) {
        searchTimer_.SetEnabled(false);
        return;
    }
    if (!search_->Ready()) {
        Results.ShowMessage("Reading the book for the search: " + IntToStr(search_->PagesDone()) +
                            " of " + IntToStr(search_->PagesTotal()) + " pages...");
        searchTimer_.SetEnabled(true);
        return;
    }
    searchTimer_.SetEnabled(false);
    Guard([&] {
        result_ = search_->Search(pendingQuery_);
        query_ = pendingQuery_;
        ShowResults();
    });
    pendingQuery_.clear();
}

void TReaderWindow::ShowResults() {
    Results.ShowResult(result_, query_);
}

void TReaderWindow::OpenHit(int i) {
    if (i < 0 || static_cast<size_t>(i) >= result_.Hits.size())
        return;
    TBookSearchHit hit = result_.Hits[static_cast<size_t>(i)];
    Guard([&] {
        PlaceHit(book_, query_, hit);
        if (!SameText(viewer.CurrentFile(), hit.Page) || viewer.Viewers().size() != 1)
            viewer.Load(hit.Page);
        THTMLViewer* v = viewer.ActiveViewer();
        if (!v)
            return;
        v->SetSelection(hit.TextStart, hit.TextEnd);
        // The hit's line comes a third of the way down, with some of what leads to it above.
        int32_t y = 0;
        if (CharacterY(*v, hit.TextStart, y))
            v->SetPixelPosition(y - v->PaintPanel().Height() / 3);
    });
}

// ---- what is remembered ----

void TReaderWindow::SaveState() {
    if (saved_)
        return;
    saved_ = true;
    TReaderState state = states_.Load(StateKey());
    const std::string page = viewer.CurrentFile();
    if (!page.empty() && pages_.Find(page) >= 0)
        state.LastPage = page;
    const TRect r = NormalBounds();
    state.Placement = {r.Left, r.Top, r.Width(), r.Height(),
                       WindowState() == TWindowState::wsMaximized};
    state.HasPlacement = state.Placement.Valid();
    state.FontSize = ZoomSize();
    if (!states_.Directory().empty() && !states_.Save(StateKey(), state))
        std::fprintf(stderr, "%s: could not remember the page shown in %s\n",
                     ExtractFileName(book_.Path()).c_str(), states_.Directory().c_str());
}

void TReaderWindow::RestorePlacement(const TReaderState& state) {
    if (!state.HasPlacement || !state.Placement.Valid())
        return;
    const TWindowPlacement& p = state.Placement;
    SetNormalBounds(Bounds(p.Left, p.Top, p.Width, p.Height));
    if (p.Maximized)
        SetWindowState(TWindowState::wsMaximized);
}

void TReaderWindow::LoadIcon() {
    const std::string name = ExtractFileName(book_.Config().IconFile);
    if (name.empty())
        return;
    try {
        const auto bytes = pages_.Fetch(name);
        if (!bytes)
            return;
        const TIconImage icon =
            ReadIco(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size());
        if (icon.Empty())
            return;
        // The window's icon has no transparency: see-through pixels take the tool bar's grey.
        auto bitmap = std::make_shared<TBitmap>(icon.Width, icon.Height, pf24bit);
        const TColor back = clSilver;
        for (int y = 0; y < icon.Height; ++y)
            for (int x = 0; x < icon.Width; ++x) {
                const uint8_t* p =
                    &icon.Rgba[(static_cast<size_t>(y) * static_cast<size_t>(icon.Width) +
                                static_cast<size_t>(x)) *
                               4];
                auto mix = [&](int c, int b) { return (c * p[3] + b * (255 - p[3]) + 127) / 255; };
                bitmap->SetPixel(x, y,
                                 RGB(mix(p[0], GetRValue(back)), mix(p[1], GetGValue(back)),
                                     mix(p[2], GetBValue(back))));
            }
        SetIcon(bitmap);
    } catch (const std::exception& e) {
        // A damaged icon costs the book its icon, nothing more.
        std::fprintf(stderr, "%s: the book's icon cannot be read: %s\n",
                     ExtractFileName(book_.Path()).c_str(), e.what());
    }
}

// ---- the program ----

int RunReaderWindow(const TSiteBook& book, const std::string& page,
                    const TReaderWindowEnvironment& env) {
    TApplication& app = Application();
    const std::string program = ExtractFileName(book.Path());
    app.Title = book.Config().Caption.empty() ? program : book.Config().Caption;
    auto previousHandler = app.OnException;
    app.OnException = [program](TApplication&, const std::exception& e) {
        ReportError(program, e.what());
    };
    struct TRestore {
        TApplication& App;
        std::function<void(TApplication&, const std::exception&)> Handler;
        ~TRestore() { App.OnException = std::move(Handler); }
    } restore{app, std::move(previousHandler)};

    const TPasswordStore store(env.PasswordFile, env.PasswordIterations);
    switch (AskBookPassword(book, env.PasswordFile.empty() ? nullptr : &store)) {
    case TPasswordOutcome::poOpen:
        break;
    case TPasswordOutcome::poCancelled:
        std::fprintf(stderr, "%s: no password was given; the book stays closed.\n",
                     program.c_str());
        return kReaderFailed;
    case TPasswordOutcome::poRefused:
        ReportError(program, "Wrong password, " + IntToStr(kPasswordTries) +
                                 " times. The book stays closed.");
        return kReaderFailed;
    }

    TReaderWindow window(book, env);
    app.MainForm = &window;
    // The first page is read and laid out before the window is mapped, so the window shows it
    // at once instead of an empty (black) window while the page loads.
    window.OpenFirstPage(page);
    window.Show();
    app.Run();
    app.MainForm = nullptr;
    app.ClearTerminated();
    return kReaderOk;
}
