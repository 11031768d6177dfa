#pragma once
// The homepage picker: a modal list of the collected files from which one click chooses the
// book's home page. The builder only sees this interface, so the window that shows the list,
// the command line (which names the page) and tests (which script the choice) all fit in.
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
    // Shows items (full paths, in order) with nothing selected and waits for the choice.
    virtual TPickResult Pick(const std::string& caption, const TStringList& items) = 0;
};

// Without a list window, the question goes through the dialog provider's one-line input box:
// the answer names the page by its full path or its file name (ignoring case). Cancel closes
// the picker without OK; an answer that names no listed file is OK with no selection.
class TInputHomePagePicker final : public THomePagePicker {
public:
    TPickResult Pick(const std::string& caption, const TStringList& items) override;
};

// Chooses a page given in advance: the item equal to Choice (exactly, else ignoring case), or
// OK with no selection when none is.
class TFixedHomePagePicker final : public THomePagePicker {
public:
    explicit TFixedHomePagePicker(std::string choice) : Choice(std::move(choice)) {}
    TPickResult Pick(const std::string& caption, const TStringList& items) override;
    std::string Choice;
};

// For tests: answers from a queue and records every list it was shown. Picking with an empty
// queue is a test error and throws.
class TScriptedHomePagePicker final : public THomePagePicker {
public:
    void Select(int index) { answers_.push_back({true, index}); }
    void OkWithoutSelection() { answers_.push_back({true, -1}); }
    void Close() { answers_.push_back({false, -1}); }

    TPickResult Pick(const std::string& caption, const TStringList& items) override;

    struct TShown {
        std::string Caption;
        std::vector<std::string> Items;
    };
    const std::vector<TShown>& Shown() const { return shown_; }
    bool AllAnswered() const { return answers_.empty(); }

private:
    std::deque<TPickResult> answers_;
    std::vector<TShown> shown_;
};
