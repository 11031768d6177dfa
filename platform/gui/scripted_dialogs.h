#pragma once
// A dialog provider for tests: it answers from a queue of scripted answers, in order, and
// records every dialog asked with its arguments. A question it has no answer for (the queue is
// empty, or the next answer is for another kind of dialog) throws EUnscriptedDialog, so a test
// never passes because a dialog it did not expect was silently cancelled.
//
//   TScriptedDialogs dialogs;
//   TDialogProviderScope scope(dialogs);
//   dialogs.AnswerDirectory("/tmp/site");
//   dialogs.AnswerInput("My book");
//   ... run the command ...
//   EXPECT_EQ(dialogs.Asked()[1].Prompt, "Window title:");
//   EXPECT_TRUE(dialogs.AllAnswered());
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/gui/dialogs.h"

enum class TDialogKind { SelectDirectory, OpenFile, SaveFile, InputQuery, Message, Confirm };

// "SelectDirectory", "OpenFile", ... for failure messages.
const char* DialogKindName(TDialogKind kind);

// One dialog as it was asked. Fields a kind does not have stay empty.
struct TDialogRecord {
    TDialogKind Kind = TDialogKind::Message;
    std::string Caption;    // title, dialog caption
    std::string Prompt;     // input box prompt
    std::string Filter;     // file dialogs
    std::string InitialDir; // directory and file dialogs
    std::string FileName;   // file dialogs: the proposed name
    std::string Text;       // message and confirmation text; input box initial value
    TMsgKind MsgKind = TMsgKind::Information; // messages only
};

class EUnscriptedDialog : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

class TScriptedDialogs : public TDialogProvider {
public:
    // Queue answers; each is consumed by the next dialog, which must be of the same kind.
    void AnswerDirectory(std::string dir);
    void CancelDirectory();
    void AnswerOpen(std::string path);
    void CancelOpen();
    void AnswerSave(std::string path);
    void CancelSave();
    void AnswerInput(std::string text);
    void CancelInput();
    void AnswerConfirm(bool yes);

    // Every dialog asked so far, messages included, in order.
    const std::vector<TDialogRecord>& Asked() const { return asked_; }
    // Only the messages shown, in order.
    std::vector<TDialogRecord> Messages() const;
    std::size_t PendingAnswers() const { return answers_.size(); }
    bool AllAnswered() const { return answers_.empty(); }
    void Clear();
    // Runs while each dialog is shown (inside its modal loop), with the dialog as asked: what
    // the user does while a dialog is up, such as pressing a key meant for the window below.
    std::function<void(const TDialogRecord& asked)> WhileShown;

    std::optional<std::string> SelectDirectory(const std::string& caption,
                                               const std::string& initialDir) override;
    std::optional<std::string> OpenFile(const TFileDialogOptions& options) override;
    std::optional<std::string> SaveFile(const TFileDialogOptions& options) override;
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& initial) override;
    void ShowMessage(const std::string& text, TMsgKind kind = TMsgKind::Information) override;
    bool Confirm(const std::string& text) override;

private:
    struct TAnswer {
        TDialogKind Kind;
        std::optional<std::string> Text; // nothing: cancel
        bool Yes = false;
    };
    TAnswer Take(const TDialogRecord& asked);
    void Shown(const TDialogRecord& asked);

    std::deque<TAnswer> answers_;
    std::vector<TDialogRecord> asked_;
};
