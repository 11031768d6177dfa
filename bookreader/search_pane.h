#pragma once
// The reader window's list of search hits: one line for each page that holds the query (its
// title, how many hits it has and its best line of context) under a line that says how many
// pages matched, and a Close button. Escape in the list or the Close button hides the pane.
#include <functional>
#include <string>
#include <vector>

#include "bookreader/book_search.h"
#include "platform/gui/buttons.h"
#include "platform/gui/list_box.h"
#include "platform/gui/panel.h"

class TSearchPane final : public TPanel {
public:
    TSearchPane();

    // Shows a message alone (the search is under way).
    void ShowMessage(const std::string& text);
    // Shows the pages of a result for query (UTF-8).
    void ShowResult(const TBookSearchResult& result, const std::string& query);
    void Close();
    // The list's lines: the summary first, then one for each page listed.
    static std::vector<std::string> Lines(const TBookSearchResult& result,
                                          const std::string& query);

    // A page of the list was chosen: the hit to open (-1: the page has no listed hit) and the
    // page's served name.
    std::function<void(int hit, const std::string& page)> OnChoose;
    // The pane was closed (the window gives the focus back to the page).
    std::function<void()> OnClosed;

    TListBox List;
    TPanel Side;
    TButton CloseButton;

private:
    void Choose(int line);

    std::vector<TBookSearchPage> pages_; // the listed pages, line 1 on
};
