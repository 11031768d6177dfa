#pragma once
// The site book's window: the book's caption as title and its packed icon, a tool bar with
// Back, Home and Forward (greyed when there is nowhere to go) and a search box, a frame viewer
// that gets every page, style sheet and picture from the archive, and the list of search hits.
// Web and mail links go to the desktop's programs (the reader says so when there is none),
// background sounds to its player; a link to a picture or a text file in the book shows it as
// it is. The window resizes and maximises, the page flowing to its width. The page shown last,
// the window's placement (its normal size and whether it was maximised) and the zoom are
// remembered per book; the first start opens at a size for a page of text.
//
// Keys: Alt+Left, Alt+Right and Alt+Home move through the history; F5 reads the page again;
// Ctrl+Plus, Ctrl+Minus and Ctrl+0 zoom; Ctrl+F goes to the search box; Ctrl+C copies the
// selected text; Ctrl+Q ends the reader. The right button, the Menu key and Shift+F10 open the
// pages' context menu (reader_menu.h).
//
// Nothing here sees the toolkit: the window and its controls get their widgets when shown.
#include <memory>
#include <string>

#include "bookreader/background_sound.h"
#include "bookreader/book_page_source.h"
#include "bookreader/book_search.h"
#include "bookreader/reader_menu.h"
#include "bookreader/reader_state.h"
#include "bookreader/reader_zoom.h"
#include "bookreader/search_pane.h"
#include "html/view/frame_viewer.h"
#include "platform/gui/buttons.h"
#include "platform/gui/edit.h"
#include "platform/gui/list_box.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/gui/window.h"

class TSiteBook;

struct TReaderWindowEnvironment {
    std::string PasswordFile; // the password store; empty: remember nothing
    unsigned PasswordIterations = 20000;
    std::string StateDir;       // where the last page, placement and zoom are kept; empty: nowhere
    std::string SearchCacheDir; // where the search index is kept between runs; empty: nowhere
};

class TReaderWindow final : public TWindow {
public:
    // The book must outlive the window.
    TReaderWindow(const TSiteBook& book, const TReaderWindowEnvironment& env);
    ~TReaderWindow() override;

    // The first page: page when given, else the page shown last time (when the book still has
    // it), else the home page. An error is reported and the window stays.
    void OpenFirstPage(const std::string& page);

    // ---- the commands of the buttons and keys ----
    void GoBack();
    void GoHome();
    void GoForward();
    void ReloadPage();
    // One zoom step up (direction > 0), down (< 0), or back to the default size (0).
    void Zoom(int direction);
    int32_t ZoomSize() const { return ::ZoomSize(viewer); }
    // Copies the selection of the frame that has it.
    void CopySelection();
    // Starts a search for query (UTF-8, as typed in the box); the hits arrive in the search
    // pane once the index is ready (it is built on a thread of its own after the first page).
    void StartSearch(const std::string& query);
    bool Searching() const { return !pendingQuery_.empty(); }
    const TBookSearchResult& SearchResult() const { return result_; }
    // Loads the page of hit i of the last search, selects the words and scrolls to them.
    void OpenHit(int i);
    // Saves the last page, the placement and the zoom; runs once (the destructor calls it too).
    void SaveState();

    TFrameViewer& Viewer() { return viewer; }
    TBookPageSource& Pages() { return pages_; }
    TBackgroundSound& Sound() { return sound_; }
    const std::string& HomePage() const { return home_; }
    std::string StateKey() const;

    TPanel ToolBar;
    TButton BackButton;
    TButton HomeButton;
    TButton ForwardButton;
    TEdit SearchEdit;
    TButton SearchButton;
    TSearchPane Results;
    TPanel ViewerPanel;
    TFrameViewer viewer;
    // The pages' context menu.
    TReaderMenu ContextMenu{*this};

private:
    void UpdateButtons();
    void Shortcut(int& key, TShiftState shift);
    void LinkClick(const std::string& target, const std::string& url, bool& handled);
    void SearchTick();
    void ShowResults();
    void LoadIcon();
    void RestorePlacement(const TReaderState& state);
    // Runs a command that may fail; a failure is reported and the window stays.
    template <class F> void Guard(F&& f);

    const TSiteBook& book_;
    TReaderWindowEnvironment env_;
    TReaderStateStore states_;
    TBookPageSource pages_;
    TBackgroundSound sound_;
    std::string home_;
    std::unique_ptr<TBookSearch> search_;
    std::string query_; // of the result shown
    TTimer searchTimer_;
    std::string pendingQuery_; // UTF-8; waits for the index
    TBookSearchResult result_;
    bool saved_ = false;
    // Work the loop runs later (a failed link launch) checks that the window is still there.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Shows the book until its window is closed: asks for the password first when the book has
// one. The GUI toolkit must be up. Errors are shown in a dialog and on standard error. Returns
// the program's exit status.
int RunReaderWindow(const TSiteBook& book, const std::string& page,
                    const TReaderWindowEnvironment& env);
