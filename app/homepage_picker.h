#pragma once
// The homepage picker: a modal list of the site's pages, named relative to the chosen folder,
// from which the user chooses the book's home page. The builder only sees this interface, so
// the window that shows the list, the command line (which names the page) and tests (which
// script the choice) all fit in.
#include <deque>
#include <string>
#include <vector>

#include "platform/base/string_list.h"

// How the picker closed. Ok without a selection is possible (the list's window closed with
// OK while nothing was selected) and the builder reports it.
struct TPickResult {
    bool Ok = false;
    int Selected = -1; // index into the items; -1: none
};

class THomePagePicker {
public:
    virtual ~THomePagePicker() = default;
    // Shows items (pages relative to the source folder, sorted) with the proposed item
    // selected (-1: none) and waits for the choice.
    virtual TPickResult Pick(const std::string& caption, const TStringList& items,
                             int proposed) = 0;
};

// The pages a book can open with (.htm, .html and .txt files) among files, the full paths
// under root: each as a path relative to root, sorted ignoring case (a tie by the exact
// text), with the full path of each alongside.
struct THomePageCandidates {
    std::vector<std::string> Relative;
    std::vector<std::string> Full;
};
THomePageCandidates HomePageCandidates(const TStringList& files, const std::string& root);

// The page a site usually opens with: index.html, else index.htm, else default.htm, at the top
// of the folder (ignoring case); -1 when there is none.
int ProposedHomePage(const std::vector<std::string>& relative);

// The indexes of the items that hold text, ignoring ASCII case (all of them for an empty
// text), in order.
std::vector<int> FilterItems(const std::vector<std::string>& items, const std::string& text);

// Without a list window, the question goes through the dialog provider's one-line input box,
// which offers the proposed page: the answer names the page by its relative path or its file
// name (ignoring case). Cancel closes the picker without OK; an answer that names no listed
// page is OK with no selection.
class TInputHomePagePicker final : public THomePagePicker {
public:
    TPickResult Pick(const std::string& caption, const TStringList& items, int proposed) override;
};

// Chooses a page given in advance: the item equal to Choice (exactly, else ignoring case), or
// OK with no selection when none is.
class TFixedHomePagePicker final : public THomePagePicker {
public:
    explicit TFixedHomePagePicker(std::string choice) : Choice(std::move(choice)) {}
    TPickResult Pick(const std::string& caption, const TStringList& items, int proposed) override;
    std::string Choice;
};

// For tests: answers from a queue and records every list it was shown. Picking with an empty
// queue is a test error and throws.
class TScriptedHomePagePicker final : public THomePagePicker {
public:
    void Select(int index) { answers_.push_back({true, index}); }
    void OkWithoutSelection() { answers_.push_back({true, -1}); }
    void Close() { answers_.push_back({false, -1}); }

    TPickResult Pick(const std::string& caption, const TStringList& items, int proposed) override;

    struct TShown {
        std::string Caption;
        std::vector<std::string> Items;
        int Proposed = -1;
    };
    const std::vector<TShown>& Shown() const { return shown_; }
    bool AllAnswered() const { return answers_.empty(); }

private:
    std::deque<TPickResult> answers_;
    std::vector<TShown> shown_;
};
