#include "platform/gui/scripted_dialogs.h"

#include "platform/gui/application.h"

#include <utility>

const char* DialogKindName(TDialogKind kind) {
    switch (kind) {
    case TDialogKind::SelectDirectory:
        return "SelectDirectory";
    case TDialogKind::OpenFile:
        return "OpenFile";
    case TDialogKind::SaveFile:
        return "SaveFile";
    case TDialogKind::InputQuery:
        return "InputQuery";
    case TDialogKind::Message:
        return "Message";
    case TDialogKind::Confirm:
        return "Confirm";
    }
    return "?";
}

void TScriptedDialogs::AnswerDirectory(std::string dir) {
    answers_.push_back({TDialogKind::SelectDirectory, std::move(dir)});
}
void TScriptedDialogs::CancelDirectory() {
    answers_.push_back({TDialogKind::SelectDirectory, std::nullopt});
}
void TScriptedDialogs::AnswerOpen(std::string path) {
    answers_.push_back({TDialogKind::OpenFile, std::move(path)});
}
void TScriptedDialogs::CancelOpen() {
    answers_.push_back({TDialogKind::OpenFile, std::nullopt});
}
void TScriptedDialogs::AnswerSave(std::string path) {
    answers_.push_back({TDialogKind::SaveFile, std::move(path)});
}
void TScriptedDialogs::CancelSave() {
    answers_.push_back({TDialogKind::SaveFile, std::nullopt});
}
void TScriptedDialogs::AnswerInput(std::string text) {
    answers_.push_back({TDialogKind::InputQuery, std::move(text)});
}
void TScriptedDialogs::CancelInput() {
    answers_.push_back({TDialogKind::InputQuery, std::nullopt});
}
void TScriptedDialogs::AnswerConfirm(bool yes) {
    answers_.push_back({TDialogKind::Confirm, std::nullopt, yes});
}

std::vector<TDialogRecord> TScriptedDialogs::Messages() const {
    std::vector<TDialogRecord> out;
    for (const auto& r : asked_)
        if (r.Kind == TDialogKind::Message)
            out.push_back(r);
    return out;
}

void TScriptedDialogs::Clear() {
    answers_.clear();
    asked_.clear();
}

void TScriptedDialogs::Shown(const TDialogRecord& asked) {
    // A dialog runs a loop of its own; the hook plays what the user does meanwhile.
    TModalScope modal;
    if (WhileShown)
        WhileShown(asked);
}

TScriptedDialogs::TAnswer TScriptedDialogs::Take(const TDialogRecord& asked) {
    asked_.push_back(asked);
    Shown(asked);
    std::string what = std::string(DialogKindName(asked.Kind)) + " dialog \"" + asked.Caption +
                       (asked.Prompt.empty() ? "" : "\" / \"" + asked.Prompt) +
                       (asked.Text.empty() ? "" : "\" / \"" + asked.Text) + "\"";
    if (answers_.empty())
        throw EUnscriptedDialog("unscripted " + what + ": no answer queued");
    if (answers_.front().Kind != asked.Kind)
        throw EUnscriptedDialog("unscripted " + what + ": the next answer is for a " +
                                DialogKindName(answers_.front().Kind) + " dialog");
    TAnswer a = std::move(answers_.front());
    answers_.pop_front();
    return a;
}

std::optional<std::string> TScriptedDialogs::SelectDirectory(const std::string& caption,
                                                             const std::string& initialDir) {
    TDialogRecord r;
    r.Kind = TDialogKind::SelectDirectory;
    r.Caption = caption;
    r.InitialDir = initialDir;
    return Take(r).Text;
}

static TDialogRecord FileRecord(TDialogKind kind, const TFileDialogOptions& o) {
    TDialogRecord r;
    r.Kind = kind;
    r.Caption = o.Title;
    r.Filter = o.Filter;
    r.InitialDir = o.InitialDir;
    r.FileName = o.FileName;
    return r;
}

std::optional<std::string> TScriptedDialogs::OpenFile(const TFileDialogOptions& options) {
    return Take(FileRecord(TDialogKind::OpenFile, options)).Text;
}

std::optional<std::string> TScriptedDialogs::SaveFile(const TFileDialogOptions& options) {
    return Take(FileRecord(TDialogKind::SaveFile, options)).Text;
}

std::optional<std::string> TScriptedDialogs::InputQuery(const std::string& caption,
                                                        const std::string& prompt,
                                                        const std::string& initial) {
    TDialogRecord r;
    r.Kind = TDialogKind::InputQuery;
    r.Caption = caption;
    r.Prompt = prompt;
    r.Text = initial;
    return Take(r).Text;
}

void TScriptedDialogs::ShowMessage(const std::string& text, TMsgKind kind) {
    // Messages need no answer; they are only recorded.
    TDialogRecord r;
    r.Kind = TDialogKind::Message;
    r.Text = text;
    r.MsgKind = kind;
    asked_.push_back(r);
    Shown(r);
}

bool TScriptedDialogs::Confirm(const std::string& text) {
    TDialogRecord r;
    r.Kind = TDialogKind::Confirm;
    r.Text = text;
    return Take(r).Yes;
}
